#include "io/PngWriter.h"

#include <QFile>
#include <QImage>

namespace tessaform {

Result<void> writePng(const std::string& fileName, const std::uint32_t* pixels, int width, int height)
{
    // Format_RGB32 is exactly the frame buffer's 0x00RRGGBB layout: no copy.
    const QImage image(reinterpret_cast<const uchar*>(pixels), width, height, QImage::Format_RGB32);
    if (!image.save(QFile::decodeName(fileName.c_str()), "PNG")) {
        return Failure{"Could not write PNG image " + fileName};
    }
    return {};
}

}  // namespace tessaform
