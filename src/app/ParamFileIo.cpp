#include "app/ParamFileIo.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "io/AtomicReplace.h"
#include "params/ParamFile.h"

namespace tessaform {

ParamsFileRead readParamsFile(const std::string& path, FractalParams& params)
{
    // The error_code form: a name too long or a symbolic link loop is a
    // file that cannot be opened, not an exception.
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) {
        return {};
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return {};
    }
    const int lines = loadParams(in, params);
    return {!in.bad(), lines};
}

std::string describeParamsRead(const std::string& path, const ParamsFileRead& read)
{
    if (!read.readable) {
        return "Could not read parameter file " + path;
    }
    if (read.linesRead < kParamFileLines) {
        return "Parameter file " + path + ": only " + std::to_string(read.linesRead) + " of its " +
               std::to_string(kParamFileLines) + " lines could be read; the other values are unchanged";
    }
    return {};
}

WriteOutcome writeParamsFile(const std::string& path, const FractalParams& params)
{
    return replaceFileAtomically(path, [&](const std::string& temporaryPath) -> WriteOutcome {
        std::ofstream out(temporaryPath, std::ios::binary | std::ios::trunc);
        if (!saveParams(out, params) || (out.close(), out.fail())) {
            return {"Could not write " + temporaryPath};
        }
        return {};
    });
}

}  // namespace tessaform
