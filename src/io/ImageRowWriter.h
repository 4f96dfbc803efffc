#pragma once

#include <cstdint>

#include "base/Result.h"
#include "render/DeepPixel.h"

namespace tessaform {

// The order rows reach a writer in. A writer fed in the order its format
// stores them writes straight on, so it also fills a pipe; fed otherwise it
// puts each row in place by its offset.
enum class RowOrder { TopFirst, BottomFirst };

// Writes an image row by row, so that it never has to be whole in memory.
class ImageRowWriter {
public:
    virtual ~ImageRowWriter() = default;

    // The next row in the order the writer was opened for: 0x00RRGGBB
    // pixels, and their float values where the writer's format and encoding
    // need them (ImageFormat::needsDeepRows), null otherwise.
    virtual Result<void> writeRow(const std::uint32_t* pixels, const DeepPixel* deep) = 0;
    // After the last row: the file complete and closed.
    virtual Result<void> finish() = 0;
};

}  // namespace tessaform
