#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <map>

#include "anim/Animation.h"
#include "anim/FrameList.h"
#include "cli/OutputEncoding.h"
#include "io/ImageFormats.h"
#include "io/TgaWriter.h"
#include "io/VideoWriter.h"
#include "jobs/FrameNames.h"
#include "jobs/ProgramTitle.h"
#include "params/ParamFields.h"

namespace tessaform {
namespace {

struct RawOptions {
    CliOptions options;
    std::vector<std::string> assignments;
    std::vector<std::string> outputs;
    std::optional<std::string> frameList;
    std::optional<std::string> chunk;
    std::optional<std::string> tile;
    std::optional<long> claimTimeout;
};

// CLI11's own range check prints its bounds as long decimals and lets a NaN
// through.
CLI::Validator filmFrameRate()
{
    return CLI::Validator(
        [](const std::string& text) -> std::string {
            double fps = 0.0;
            const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), fps);
            const bool whole = error == std::errc() && end == text.data() + text.size();
            return whole && isFilmFrameRate(fps) ? std::string{}
                                                 : "must be " + filmFrameRateRangeText() + ", not " + text;
        },
        "FPS");
}

// The names --set takes, listed in the help so that the manual page and
// the shell completion, made from it, know them too.
std::string fieldNameList()
{
    std::string names;
    for (const ParamField& field : paramFields()) {
        names += (names.empty() ? "" : ", ") + std::string(field.name);
    }
    return names;
}

void defineOptions(CLI::App& app, RawOptions& raw)
{
    CliOptions& o = raw.options;
    app.add_option("-p,--params", o.paramsFile,
                   "Parameter file (.j4d) loaded onto the defaults, a scene file (.toml of one key), or a PNG "
                   "written by Tessaform");
    app.add_option("--set", raw.assignments,
                   "NAME=VALUE: set one field after --params (repeatable); NAME is one of: " + fieldNameList())
        ->allow_extra_args(false);
    app.add_option("-g,--gradient", o.gradientFile,
                   "Gradient image (default: gradient.jpg beside the program, else in its installed data folder)");
    app.add_option("-W,--width", o.width, "Image width in pixels")->check(CLI::Range(1, kLargestTgaSide));
    app.add_option("-H,--height", o.height, "Image height in pixels")->check(CLI::Range(1, kLargestTgaSide));
    app.add_option("-j,--threads", o.engine.threads, "Threads to render with (0: every core)");
    const std::map<std::string, RenderEngine> engines{{"fast", RenderEngine::Fast},
                                                      {"reference", RenderEngine::Reference}};
    app.add_option("--engine", o.engine.engine,
                   "fast: every core and vector lane; reference: the plain one-thread engine")
        ->transform(CLI::CheckedTransformer(engines));
    app.add_option("-o,--output", raw.outputs,
                   "Output image: " + imageOutputChoices() +
                       "; with --animation a name with a frame number (julia_%05d.png) or a film (.mp4, .mkv, "
                       ".webm), repeatable");
    addEncodingOptions(app, o.encodingRequest);
    app.add_option(
        "--save-params", o.saveParamsFile,
        "Write the effective parameters to this .j4d file, or to a .toml scene file, which keeps the looks too");
    app.add_flag("-q,--quiet", o.quiet, "Print no progress (an animation's closing Frames: line stays)");
    app.add_option("--animation", o.animationFile, "Keyframe file (.toml): render its frames");
    app.add_option("--frames", raw.frameList, "Frames to render: 0-239, 3,5-10,47-327 or 0-239:2 (default: all)");
    app.add_option("--fps", o.fps, "Frames per second of a film (default: the keyframe file's)")
        ->check(filmFrameRate());
    app.add_option("--quality", o.quality, "A film's constant quality, 0 (best) to 63 (default 23)")
        ->check(CLI::Range(0, 63));
    app.add_flag("--skip-existing", o.skipExisting, "Do not render frames whose images are already there");
    app.add_option("--save-animation", o.saveAnimationFile, "Write the keyframes back as a .toml file");
    app.add_option("--chunk", raw.chunk, "K/N or slurm: render the K-th of N contiguous runs of the frames");
    app.add_option("--tile", raw.tile,
                   "K/N or slurm: render band K of N of a still into a part file (default part_%d.tfpart) for "
                   "'tessaform-render assemble'");
    app.add_flag("--deep", o.deep,
                 "With --tile: keep the pixels' float values in the part too, as 16-bit, alpha and EXR outputs "
                 "of assemble need (a larger part)");
    app.add_option("--claim-timeout", raw.claimTimeout,
                   "With --skip-existing: seconds after which another run's claim on a frame is taken over "
                   "(default 3600)")
        ->check(CLI::PositiveNumber);
}

// Films stay 8-bit and opaque; each image must offer what was asked.
Result<void> checkAnimationEncodings(const RawOptions& raw)
{
    for (const std::string& output : raw.options.animationOutputs) {
        if (namesVideo(output) && raw.options.encodingRequest.any()) {
            return Failure{"--bit-depth and --alpha are for images; the film " + output + " stays 8-bit"};
        }
        if (Result<ImageEncoding> encoding = outputEncoding(output, raw.options.encodingRequest);
            !namesVideo(output) && !encoding) {
            return Failure{encoding.error()};
        }
    }
    return {};
}

