#include "io/TilePartReadAhead.h"

#include <tbb/task_group.h>

#include <algorithm>
#include <exception>
#include <utility>
#include <vector>

#include "base/SanitizerHandOff.h"
#include "render/DeepPixel.h"

namespace tessaform {
namespace {

std::size_t rowsPerChunk(const TilePartHeader& header, std::size_t chunkBytes)
{
    const std::size_t pixelBytes = sizeof(std::uint32_t) + (header.deep ? sizeof(DeepPixel) : 0);
    return std::max<std::size_t>(1, chunkBytes / (pixelBytes * static_cast<std::size_t>(header.width)));
}

}  // namespace

struct TilePartReadAhead::Chunk {
    class Task;

    tbb::task_group work;
    std::vector<TilePartRow> rows;
    std::size_t count = 0;  // rows to read, then rows read
    Result<void> failure;   // what stopped the reading after count rows

    void read(TilePartReader& reader)
    {
        for (std::size_t row = 0; row < count; ++row) {
            if (failure = reader.readRow(rows[row]); !failure) {
                count = row;
                return;
            }
        }
    }
};

// libtbb hides from ThreadSanitizer that a task starts after the thread
// that built it wrote the chunk, and that its waiter reads it after the
// task ended; the chunk is the token of both.
class TilePartReadAhead::Chunk::Task {
public:
    Task(Chunk* chunk, TilePartReader* reader) : chunk_(chunk), reader_(reader) { handOver(chunk_); }
    Task(Task&& other) noexcept : chunk_(other.chunk_), reader_(other.reader_) { handOver(chunk_); }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    Task& operator=(Task&&) = delete;

    void operator()() const
    {
        takeOver(chunk_);
        chunk_->read(*reader_);
        handOver(chunk_);
    }

private:
    Chunk* chunk_;
    TilePartReader* reader_;
};

TilePartReadAhead::TilePartReadAhead(TilePartReader& reader, const TilePartHeader& header, std::size_t chunkBytes)
    : reader_(reader),
      rowsPerChunk_(rowsPerChunk(header, chunkBytes)),
      rowsLeft_(static_cast<std::size_t>(header.endRow - header.firstRow)),
      current_(std::make_unique<Chunk>()),
      ahead_(std::make_unique<Chunk>())
{
    readInto(*ahead_);
}

// A row left unread is of no use any more, nor is why it failed.
TilePartReadAhead::~TilePartReadAhead()
{
    try {
        waitFor(*ahead_);
    } catch (const std::exception&) {
    }
}

Result<const TilePartRow*> TilePartReadAhead::next()
{
    while (taken_ == current_->count) {
        if (!current_->failure) {
            return Failure{current_->failure.error()};
        }
        waitFor(*ahead_);
        if (ahead_->count == 0 && ahead_->failure) {
            return Failure{"no rows after the band's last"};
        }
        std::swap(current_, ahead_);
        taken_ = 0;
        if (current_->failure) {
            readInto(*ahead_);
        }
    }
    return &current_->rows[taken_++];
}

// The reader is only ever used by one chunk's task at a time.
void TilePartReadAhead::readInto(Chunk& chunk)
{
    chunk.count = std::min(rowsPerChunk_, rowsLeft_);
    chunk.failure = {};
    rowsLeft_ -= chunk.count;
    if (chunk.count == 0) {
        return;
    }
    chunk.rows.resize(std::max(chunk.rows.size(), chunk.count));
    chunk.work.run(Chunk::Task(&chunk, &reader_));
}

void TilePartReadAhead::waitFor(Chunk& chunk)
{
    chunk.work.wait();
    takeOver(&chunk);
}

}  // namespace tessaform
