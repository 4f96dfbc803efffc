#include "cli/CliOptions.h"

#include <CLI/CLI.hpp>
#include <map>

#include "io/TgaWriter.h"

namespace tessaform {
namespace {

struct RawOptions {
    CliOptions options;
    std::vector<std::string> assignments;
};

void defineOptions(CLI::App& app, RawOptions& raw)
{
    CliOptions& o = raw.options;
    app.add_option("-p,--params", o.paramsFile,
                   "Parameter file (.j4d) loaded onto the defaults, or a PNG written by Tessaform");
    app.add_option("--set", raw.assignments, "NAME=VALUE: set one field after --params (repeatable)")
        ->allow_extra_args(false);
    app.add_option("-g,--gradient", o.gradientFile, "Gradient image (default: gradient.jpg beside the program)");
    app.add_option("-W,--width", o.width, "Image width in pixels")->check(CLI::Range(1, kLargestTgaSide));
    app.add_option("-H,--height", o.height, "Image height in pixels")->check(CLI::Range(1, kLargestTgaSide));
    app.add_option("-j,--threads", o.engine.threads, "Threads to render with (0: every core)");
    const std::map<std::string, RenderEngine> engines{{"fast", RenderEngine::Fast},
                                                      {"reference", RenderEngine::Reference}};
    app.add_option("--engine", o.engine.engine,
                   "fast: every core and vector lane; reference: the plain one-thread engine")
        ->transform(CLI::CheckedTransformer(engines));
    app.add_option("-o,--output", o.outputFile,
                   "Output image: .tga, or .png for a PNG that also carries its parameters");
    app.add_option("--save-params", o.saveParamsFile, "Write the effective parameters to this .j4d file");
    app.add_flag("-q,--quiet", o.quiet, "Print no progress");
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
    CLI::App app{"Renders a slice of a quaternion Julia set to a TGA or PNG image.", "tessaform-render"};
    RawOptions raw;
    defineOptions(app, raw);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        return {Failure{}, app.help()};
    } catch (const CLI::ParseError& error) {
        return {Failure{error.what()}, std::nullopt};
    }
    if (const Result<void> converted = convertAssignments(raw); !converted) {
        return {Failure{converted.error()}, std::nullopt};
    }
    raw.options.render = !raw.options.saveParamsFile || app.count("--output") > 0;
    return {raw.options, std::nullopt};
}

}  // namespace tessaform
