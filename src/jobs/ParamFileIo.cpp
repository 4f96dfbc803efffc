#include "jobs/ParamFileIo.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string_view>
#include <system_error>

#include "io/AtomicReplace.h"
#include "jobs/ImageMetadata.h"
#include "params/BoundedFileRead.h"
#include "params/ParamFile.h"

namespace tessaform {

Result<int> readParamsFile(const std::string& path, FractalParams& params)
{
    const Failure unreadable{"Could not read parameter file " + path};
    // The error_code form: a name too long or a symbolic link loop is a
    // file that cannot be opened, not an exception.
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return unreadable;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return unreadable;
    }
    const int lines = loadParams(in, params);
    if (in.bad()) {
        return unreadable;
    }
    return lines;
}

namespace {

std::string shortParamsFileText(const std::string& path, int linesRead)
{
    return "Parameter file " + path + ": only " + std::to_string(linesRead) + " of its " +
           std::to_string(kParamFileLines) + " lines could be read";
}

}  // namespace

std::string shortParamsFileWarning(const std::string& path, int linesRead)
{
    if (linesRead < kParamFileLines) {
        return shortParamsFileText(path, linesRead) + "; the other values are unchanged";
    }
    return {};
}

Result<FractalParams> readParamsOnto(const std::string& path, const FractalParams& base)
{
    if (const std::string reason = notRegularFileReason(path); !reason.empty()) {
        return Failure{"Could not read parameter file " + path + ": " + reason};
    }
    if (isParameterImage(path)) {
        const Result<ImageParams> image = readImageParams(path);
        if (!image) {
            return Failure{image.error()};
        }
        return image->params;
    }
    const Result<std::string> text = readBoundedFile(path);
    if (!text) {
        return Failure{"Could not read parameter file " + path + ": " + text.error()};
    }
    std::istringstream in(*text);
    FractalParams params = base;
    if (const int linesRead = loadParams(in, params); linesRead < kParamFileLines) {
        return Failure{shortParamsFileText(path, linesRead)};
    }
    return params;
}

bool namesParamsFile(const std::string& path)
{
    constexpr std::string_view kExtension = ".j4d";
    return path.size() >= kExtension.size() &&
           std::equal(kExtension.begin(), kExtension.end(), path.end() - kExtension.size(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

Result<void> writeParamsFile(const std::string& path, const FractalParams& params)
{
    return replaceFileAtomically(path, [&](const std::string& temporaryPath) -> Result<void> {
        std::ofstream out(temporaryPath, std::ios::binary | std::ios::trunc);
        if (!saveParams(out, params) || (out.close(), out.fail())) {
            return Failure{"Could not write " + temporaryPath};
        }
        return {};
    });
}

}  // namespace tessaform
