#pragma once

#include <cstddef>
#include <memory>

#include "base/Result.h"
#include "io/TilePart.h"

namespace tessaform {

// Reads a part's rows on another thread a chunk ahead of their use, so
// that reading and checking them runs beside what is done with them. Holds
// two chunks, whatever the part's size.
class TilePartReadAhead {
public:
    // Large enough that handing a chunk over costs little beside reading
    // it, small enough to stay in a core's cache.
    static constexpr std::size_t kChunkBytes = 512 * 1024;

    // reader has read header; it stays in use on another thread until the
    // band's last row is taken or this is destroyed. A chunk holds at least
    // a row.
    TilePartReadAhead(TilePartReader& reader, const TilePartHeader& header, std::size_t chunkBytes = kChunkBytes);
    ~TilePartReadAhead();
    TilePartReadAhead(const TilePartReadAhead&) = delete;
    TilePartReadAhead& operator=(const TilePartReadAhead&) = delete;

    // The band's next row, kept until the next call, or the reader's
    // failure at it.
    Result<const TilePartRow*> next();

private:
    struct Chunk;

    void readInto(Chunk& chunk);
    void waitFor(Chunk& chunk);

    TilePartReader& reader_;
    std::size_t rowsPerChunk_;
    std::size_t rowsLeft_;
    std::unique_ptr<Chunk> current_;
    std::unique_ptr<Chunk> ahead_;
    std::size_t taken_ = 0;  // of current_'s rows
};

}  // namespace tessaform
