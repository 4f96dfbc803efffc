#include "io/ImageOutput.h"

#include "io/AtomicReplace.h"

namespace tessaform {
namespace {

Result<void> writeEveryRow(ImageRowWriter& writer, RowOrder order, const std::uint32_t* pixels, int width, int height)
{
    for (int index = 0; index < height; ++index) {
        const int row = order == RowOrder::TopFirst ? index : height - 1 - index;
        if (Result<void> written = writer.writeRow(pixels + static_cast<std::size_t>(row) * width, nullptr); !written) {
            return written;
        }
    }
    return {};
}

Result<void> writeRows(const ImageFormat& format, const std::string& fileName, const ImageShape& shape,
                       std::span<const PngText> texts, const std::function<Result<void>(ImageRowWriter&)>& produce)
{
    Result<std::unique_ptr<ImageRowWriter>> writer = format.openRowWriter(fileName, shape, texts);
    if (!writer) {
        return Failure{writer.error()};
    }
    if (Result<void> produced = produce(**writer); !produced) {
        return produced;
    }
    return (*writer)->finish();
}

}  // namespace

Result<void> writeImage(const ImageFormat& format, const std::string& fileName, const std::uint32_t* pixels, int width,
                        int height, std::span<const PngText> texts)
{
    const ImageShape shape{width, height, format.storedOrder, {}};
    return writeRows(format, fileName, shape, texts,
                     [&](ImageRowWriter& writer) { return writeEveryRow(writer, shape.order, pixels, width, height); });
}

Result<void> writeImageFile(const std::string& fileName, const std::uint32_t* pixels, int width, int height,
                            std::span<const PngText> texts)
{
    const ImageFormat& format = imageFormatFor(fileName);
    return replaceFileAtomically(fileName, [&](const std::string& temporaryPath) {
        return writeImage(format, temporaryPath, pixels, width, height, texts);
    });
}

Result<void> writeImageFileByRows(const std::string& fileName, int width, int height, std::span<const PngText> texts,
                                  const std::function<Result<void>(ImageRowWriter& writer)>& produce)
{
    return writeImageFileByRows(fileName, width, height, imageFormatFor(fileName).defaultEncoding(), texts, produce);
}

Result<void> writeImageFileByRows(const std::string& fileName, int width, int height, const ImageEncoding& encoding,
                                  std::span<const PngText> texts,
                                  const std::function<Result<void>(ImageRowWriter& writer)>& produce)
{
    const ImageFormat& format = imageFormatFor(fileName);
    return replaceFileAtomically(fileName, [&](const std::string& temporaryPath) {
        return writeRows(format, temporaryPath, {width, height, RowOrder::TopFirst, encoding}, texts, produce);
    });
}

}  // namespace tessaform
