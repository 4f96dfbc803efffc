// Feeds arbitrary bytes to the gradient-image reader, through a file as the
// program reads it, and checks that a result is whole colours, that the
// loader publishes exactly what the reader returned, and that a refused
// image leaves the old table and reports the failure.

#include <sanitizer/allocator_interface.h>
#include <sys/mman.h>
#include <unistd.h>

#include <QtGlobal>

#include <atomic>
#include <cerrno>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "FuzzCheck.h"
#include "image/GradientImage.h"
#include "image/GradientLoader.h"
#include "params/Gradient.h"

namespace {

// One in-memory file for the whole run: no disk traffic and nothing left
// behind, and the reader still opens it by path like any other file.
int imageFile = -1;
std::string imagePath;

void discardMessage(QtMsgType, const QMessageLogContext&, const QString&) {}

// Every new heap block is filled with a byte that differs between the two
// decodes of an input, so colours made from memory the decoder never wrote
// differ between them every time rather than by chance. Only blocks up to
// 64 KiB: larger ones come straight from mmap, and calloc relies on those
// staying zero.
constexpr std::size_t kLargestFilledBlock = 64 * 1024;
std::atomic<unsigned char> heapFill{0x5a};

void fillNewBlock(const volatile void* block, std::size_t size)
{
    if (block != nullptr && size <= kLargestFilledBlock) {
        std::memset(const_cast<void*>(block), heapFill.load(std::memory_order_relaxed), size);
    }
}

void ignoreFreedBlock(const volatile void*) {}

void openImageFile()
{
    imageFile = memfd_create("tessaform-fuzz-image", MFD_CLOEXEC);
    if (imageFile < 0) {
        std::perror("memfd_create");
        std::abort();
    }
    imagePath = "/proc/self/fd/" + std::to_string(imageFile);
}

void replaceImageFile(const std::uint8_t* data, std::size_t size)
{
    FUZZ_CHECK(ftruncate(imageFile, 0) == 0);
    std::size_t written = 0;
    while (written < size) {
        const ssize_t n = pwrite(imageFile, data + written, size - written, static_cast<off_t>(written));
        if (n < 0 && errno == EINTR) continue;
        FUZZ_CHECK(n > 0);
        written += static_cast<std::size_t>(n);
    }
}

void checkInput()
{
    heapFill = 0x5a;
    const tessaform::Result<std::vector<std::uint8_t>> rgb = tessaform::readTopRowRgb(imagePath);
    if (rgb) {
        FUZZ_CHECK(!rgb->empty());
        FUZZ_CHECK(rgb->size() % 3 == 0);
    }

    tessaform::GradientSlot slot;
    const std::shared_ptr<const tessaform::Gradient> before = slot.current();
    heapFill = 0xa5;
    const tessaform::Result<void> loaded = tessaform::loadGradient(imagePath, slot);
    const std::shared_ptr<const tessaform::Gradient> after = slot.current();

    // The loader decodes the same file again, so it must agree with the
    // first read; a difference means the decode depends on stray memory.
    FUZZ_CHECK(loaded.ok() == rgb.ok());
    if (!loaded) {
        FUZZ_CHECK(loaded.error() == tessaform::kCouldNotLoadImage);
        FUZZ_CHECK(after == before);
        return;
    }
    FUZZ_CHECK(after != before);
    FUZZ_CHECK(after->count() > 0);
    FUZZ_CHECK(static_cast<std::size_t>(after->count()) * 3 == rgb->size());
    const tessaform::Gradient expected = tessaform::gradientFromRgbBytes(*rgb);
    for (int i = 0; i < after->count(); ++i) {
        const tessaform::Colour& got = (*after)[i];
        const tessaform::Colour& want = expected[i];
        FUZZ_CHECK(got.r == want.r && got.g == want.g && got.b == want.b);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Decoders report broken files through Qt's message handler; printing
    // each one would cost more than the decode.
    qInstallMessageHandler(discardMessage);
    __sanitizer_install_malloc_and_free_hooks(fillNewBlock, ignoreFreedBlock);
    openImageFile();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    replaceImageFile(data, size);
    try {
        checkInput();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "exception escaped: %s\n", error.what());
        std::abort();
    }
    return 0;
}
