#include "io/TgaWriter.h"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "io/ImageFormats.h"

namespace tessaform {
namespace {

constexpr std::size_t kTgaHeaderBytes = 18;

// An uncompressed 24-bit image, its rows stored bottom first.
std::array<unsigned char, kTgaHeaderBytes> tgaHeader(int width, int height)
{
    const auto low = [](int value) { return static_cast<unsigned char>(value & 0xFF); };
    const auto high = [](int value) { return static_cast<unsigned char>((value >> 8) & 0xFF); };
    return {0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, low(width), high(width), low(height), high(height), 24, 0};
}

std::string describeFailure(const char* what, const std::string& fileName, int error)
{
    return std::string(what) + " " + fileName + ": " + std::strerror(error);
}

// Rows arriving bottom first follow one another; rows arriving top first
// are each put in place by their offset.
class TgaRows : public ImageRowWriter {
public:
    TgaRows(std::string fileName, std::FILE* file, const ImageShape& shape)
        : fileName_(std::move(fileName)), file_(file), shape_(shape), bytes_(static_cast<std::size_t>(shape.width) * 3)
    {
    }

    ~TgaRows() override
    {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }

    Result<void> writeRow(const std::uint32_t* pixels, const DeepPixel*) override
    {
        for (int column = 0; column < shape_.width; ++column) {
            const std::uint32_t pixel = pixels[column];
            bytes_[3 * static_cast<std::size_t>(column)] = static_cast<unsigned char>(pixel & 0xFF);
            bytes_[3 * static_cast<std::size_t>(column) + 1] = static_cast<unsigned char>((pixel >> 8) & 0xFF);
            bytes_[3 * static_cast<std::size_t>(column) + 2] = static_cast<unsigned char>((pixel >> 16) & 0xFF);
        }
        const bool placed = shape_.order == RowOrder::BottomFirst || seekToRow(shape_.height - 1 - row_);
        ++row_;
        // A row of no pixels has no bytes to hand over (fwrite must not see a null buffer).
        const bool written =
            placed && (bytes_.empty() || std::fwrite(bytes_.data(), 1, bytes_.size(), file_) == bytes_.size());
        if (!written) {
            return Failure{describeFailure("Could not write", fileName_, errno)};
        }
        return {};
    }

    Result<void> finish() override
    {
        std::FILE* file = file_;
        file_ = nullptr;
        const bool flushed = std::fflush(file) == 0;
        const int error = errno;
        if (std::fclose(file) != 0 || !flushed) {
            return Failure{describeFailure("Could not finish writing", fileName_, flushed ? errno : error)};
        }
        return {};
    }

private:
    bool seekToRow(int rowFromBottom)
    {
        const off_t at =
            static_cast<off_t>(kTgaHeaderBytes) + static_cast<off_t>(rowFromBottom) * static_cast<off_t>(bytes_.size());
        return ::fseeko(file_, at, SEEK_SET) == 0;
    }

    std::string fileName_;
    std::FILE* file_;
    ImageShape shape_;
    int row_ = 0;
    std::vector<unsigned char> bytes_;
};

Result<std::unique_ptr<ImageRowWriter>> openTgaRows(const std::string& fileName, const ImageShape& shape,
                                                    std::span<const PngText>)
{
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (file == nullptr) {
        return Failure{describeFailure("Could not create", fileName, errno)};
    }
    auto writer = std::make_unique<TgaRows>(fileName, file, shape);
    const std::array<unsigned char, kTgaHeaderBytes> header = tgaHeader(shape.width, shape.height);
    if (std::fwrite(header.data(), 1, header.size(), file) != header.size()) {
        return Failure{describeFailure("Could not write", fileName, errno)};
    }
    return std::unique_ptr<ImageRowWriter>(std::move(writer));
}

}  // namespace

const ImageFormat& tgaImageFormat()
{
    static constexpr std::array<int, 1> kBitDepths{8};
    static constexpr std::array<DialogChoice, 1> kChoices{{{"*.tga", {8, false}}}};
    static const ImageFormat format{.name = "TGA",
                                    .extension = ".tga",
                                    .carriesParameters = false,
                                    .storedOrder = RowOrder::BottomFirst,
                                    .openRowWriter = openTgaRows,
                                    .needsDeepRows = nullptr,
                                    .bitDepths = kBitDepths,
                                    .alpha = AlphaChannel::None,
                                    .dialogChoices = kChoices};
    return format;
}

}  // namespace tessaform
