#include "io/ExrWriter.h"

#include <Imath/half.h>
#include <OpenEXR/ImfChannelList.h>
#include <OpenEXR/ImfFrameBuffer.h>
#include <OpenEXR/ImfHeader.h>
#include <OpenEXR/ImfIO.h>
#include <OpenEXR/ImfOutputFile.h>
#include <OpenEXR/ImfStringAttribute.h>

#include <array>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <exception>
#include <optional>
#include <stdexcept>
#include <vector>

#include "io/ImageFormats.h"

namespace tessaform {
namespace {

constexpr std::array<const char*, 4> kColourChannels{"R", "G", "B", "A"};
constexpr const char* kDepthChannel = "Z";
constexpr std::array<const char*, 3> kNormalChannels{"N.X", "N.Y", "N.Z"};

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

// Every slice reads the one row buffer (a y stride of 0): each row is
// copied into the library's block as it is written, so the buffer is free
// again for the next.
Imf::FrameBuffer rowSlices(std::vector<ExrPixel>& row)
{
    char* base = reinterpret_cast<char*>(row.data());
    const std::size_t stride = sizeof(ExrPixel);
    Imf::FrameBuffer slices;
    for (std::size_t channel = 0; channel < kColourChannels.size(); ++channel) {
        slices.insert(kColourChannels[channel],
                      Imf::Slice(Imf::HALF, base + offsetof(ExrPixel, rgba) + channel * sizeof(half), stride, 0));
    }
    slices.insert(kDepthChannel, Imf::Slice(Imf::FLOAT, base + offsetof(ExrPixel, depth), stride, 0));
    for (std::size_t axis = 0; axis < kNormalChannels.size(); ++axis) {
        slices.insert(kNormalChannels[axis],
                      Imf::Slice(Imf::FLOAT, base + offsetof(ExrPixel, normal) + axis * sizeof(float), stride, 0));
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
        : stream_(fileName, file), fileName_(fileName), row_(static_cast<std::size_t>(shape.width))
    {
        // No worker threads: blocks are compressed on the rendering thread,
        // and the bytes do not depend on any thread count.
        file_.emplace(stream_, exrHeader(shape, texts), 0);
        file_->setFrameBuffer(rowSlices(row_));
    }

    Result<void> writeRow(const std::uint32_t*, const DeepPixel* deep) override
    {
        if (deep == nullptr) {
            return exrFailure(fileName_, "its rows came without float values");
        }
        for (std::size_t column = 0; column < row_.size(); ++column) {
            row_[column] = exrPixel(deep[column]);
        }
        try {
            file_->writePixels(1);
        } catch (const std::exception& error) {
            return exrFailure(fileName_, error.what());
        }
        return {};
    }

    // The library writes the table of block offsets as it lets the file go.
    Result<void> finish() override
    {
        file_.reset();
        if (const std::optional<std::string> error = stream_.close()) {
            return exrFailure(fileName_, *error);
        }
        return {};
    }

private:
    ExrFileStream stream_;
    std::string fileName_;
    std::vector<ExrPixel> row_;
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
