#include "cli/SplitCommands.h"

#include <CLI/CLI.hpp>

#include <string>
#include <string_view>
#include <vector>

#include "cli/GradientChoice.h"
#include "cli/OutputEncoding.h"
#include "cli/ProgressReporter.h"
#include "io/AtomicReplace.h"
#include "io/ImageFormats.h"
#include "jobs/SplitRender.h"

namespace tessaform {
namespace {

constexpr std::string_view kAssembleWord = "assemble";

// How many arguments one of assemble's options spans; 0 for any other.
int assembleOptionSpan(std::string_view argument)
{
    if (argument == "-o" || argument == "--output" || argument == "--bit-depth") {
        return 2;
    }
    const bool alone = argument == "-q" || argument == "--quiet" || argument == "--alpha" ||
                       argument.starts_with("--output=") || argument.starts_with("--bit-depth=") ||
                       (argument.starts_with("-o") && argument.size() > 2);
    return alone ? 1 : 0;
}

}  // namespace

ExitCode renderTile(const CliOptions& options, const FractalParams& params,
                    const std::shared_ptr<const Gradient>& imageGradient)
{
    const Result<std::shared_ptr<const Gradient>> gradient = gradientForWritableOutput(options, imageGradient);
    if (!gradient) {
        return fail(ExitCode::RuntimeFailure, gradient.error());
    }
    const auto [firstRow, endRow] = options.tile->runOf(static_cast<std::size_t>(options.height));
    const TileRequest request{params,
                              *gradient,
                              options.width,
                              options.height,
                              options.tile->index,
                              options.tile->count,
                              static_cast<int>(firstRow),
                              static_cast<int>(endRow),
                              options.engine.threads,
                              options.deep};
    ProgressReporter progress(stderr, progressStyleFor(stderr, options.quiet));
    stopRenderingOnInterrupt();
    const Result<void> written = renderTilePart(request, options.outputFile, progress);
    progress.finish();
    if (!written) {
        return fail(ExitCode::RuntimeFailure, written.error());
    }
    return ExitCode::Success;
}

ExitCode runAssembleCommand(int argc, const char* const* argv)
{
    CLI::App app{
        "Joins the part files of a still rendered with --tile K/N into its image, exactly as one render "
        "would have drawn it.",
        "tessaform-render assemble"};
    std::vector<std::string> parts;
    std::string output = "Julia.tga";
    bool quiet = false;
    EncodingRequest request;
    app.add_option("PART", parts, "Part files, every tile of one render once, in any order")->required();
    app.add_option("-o,--output", output, "Output image: " + imageOutputChoices());
    addEncodingOptions(app, request);
    app.add_flag("-q,--quiet", quiet, "Print no progress");
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::fputs(app.help().c_str(), stdout);
        return ExitCode::Success;
    } catch (const CLI::ParseError& error) {
        return fail(ExitCode::UsageError, std::string(error.what()) + " (see assemble --help)");
    }
    const Result<ImageEncoding> encoding = outputEncoding(output, request);
    if (!encoding) {
        return fail(ExitCode::UsageError, encoding.error() + " (see assemble --help)");
    }
    if (const Result<void> writable = checkReplaceable(output); !writable) {
        return fail(ExitCode::RuntimeFailure, writable.error());
    }
    ProgressReporter progress(stderr, progressStyleFor(stderr, quiet));
    stopRenderingOnInterrupt();
    const Result<void> written = assembleTileParts(parts, output, *encoding, progress);
    progress.finish();
    if (!written) {
        return fail(ExitCode::RuntimeFailure, written.error());
    }
    return ExitCode::Success;
}

std::optional<std::vector<const char*>> assembleArguments(int argc, const char* const* argv)
{
    int word = 1;
    while (word < argc && argv[word] != kAssembleWord) {
        const int span = assembleOptionSpan(argv[word]);
        if (span == 0) {
            return std::nullopt;
        }
        word += span;
    }
    if (word >= argc) {
        return std::nullopt;
    }
    std::vector<const char*> arguments{argv[word]};
    arguments.insert(arguments.end(), argv + 1, argv + word);
    arguments.insert(arguments.end(), argv + word + 1, argv + argc);
    return arguments;
}

}  // namespace tessaform
