#include "io/ImageOutput.h"

#include <algorithm>
#include <cctype>

#include "io/AtomicReplace.h"
#include "io/PngWriter.h"
#include "io/TgaWriter.h"

namespace tessaform {

bool namesPng(const std::string& fileName)
{
    constexpr std::string_view kExtension = ".png";
    if (fileName.size() < kExtension.size()) {
        return false;
    }
    return std::equal(kExtension.begin(), kExtension.end(), fileName.end() - kExtension.size(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

Result<void> writeImageFile(const std::string& fileName, const std::uint32_t* pixels, int width, int height,
                            std::span<const PngText> texts)
{
    const bool png = namesPng(fileName);
    return replaceFileAtomically(fileName, [&](const std::string& temporaryPath) {
        return png ? writePng(temporaryPath, pixels, width, height, texts)
                   : writeTga(temporaryPath, pixels, width, height);
    });
}

}  // namespace tessaform
