#include "app/ParamFileIo.h"

#include <filesystem>
#include <fstream>

#include "app/AtomicReplace.h"
#include "params/ParamFile.h"

namespace tessaform {

bool readParamsFile(const std::string& path, FractalParams& params)
{
    if (std::filesystem::is_directory(path)) {
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    loadParams(in, params);
    return !in.bad();
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
