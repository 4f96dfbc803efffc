#include "jobs/KeyframeFileIo.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string_view>

#include "anim/KeyframeFile.h"
#include "io/AtomicReplace.h"

namespace tessaform {

Result<void> writeKeyframeFile(const std::string& path, const Animation& animation)
{
    const std::string text = keyframeFileText(animation);
    return replaceFileAtomically(path, [&](const std::string& temporary) -> Result<void> {
        std::FILE* file = std::fopen(temporary.c_str(), "wb");
        if (file == nullptr) {
            return Failure{"Could not write " + temporary};
        }
        const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
        if (std::fclose(file) != 0 || !written) {
            return Failure{"Could not write " + temporary};
        }
        return {};
    });
}

bool namesKeyframeFile(const std::string& path)
{
    constexpr std::string_view kExtension = ".toml";
    return path.size() >= kExtension.size() &&
           std::equal(kExtension.begin(), kExtension.end(), path.end() - kExtension.size(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace tessaform
