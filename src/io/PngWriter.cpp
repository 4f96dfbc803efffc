#include "io/PngWriter.h"

#include <png.h>

#include <array>
#include <cerrno>
#include <csetjmp>
#include <cstring>
#include <vector>

#include "io/ImageFormats.h"

namespace tessaform {
namespace {

// libpng reports through these; a longjmp back to the guarded call ends it,
// and warnings (none are expected for what is written here) stay silent.
[[noreturn]] void jumpOnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

void ignoreWarning(png_structp, png_const_charp) {}

// 8-bit RGB, top row first, the text chunks before the pixels.
class PngRowWriter : public ImageRowWriter {
public:
    ~PngRowWriter() override;
    PngRowWriter(const PngRowWriter&) = delete;
    PngRowWriter& operator=(const PngRowWriter&) = delete;

    static Result<std::unique_ptr<ImageRowWriter>> open(const std::string& fileName, const ImageShape& shape,
                                                        std::span<const PngText> texts);

    Result<void> writeRow(const std::uint32_t* pixels, const DeepPixel* deep) override;
    // The end chunk, and the file closed.
    Result<void> finish() override;

private:
    struct Codec;

    PngRowWriter(std::string fileName, std::FILE* file, int width);
    Failure failure(const char* what) const;

    std::string fileName_;
    std::FILE* file_;
    std::unique_ptr<Codec> codec_;
    int width_;
};

struct PngRowWriter::Codec {
    png_structp png = nullptr;
    png_infop info = nullptr;
    std::vector<png_byte> row;

    ~Codec() { png_destroy_write_struct(&png, &info); }

    // Runs one libpng step. Only libpng calls on plain data happen inside,
    // so the jump back on an error skips no destructor.
    template <typename Step>
    bool guarded(Step step)
    {
        if (setjmp(png_jmpbuf(png)) != 0) {
            return false;
        }
        step();
        return true;
    }
};

PngRowWriter::PngRowWriter(std::string fileName, std::FILE* file, int width)
    : fileName_(std::move(fileName)), file_(file), codec_(std::make_unique<Codec>()), width_(width)
{
}

PngRowWriter::~PngRowWriter()
{
    codec_.reset();
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

Failure PngRowWriter::failure(const char* what) const
{
    const int error = errno;
    return Failure{std::string(what) + " " + fileName_ + (error != 0 ? std::string(": ") + std::strerror(error) : "")};
}

Result<std::unique_ptr<ImageRowWriter>> PngRowWriter::open(const std::string& fileName, const ImageShape& shape,
                                                           std::span<const PngText> texts)
{
    if (shape.order != RowOrder::TopFirst) {
        return Failure{"Could not write PNG image " + fileName + ": its rows go top first"};
    }
    const int width = shape.width;
    const int height = shape.height;
    std::FILE* file = std::fopen(fileName.c_str(), "wb");
    if (file == nullptr) {
        return Failure{"Could not create " + fileName + ": " + std::strerror(errno)};
    }
    std::unique_ptr<PngRowWriter> writer(new PngRowWriter(fileName, file, width));
    Codec& codec = *writer->codec_;
    codec.png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpOnError, ignoreWarning);
    codec.info = codec.png != nullptr ? png_create_info_struct(codec.png) : nullptr;
    if (codec.info == nullptr) {
        return Failure{"Not enough memory to write " + fileName};
    }
    codec.row.resize(static_cast<std::size_t>(width) * 3);
    std::vector<png_text> chunks(texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        chunks[i].compression = texts[i].compressed ? PNG_TEXT_COMPRESSION_zTXt : PNG_TEXT_COMPRESSION_NONE;
        chunks[i].key = const_cast<png_charp>(texts[i].keyword.c_str());
        chunks[i].text = const_cast<png_charp>(texts[i].text.c_str());
        chunks[i].text_length = texts[i].text.size();
    }
    const bool started = codec.guarded([&] {
        png_init_io(codec.png, file);
        png_set_IHDR(codec.png, codec.info, static_cast<png_uint_32>(width), static_cast<png_uint_32>(height), 8,
                     PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
        png_set_text(codec.png, codec.info, chunks.data(), static_cast<int>(chunks.size()));
        png_write_info(codec.png, codec.info);
    });
    if (!started) {
        return writer->failure("Could not write PNG image");
    }
    return std::unique_ptr<ImageRowWriter>(std::move(writer));
}

Result<void> PngRowWriter::writeRow(const std::uint32_t* pixels, const DeepPixel*)
{
    png_byte* out = codec_->row.data();
    for (int x = 0; x < width_; ++x) {
        const std::uint32_t pixel = pixels[x];
        *out++ = static_cast<png_byte>(pixel >> 16);
        *out++ = static_cast<png_byte>(pixel >> 8);
        *out++ = static_cast<png_byte>(pixel);
    }
    Codec& codec = *codec_;
    errno = 0;
    if (!codec.guarded([&] { png_write_row(codec.png, codec.row.data()); })) {
        return failure("Could not write PNG image");
    }
    return {};
}

Result<void> PngRowWriter::finish()
{
    Codec& codec = *codec_;
    errno = 0;
    if (!codec.guarded([&] { png_write_end(codec.png, codec.info); })) {
        return failure("Could not write PNG image");
    }
    std::FILE* file = file_;
    file_ = nullptr;
    if (std::fflush(file) != 0 || std::ferror(file) != 0) {
        Failure failed = failure("Could not write PNG image");
        std::fclose(file);
        return failed;
    }
    if (std::fclose(file) != 0) {
        return failure("Could not write PNG image");
    }
    return {};
}

// Float values give the 16-bit channels and alpha.
bool needsDeepRows(const ImageEncoding& encoding)
{
    return encoding.bitDepth > 8 || encoding.alpha;
}

}  // namespace

const ImageFormat& pngImageFormat()
{
    static constexpr std::array<int, 2> kBitDepths{8, 16};
    static constexpr std::array<DialogChoice, 2> kChoices{{{"*.png", {8, false}}, {"*.png (16-bit)", {16, false}}}};
    static const ImageFormat format{.name = "PNG",
                                    .extension = ".png",
                                    .carriesParameters = true,
                                    .storedOrder = RowOrder::TopFirst,
                                    .openRowWriter = PngRowWriter::open,
                                    .needsDeepRows = needsDeepRows,
                                    .bitDepths = kBitDepths,
                                    .alpha = AlphaChannel::Optional,
                                    .dialogChoices = kChoices};
    return format;
}

}  // namespace tessaform