constexpr std::string_view kPartSuffix = ".tfpart";

// A tile goes to a part file, whose name may hold the tile number.
Result<void> convertTile(RawOptions& raw)
{
    CliOptions& o = raw.options;
    if (o.animationFile) {
        return Failure{"--tile splits a still; an animation is split with --chunk"};
    }
    if (o.engine.engine == RenderEngine::Reference) {
        return Failure{"--tile renders with the fast engine only"};
    }
    Result<TaskShare> tile = parseTaskShare(*raw.tile, "--tile");
    if (!tile) {
        return Failure{tile.error()};
    }
    if (tile->count > o.height) {
        return Failure{"--tile " + *raw.tile + ": more tiles than the image has rows"};
    }
    o.tile = *tile;
    if (o.encodingRequest.any()) {
        return Failure{"--bit-depth and --alpha choose an image's encoding; a tile is written to a part file"};
    }
    if (raw.outputs.size() > 1) {
        return Failure{"--output: a tile is one part file"};
    }
    const std::string pattern = raw.outputs.empty() ? "part_%d.tfpart" : raw.outputs.front();
    if (!pattern.ends_with(kPartSuffix)) {
        return Failure{"--output " + pattern + ": a tile is written to a part file ending in .tfpart"};
    }
    Result<FrameNames> names = FrameNames::parse(pattern);
    if (!names) {
        return Failure{"--output " + names.error()};
    }
    o.outputFile = names->nameFor(tile->index);
    return {};
}

// Several outputs, frame lists and films belong to animations only.
Result<void> convertOutputs(RawOptions& raw)
{
    CliOptions& o = raw.options;
    if (raw.tile) {
        return convertTile(raw);
    }
    if (o.deep) {
        return Failure{"--deep needs --tile; a still's own output keeps what its format needs"};
    }
    if (!o.animationFile) {
        if (raw.frameList || o.skipExisting || o.saveAnimationFile || raw.chunk || raw.claimTimeout) {
            return Failure{"--frames, --chunk, --skip-existing, --claim-timeout and --save-animation need --animation"};
        }
        if (raw.outputs.size() > 1) {
            return Failure{"--output: a still is one image; several outputs need --animation"};
        }
        if (!raw.outputs.empty()) {
            o.outputFile = raw.outputs.front();
        }
        Result<ImageEncoding> encoding = outputEncoding(o.outputFile, o.encodingRequest);
        if (!encoding) {
            return Failure{encoding.error()};
        }
        o.encoding = *encoding;
        return {};
    }
    o.animationOutputs = raw.outputs.empty() ? std::vector<std::string>{"julia_%05d.png"} : raw.outputs;
    if (raw.frameList) {
        Result<std::vector<int>> frames = parseFrameList(*raw.frameList);
        if (!frames) {
            return Failure{"--frames: " + frames.error()};
        }
        o.frames = std::move(frames).value();
    }
    if (raw.chunk) {
        Result<TaskShare> chunk = parseTaskShare(*raw.chunk, "--chunk");
        if (!chunk) {
            return Failure{chunk.error()};
        }
        o.chunk = *chunk;
    }
    if (raw.claimTimeout) {
        o.claimTimeout = std::chrono::seconds(*raw.claimTimeout);
    }
    return checkAnimationEncodings(raw);
}

// Checks every --set before any file is read, so usage errors never depend
// on the files.
Result<void> convertAssignments(RawOptions& raw)
{
    for (const std::string& text : raw.assignments) {
        Result<FieldAssignment> parsed = parseFieldAssignment(text);
        if (!parsed) {
            return Failure{parsed.error()};
        }
        raw.options.assignments.push_back(std::move(parsed).value());
    }
    return {};
}

}  // namespace

ParsedCommandLine parseCommandLine(int argc, const char* const* argv)
{
    CLI::App app{"Renders a slice of a quaternion Julia set to a TGA, PNG or OpenEXR image.", "tessaform-render"};
    app.footer(
        "Part files of a still split with --tile are joined by 'tessaform-render assemble PART... -o IMAGE' "
        "(see assemble --help).");
    app.set_version_flag("--version", "tessaform-render (" + programNameAndVersion() + ")",
                         "Print the version and exit");
    RawOptions raw;
    defineOptions(app, raw);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        return {Failure{}, app.help()};
    } catch (const CLI::CallForVersion& version) {
        return {Failure{}, std::string(version.what()) + "\n"};
    } catch (const CLI::ParseError& error) {
        return {Failure{error.what()}, std::nullopt};
    }
    if (const Result<void> converted = convertAssignments(raw); !converted) {
        return {Failure{converted.error()}, std::nullopt};
    }
    if (const Result<void> converted = convertOutputs(raw); !converted) {
        return {Failure{converted.error()}, std::nullopt};
    }
    const bool onlySaving = raw.options.saveParamsFile || raw.options.saveAnimationFile;
    raw.options.render = !onlySaving || app.count("--output") > 0;
    return {raw.options, std::nullopt};
}

}  // namespace tessaform
