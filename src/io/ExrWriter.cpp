#include "io/ExrWriter.h"

#include <Imath/half.h>
#include <OpenEXR/ImfChannelList.h>
#include <OpenEXR/ImfFrameBuffer.h>
#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfIO.h>
#include <OpenEXR/ImfOutputFile.h>
#include <OpenEXR/ImfStringAttribute.h>
#include <OpenEXR/ImfThreading.h>
#include <tbb/info.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <vector>

#include "io/ImageFormats.h"

namespace tessaform {
namespace {

constexpr std::array<const char*, 4> kColourChannels{"R", "G", "B", "A"};
constexpr const char* kDepthChannel = "Z";
constexpr std::array<const char*, 3> kNormalChannels{"N.X", "N.Y", "N.Z"};

// ZIP compression's block of rows.
constexpr int kRowsPerBlock = 16;
// Rows are held until this many pixels, in whole blocks, are ready, so that
// the library compresses a block on every core at once.
constexpr std::size_t kHeldPixels = std::size_t{1} << 22;

// One pool for every file; its size never changes the bytes written.
int compressionThreads()
{
    static const int threads = [] {
        const int cores = std::min(tbb::info::default_concurrency(), 64);
        Imf::setGlobalThreadCount(cores > 1 ? cores : 0);
        return Imf::globalThreadCount();
    }();
    return threads;
}

int heldRowsFor(int width, int threads)
{
    const std::size_t blockPixels = static_cast<std::size_t>(width) * kRowsPerBlock;
    const std::size_t blocks =
        std::clamp<std::size_t>(kHeldPixels / blockPixels, 1, 2 * static_cast<std::size_t>(std::max(threads, 1)));
    return static_cast<int>(blocks) * kRowsPerBlock;
}

// One pixel as the frame buffer slices read it.
struct ExrPixel {
    std::array<half, 4> rgba;
    float depth;
    std::array<float, 3> normal;
};

// Display colours follow the sRGB curve; compositing needs light that adds
// up, so each channel goes back to linear. A channel above 1 (a bright
// highlight) continues the curve rather than being clipped.
float linearFromDisplay(float channel)
{
    if (!(channel > 0.0f)) {
        return 0.0f;
    }
    return channel <= 0.04045f ? channel / 12.92f : std::pow((channel + 0.055f) / 1.055f, 2.4f);
}

ExrPixel exrPixel(const DeepPixel& deep)
{
    const float alpha = deep.coverage > 0.0f ? std::fmin(deep.coverage, 1.0f) : 0.0f;
    const auto premultiplied = [&](float channel) { return half(linearFromDisplay(channel) * alpha); };
    return {{premultiplied(deep.hitColour.r), premultiplied(deep.hitColour.g), premultiplied(deep.hitColour.b),
             half(alpha)},
            deep.depth,
            {deep.normal.x, deep.normal.y, deep.normal.z}};
}

Imf::Header exrHeader(const ImageShape& shape, std::span<const PngText> texts)
{
    Imf::Header header(shape.width, shape.height);
    header.compression() = Imf::ZIP_COMPRESSION;
    header.lineOrder() = Imf::INCREASING_Y;
    for (const char* name : kColourChannels) {
        header.channels().insert(name, Imf::Channel(Imf::HALF));
    }
    header.channels().insert(kDepthChannel, Imf::Channel(Imf::FLOAT));
    for (const char* name : kNormalChannels) {
        header.channels().insert(name, Imf::Channel(Imf::FLOAT));
    }
    for (const PngText& text : texts) {
        header.insert(text.keyword, Imf::StringAttribute(text.text));
    }
    return header;
}

// Slices of the held rows, which stand for image rows [firstRow,
// firstRow + rows).
Imf::FrameBuffer heldSlices(std::vector<ExrPixel>& held, int width, int firstRow, int rows)
{
    const char* base = reinterpret_cast<const char*>(held.data());
    const IMATH_NAMESPACE::V2i origin(0, firstRow);
    const auto slice = [&](Imf::PixelType type, std::size_t offset) {
        return Imf::Slice::Make(type, base + offset, origin, width, rows, sizeof(ExrPixel),
                                sizeof(ExrPixel) * static_cast<std::size_t>(width));
    };
    Imf::FrameBuffer slices;
    for (std::size_t channel = 0; channel < kColourChannels.size(); ++channel) {
        slices.insert(kColourChannels[channel], slice(Imf::HALF, offsetof(ExrPixel, rgba) + channel * sizeof(half)));
    }
    slices.insert(kDepthChannel, slice(Imf::FLOAT, offsetof(ExrPixel, depth)));
    for (std::size_t axis = 0; axis < kNormalChannels.size(); ++axis) {
        slices.insert(kNormalChannels[axis], slice(Imf::FLOAT, offsetof(ExrPixel, normal) + axis * sizeof(float)));
    }
    return slices;
}

// The library's own file stream reports nothing once its file is closing,
// when the table of block offsets is written: this one keeps the first
// failure for finish to report.
class ExrFileStream : public Imf::OStream {
public:
    ExrFileStream(const std::string& fileName, std::FILE* file) : Imf::OStream(fileName.c_str()), file_(file) {}
    ~ExrFileStream() override
    {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }

