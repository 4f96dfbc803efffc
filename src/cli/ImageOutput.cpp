#include "cli/ImageOutput.h"

#include <algorithm>
#include <cctype>

#include "app/AtomicReplace.h"
#include "app/FrameBuffer.h"
#include "app/TgaWriter.h"
#include "cli/PngWriter.h"

namespace tessaform {
namespace {

bool endsWithPng(const std::string& fileName)
{
    constexpr std::string_view kExtension = ".png";
    if (fileName.size() < kExtension.size()) {
        return false;
    }
    return std::equal(kExtension.begin(), kExtension.end(), fileName.end() - kExtension.size(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

}  // namespace

WriteOutcome writeImageFile(const std::string& fileName, const FrameBuffer& frame)
{
    const auto write = endsWithPng(fileName) ? writePng : writeTga;
    return replaceFileAtomically(fileName, [&](const std::string& temporaryPath) {
        return write(temporaryPath, frame.pixels(), frame.width(), frame.height());
    });
}

}  // namespace tessaform
