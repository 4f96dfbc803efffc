#include "io/ImageRowWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <vector>

#include "io/AtomicReplace.h"
#include "io/ImageOutput.h"
#include "io/TgaWriter.h"

namespace tessaform {
namespace {

class PngRows : public ImageRowWriter {
public:
    explicit PngRows(std::unique_ptr<PngRowWriter> png) : png_(std::move(png)) {}

    Result<void> writeRow(const std::uint32_t* pixels) override { return png_->writeRow(pixels); }
    Result<void> finish() override { return png_->finish(); }

private:
    std::unique_ptr<PngRowWriter> png_;
};

// Rows arrive top first; the file keeps them bottom first.
class TgaRows : public ImageRowWriter {
public:
    TgaRows(std::string fileName, std::FILE* file, int width, int height)
        : fileName_(std::move(fileName)),
          file_(file),
          width_(width),
          height_(height),
          bytes_(static_cast<std::size_t>(width) * 3)
    {
    }

    ~TgaRows() override
    {
        if (file_ != nullptr) {
            std::fclose(file_);
        }
    }

    Result<void> writeRow(const std::uint32_t* pixels) override
    {
        for (int column = 0; column < width_; ++column) {
            const std::uint32_t pixel = pixels[column];
            bytes_[3 * static_cast<std::size_t>(column)] = static_cast<unsigned char>(pixel & 0xFF);
            bytes_[3 * static_cast<std::size_t>(column) + 1] = static_cast<unsigned char>((pixel >> 8) & 0xFF);
            bytes_[3 * static_cast<std::size_t>(column) + 2] = static_cast<unsigned char>((pixel >> 16) & 0xFF);
        }
        const off_t at = static_cast<off_t>(kTgaHeaderBytes) +
                         static_cast<off_t>(height_ - 1 - row_) * static_cast<off_t>(bytes_.size());
        ++row_;
        if (::fseeko(file_, at, SEEK_SET) != 0 ||
            std::fwrite(bytes_.data(), 1, bytes_.size(), file_) != bytes_.size()) {
            return Failure{"Could not write " + fileName_ + ": " + std::strerror(errno)};
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
            return Failure{"Could not write " + fileName_ + ": " + std::strerror(flushed ? errno : error)};
        }
        return {};
    }

private:
    std::string fileName_;
    std::FILE* file_;
    int width_;
    int height_;
    int row_ = 0;
    std::vector<unsigned char> bytes_;
};

Result<std::unique_ptr<ImageRowWriter>> openTga(const std::string& fileName, int width, int height)
{
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (file == nullptr) {
        return Failure{"Could not create " + fileName + ": " + std::strerror(errno)};
    }
    auto writer = std::make_unique<TgaRows>(fileName, file, width, height);
    const std::array<unsigned char, kTgaHeaderBytes> header = tgaHeader(width, height);
    if (std::fwrite(header.data(), 1, header.size(), file) != header.size()) {
        return Failure{"Could not write " + fileName + ": " + std::strerror(errno)};
    }
    return std::unique_ptr<ImageRowWriter>(std::move(writer));
}

}  // namespace

Result<std::unique_ptr<ImageRowWriter>> ImageRowWriter::open(const std::string& fileName, bool png, int width,
                                                             int height, std::span<const PngText> texts)
{
    if (!png) {
        return openTga(fileName, width, height);
    }
    Result<std::unique_ptr<PngRowWriter>> writer = PngRowWriter::open(fileName, width, height, texts);
    if (!writer) {
        return Failure{writer.error()};
    }
    return std::unique_ptr<ImageRowWriter>(std::make_unique<PngRows>(std::move(writer).value()));
}

Result<void> writeImageFileByRows(const std::string& fileName, int width, int height, std::span<const PngText> texts,
                                  const std::function<Result<void>(ImageRowWriter& writer)>& produce)
{
    const bool png = namesPng(fileName);
    return replaceFileAtomically(fileName, [&](const std::string& temporaryPath) -> Result<void> {
        Result<std::unique_ptr<ImageRowWriter>> writer = ImageRowWriter::open(temporaryPath, png, width, height, texts);
        if (!writer) {
            return Failure{writer.error()};
        }
        if (Result<void> produced = produce(**writer); !produced) {
            return produced;
        }
        return (*writer)->finish();
    });
}

}  // namespace tessaform
