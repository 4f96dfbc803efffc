#include "io/PngWriter.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstring>
#include <vector>

#include "io/ImageFormats.h"
#include "io/ParallelDeflate.h"
#include "io/PngChunks.h"
#include "io/PngRowFilter.h"
#include "io/PngRowPacking.h"

namespace tessaform {
namespace {

// Filtered rows deflated as one segment: large enough that cutting the
// stream costs little of the file's size, small enough that every core gets
// segments of a poster's first strip.
constexpr std::size_t kSegmentBytes = 256 * 1024;
// Runs alone (Z_RLE): filtered, a render is mostly runs. On a 6000 x 4500
// render with the default gradient the file was 1 % larger than libpng's
// default settings made it, deflated in a third of zlib level 6's time and
// less than level 2's, whose file was 18 % larger. A grey gradient's equal
// channels suit matching better: there the file is about a third larger.
constexpr ParallelDeflate::Settings kDeflateSettings{6, Z_RLE};

PngPixelLayout layoutFor(const ImageEncoding& encoding)
{
    return {encoding.bitDepth, encoding.alpha};
}

// Rows packed as the PNG stores them, top row first, filtered and deflated
// a segment at a time on every core; the text chunks come before the pixels.
class PngRowWriter : public ImageRowWriter {
public:
    ~PngRowWriter() override;
    PngRowWriter(const PngRowWriter&) = delete;
    PngRowWriter& operator=(const PngRowWriter&) = delete;

    static Result<std::unique_ptr<ImageRowWriter>> open(const std::string& fileName, const ImageShape& shape,
                                                        std::span<const PngText> texts);

    Result<void> writeRow(const std::uint32_t* pixels, const DeepPixel* deep) override;
    // The last segment, the end chunk, and the file closed.
    Result<void> finish() override;

private:
    PngRowWriter(std::string fileName, std::FILE* file, const ImageShape& shape);
    // Why the file could not be written: the system's reason, where it gave one.
    Failure writeFailure() const;
    // Why the rows given could not make the file.
    Failure refusal(const std::string& why) const;
    Result<void> writeHead(std::span<const PngText> texts);
    bool queueSegment(bool final);

