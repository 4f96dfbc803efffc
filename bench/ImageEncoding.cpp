#include "ImageEncoding.h"

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "BenchScenes.h"
#include "io/ImageFormats.h"
#include "io/TgaWriter.h"
#include "params/Gradient.h"

namespace tessaform::bench {
namespace {

struct DeepImage {
    int width = 2048;
    int height = 1536;
    std::vector<std::uint32_t> pixels;
    std::vector<DeepPixel> deep;
};

// Rendered once, on first use: the encoders see a real image's runs and edges.
const DeepImage& renderedImage()
{
    static const DeepImage image = [] {
        DeepImage made;
        CompletingObserver observer;
        const auto keep = [&](int, const std::uint32_t* pixels, const DeepPixel* deep) {
            made.pixels.insert(made.pixels.end(), pixels, pixels + made.width);
            made.deep.insert(made.deep.end(), deep, deep + made.width);
            return true;
        };
        renderDeepRows(defaultParams(), neutralGradient(), made.width, made.height, observer, {}, keep);
        return made;
    }();
    return image;
}

// Writes the whole image; the file's size, or 0 when the writer failed.
std::uintmax_t writeOnce(const ImageFormat& format, const ImageEncoding& encoding, const std::string& file)
{
    const DeepImage& image = renderedImage();
    auto writer = format.openRowWriter(file, {image.width, image.height, format.storedOrder, encoding}, {});
    if (!writer) {
        return 0;
    }
    for (int index = 0; index < image.height; ++index) {
        const int row = format.storedOrder == RowOrder::TopFirst ? index : image.height - 1 - index;
        const std::size_t at = static_cast<std::size_t>(row) * static_cast<std::size_t>(image.width);
        if (!(*writer)->writeRow(image.pixels.data() + at, image.deep.data() + at)) {
            return 0;
        }
    }
    return (*writer)->finish() ? std::filesystem::file_size(file) : 0;
}

void encode(benchmark::State& state, const ImageFormat* format, ImageEncoding encoding)
{
    const DeepImage& image = renderedImage();
    const std::string file =
        (std::filesystem::temp_directory_path() / ("tessaform-bench-" + std::to_string(::getpid()))).string();
    std::uintmax_t size = 0;
    for (auto _ : state) {
        size = writeOnce(*format, encoding, file);
        if (size == 0) {
            state.SkipWithError("the image could not be written");
            break;
        }
    }
    std::filesystem::remove(file);
    const double pixels = static_cast<double>(image.width) * image.height;
    state.counters["Mpix/s"] =
        benchmark::Counter(pixels * 1e-6 * static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["file_MB"] = static_cast<double>(size) * 1e-6;
}

}  // namespace

void registerImageEncodingBenchmarks()
{
    const struct {
        const char* name;
        const ImageFormat* format;
        ImageEncoding encoding;
    } cases[] = {
        {"image_encoding/tga", &tgaImageFormat(), {}},
        {"image_encoding/png", &pngImageFormat(), {}},
        {"image_encoding/png_rgba16", &pngImageFormat(), {16, true}},
    };
    for (const auto& c : cases) {
        benchmark::RegisterBenchmark(c.name, encode, c.format, c.encoding)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
}

}  // namespace tessaform::bench
