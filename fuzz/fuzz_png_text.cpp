// Feeds arbitrary bytes to the PNG text-chunk reader and the parameters
// carried in those chunks, and checks what must hold for any file: whatever
// loads writes back to chunks that load to the very same record and
// gradient, bit for bit.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "FuzzCheck.h"
#include "io/PngTextReader.h"
#include "jobs/ImageMetadata.h"

namespace {

using tessaform::ImageParams;
using tessaform::PngText;

bool sameGradient(const tessaform::Gradient& a, const tessaform::Gradient& b)
{
    // No memcmp for empty tables: their data pointers may be null.
    return a.count() == b.count() &&
           (a.empty() || std::memcmp(a.entries().data(), b.entries().data(), a.entries().size_bytes()) == 0);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    std::unique_ptr<std::FILE, int (*)(std::FILE*)> stream(fmemopen(const_cast<std::uint8_t*>(data), size, "rb"),
                                                           std::fclose);
    if (!stream) {
        return 0;
    }
    const tessaform::Result<std::vector<PngText>> texts = tessaform::readPngTexts(stream.get());
    if (!texts) {
        FUZZ_CHECK(!texts.error().empty());
        return 0;
    }
    const tessaform::Result<ImageParams> loaded = tessaform::imageParamsFromTexts(*texts);
    if (!loaded) {
        return 0;
    }
    const std::vector<PngText> rewritten = tessaform::imageMetadata(loaded->params, *loaded->gradient);
    const tessaform::Result<ImageParams> reloaded = tessaform::imageParamsFromTexts(rewritten);
    FUZZ_CHECK(reloaded.ok());
    FUZZ_CHECK(std::memcmp(&reloaded->params, &loaded->params, sizeof loaded->params) == 0);
    FUZZ_CHECK(sameGradient(*reloaded->gradient, *loaded->gradient));
    return 0;
}
