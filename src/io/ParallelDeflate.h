#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <vector>

namespace tessaform {

// One zlib stream made in independent segments, the way parallel gzip tools
// do: each segment's bytes are made and deflated on a worker thread of its
// own, ending on a byte boundary, and the pieces are handed on in order with
// the checksums combined. At most a few segments per core are held at once,
// so a stream of any length streams through bounded memory. The bytes depend
// only on the segments given, never on the threads.
class ParallelDeflate {
public:
    // Takes each finished piece of the stream, in order (the first begins with
    // the zlib header, the last ends with the checksum); false when it could
    // not be stored.
    using Sink = std::function<bool(std::span<const std::uint8_t> piece)>;
    // Makes a segment's uncompressed bytes, on a worker thread.
    using Producer = std::function<void(std::vector<std::uint8_t>& bytes)>;

    // zlib's compression level and strategy.
    struct Settings {
        int level;
        int strategy;
    };

    ParallelDeflate(Settings settings, Sink sink);
    ~ParallelDeflate();
    ParallelDeflate(const ParallelDeflate&) = delete;
    ParallelDeflate& operator=(const ParallelDeflate&) = delete;

    // Queues the next segment; the last one given must be final. False once
    // a segment could not be made or the sink refused a piece.
    bool add(Producer produce, bool final);
    // Waits for every segment queued and hands on what is left.
    bool finish();

private:
    struct Segment;

    bool handOnFinished();
    bool handOn(Segment& segment);

    Settings settings_;
    Sink sink_;
    std::deque<std::unique_ptr<Segment>> inFlight_;
    std::size_t mostInFlight_;
    bool started_ = false;
    bool failed_ = false;
    unsigned long checksum_;
};

}  // namespace tessaform