    void write(const char bytes[], int count) override
    {
        if (std::fwrite(bytes, 1, static_cast<std::size_t>(count), file_) != static_cast<std::size_t>(count)) {
            fail();
        }
    }
    std::uint64_t tellp() override
    {
        const off_t at = ::ftello(file_);
        if (at < 0) {
            fail();
        }
        return static_cast<std::uint64_t>(at);
    }
    void seekp(std::uint64_t at) override
    {
        if (::fseeko(file_, static_cast<off_t>(at), SEEK_SET) != 0) {
            fail();
        }
    }

    // Closes the file; the first failure on it, or none.
    std::optional<std::string> close()
    {
        std::FILE* file = file_;
        file_ = nullptr;
        if (std::fflush(file) != 0 && !error_) {
            error_ = std::strerror(errno);
        }
        if (std::fclose(file) != 0 && !error_) {
            error_ = std::strerror(errno);
        }
        return error_;
    }

private:
    [[noreturn]] void fail()
    {
        if (!error_) {
            error_ = std::strerror(errno);
        }
        throw std::runtime_error(*error_);
    }

    std::FILE* file_;
    std::optional<std::string> error_;
};

Failure exrFailure(const std::string& fileName, const std::string& reason)
{
    return Failure{"Could not write OpenEXR image " + fileName + ": " + reason};
}

class ExrRowWriter : public ImageRowWriter {
public:
    ExrRowWriter(const std::string& fileName, std::FILE* file, const ImageShape& shape, std::span<const PngText> texts)
        : stream_(fileName, file),
          fileName_(fileName),
          width_(shape.width),
          heldPixels_(static_cast<std::size_t>(shape.width) *
                      static_cast<std::size_t>(heldRowsFor(shape.width, compressionThreads())))
    {
        held_.reserve(heldPixels_);
        file_.emplace(stream_, exrHeader(shape, texts), compressionThreads());
    }

    Result<void> writeRow(const std::uint32_t*, const DeepPixel* deep) override
    {
        if (deep == nullptr) {
            return exrFailure(fileName_, "its rows came without float values");
        }
        std::transform(deep, deep + width_, std::back_inserter(held_), exrPixel);
        if (held_.size() < heldPixels_) {
            return {};
        }
        return writeHeldRows();
    }

    // The library writes the table of block offsets as it lets the file go.
    Result<void> finish() override
    {
        if (Result<void> written = writeHeldRows(); !written) {
            return written;
        }
        file_.reset();
        if (const std::optional<std::string> error = stream_.close()) {
            return exrFailure(fileName_, *error);
        }
        return {};
    }

private:
    Result<void> writeHeldRows()
    {
        const int rows = static_cast<int>(held_.size() / static_cast<std::size_t>(width_));
        if (rows == 0) {
            return {};
        }
        try {
            file_->setFrameBuffer(heldSlices(held_, width_, file_->currentScanLine(), rows));
            file_->writePixels(rows);
        } catch (const std::exception& error) {
            return exrFailure(fileName_, error.what());
        }
        held_.clear();
        return {};
    }

    ExrFileStream stream_;
    std::string fileName_;
    int width_;
    std::size_t heldPixels_;
    std::vector<ExrPixel> held_;  // whole rows not yet given to the library
    std::optional<Imf::OutputFile> file_;
};

Result<std::unique_ptr<ImageRowWriter>> openExrRows(const std::string& fileName, const ImageShape& shape,
                                                    std::span<const PngText> texts)
{
    if (shape.order != RowOrder::TopFirst) {
        return Failure{"Could not write OpenEXR image " + fileName + ": its rows go top first"};
    }
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (file == nullptr) {
        return Failure{"Could not create " + fileName + ": " + std::strerror(errno)};
    }
    try {
        return std::unique_ptr<ImageRowWriter>(std::make_unique<ExrRowWriter>(fileName, file, shape, texts));
    } catch (const std::exception& error) {
        return exrFailure(fileName, error.what());
    }
}

bool alwaysDeep(const ImageEncoding&)
{
    return true;
}

}  // namespace

const ImageFormat& exrImageFormat()
{
    // Half floats: 16 bits a colour channel, not a choice.
    static constexpr std::array<DialogChoice, 1> kChoices{{{"*.exr", {16, true}}}};
    static const ImageFormat format{.name = "OpenEXR",
                                    .extension = ".exr",
                                    .carriesParameters = true,
                                    .storedOrder = RowOrder::TopFirst,
                                    .openRowWriter = openExrRows,
                                    .needsDeepRows = alwaysDeep,
                                    .bitDepths = {},
                                    .alpha = AlphaChannel::Always,
                                    .dialogChoices = kChoices};
    return format;
}

}  // namespace tessaform