    std::string fileName_;
    std::FILE* file_;
    int width_;
    int height_;
    PngPixelLayout layout_;
    std::size_t rowBytes_;
    std::size_t rowsPerSegment_;
    int rowsWritten_ = 0;
    // The packed rows of the segment being filled, and the row above its
    // first one, which filtering it needs.
    std::vector<std::uint8_t> segmentRows_;
    std::vector<std::uint8_t> rowAbove_;
    // Last, so that it finishes its workers before the rest goes.
    ParallelDeflate deflate_;
};

PngRowWriter::PngRowWriter(std::string fileName, std::FILE* file, const ImageShape& shape)
    : fileName_(std::move(fileName)),
      file_(file),
      width_(shape.width),
      height_(shape.height),
      layout_(layoutFor(shape.encoding)),
      rowBytes_(static_cast<std::size_t>(shape.width) * layout_.bytesPerPixel()),
      rowsPerSegment_(std::max<std::size_t>(1, kSegmentBytes / rowBytes_)),
      deflate_(kDeflateSettings,
               [this](std::span<const std::uint8_t> piece) { return writePngChunk(file_, "IDAT", {piece}); })
{
}

PngRowWriter::~PngRowWriter()
{
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

Failure PngRowWriter::writeFailure() const
{
    const int error = errno;
    return Failure{"Could not write PNG image " + fileName_ +
                   (error != 0 ? std::string(": ") + std::strerror(error) : "")};
}

Failure PngRowWriter::refusal(const std::string& why) const
{
    return Failure{"Could not write PNG image " + fileName_ + ": " + why};
}

Result<std::unique_ptr<ImageRowWriter>> PngRowWriter::open(const std::string& fileName, const ImageShape& shape,
                                                           std::span<const PngText> texts)
{
    if (shape.order != RowOrder::TopFirst) {
        return Failure{"Could not write PNG image " + fileName + ": its rows go top first"};
    }
    if (shape.width < 1 || shape.height < 1) {
        return Failure{"Could not write PNG image " + fileName + ": it needs at least one pixel"};
    }
    if (shape.encoding.bitDepth != 8 && shape.encoding.bitDepth != 16) {
        return Failure{"Could not write PNG image " + fileName + ": it holds 8 or 16 bits a channel"};
    }
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (file == nullptr) {
        return Failure{"Could not create " + fileName + ": " + std::strerror(errno)};
    }
    std::unique_ptr<PngRowWriter> writer(new PngRowWriter(fileName, file, shape));
    if (Result<void> head = writer->writeHead(texts); !head) {
        return Failure{head.error()};
    }
    return std::unique_ptr<ImageRowWriter>(std::move(writer));
}

Result<void> PngRowWriter::writeHead(std::span<const PngText> texts)
{
    errno = 0;
    const PngBytes header = pngHeaderData(static_cast<std::uint32_t>(width_), static_cast<std::uint32_t>(height_),
                                          layout_.bitDepth, layout_.colourType());
    bool written = std::fwrite(pngSignature().data(), 1, pngSignature().size(), file_) == pngSignature().size() &&
                   writePngChunk(file_, "IHDR", {header});
    for (const PngText& text : texts) {
        const Result<PngBytes> data = pngTextData(text);
        if (!data) {
            return refusal(data.error());
        }
        written = written && writePngChunk(file_, text.compressed ? "zTXt" : "tEXt", {*data});
    }
    if (!written) {
        return writeFailure();
    }
    return {};
}

bool PngRowWriter::queueSegment(bool final)
{
    const std::size_t rowBytes = rowBytes_;
    const std::size_t bytesPerPixel = layout_.bytesPerPixel();
    std::vector<std::uint8_t> above = rowAbove_;
    rowAbove_.assign(segmentRows_.end() - static_cast<std::ptrdiff_t>(rowBytes), segmentRows_.end());
    std::vector<std::uint8_t> rows = std::move(segmentRows_);
    segmentRows_.clear();
    segmentRows_.reserve(rows.size());
    return deflate_.add(
        [rows = std::move(rows), above = std::move(above), rowBytes,
         bytesPerPixel](std::vector<std::uint8_t>& filtered) {
            const std::size_t count = rows.size() / rowBytes;
            filtered.resize(count * (rowBytes + 1));
            const std::uint8_t* previous = above.empty() ? nullptr : above.data();
            for (std::size_t row = 0; row < count; ++row) {
                const std::uint8_t* current = rows.data() + row * rowBytes;
                filterPngRow(current, previous, rowBytes, bytesPerPixel, filtered.data() + row * (rowBytes + 1));
                previous = current;
            }
        },
        final);
}

Result<void> PngRowWriter::writeRow(const std::uint32_t* pixels, const DeepPixel* deep)
{
    if (rowsWritten_ == height_) {
        return refusal("it was given more rows than its height");
    }
    if (deep == nullptr && layout_.needsDeepRows()) {
        return refusal("its rows came without their float values");
    }
    errno = 0;
    if (segmentRows_.size() == rowsPerSegment_ * rowBytes_ && !queueSegment(false)) {
        return writeFailure();
    }
    segmentRows_.resize(segmentRows_.size() + rowBytes_);
    packPngRow(layout_, pixels, deep, width_, segmentRows_.data() + segmentRows_.size() - rowBytes_);
    ++rowsWritten_;
    return {};
}

Result<void> PngRowWriter::finish()
{
    if (rowsWritten_ != height_) {
        return refusal("it was given " + std::to_string(rowsWritten_) + " of its " + std::to_string(height_) + " rows");
    }
    errno = 0;
    if (!queueSegment(true) || !deflate_.finish() || !writePngChunk(file_, "IEND", {})) {
        return writeFailure();
    }
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fflush(file) != 0 || std::ferror(file) != 0) {
        Failure failed = writeFailure();
        std::fclose(file);
        return failed;
    }
    if (std::fclose(file) != 0) {
        return writeFailure();
    }
    return {};
}

}  // namespace

const ImageFormat& pngImageFormat()
{
    static constexpr std::array<int, 2> kBitDepths{8, 16};
    static constexpr std::array<DialogChoice, 2> kChoices{{{"*.png", {8, false}}, {"*.png (16-bit)", {16, false}}}};
    static const ImageFormat format{
        .name = "PNG",
        .extension = ".png",
        .carriesParameters = true,
        .storedOrder = RowOrder::TopFirst,
        .openRowWriter = PngRowWriter::open,
        .needsDeepRows = [](const ImageEncoding& encoding) { return layoutFor(encoding).needsDeepRows(); },
        .bitDepths = kBitDepths,
        .alpha = AlphaChannel::Optional,
        .dialogChoices = kChoices};
    return format;
}

}  // namespace tessaform
