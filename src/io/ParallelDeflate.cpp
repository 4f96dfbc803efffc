#include "io/ParallelDeflate.h"

#include <tbb/task_arena.h>
#include <tbb/task_group.h>
#include <zlib.h>

#include <algorithm>
#include <atomic>
#include <exception>

#include "base/SanitizerHandOff.h"

namespace tessaform {
namespace {

constexpr int kRawWindowBits = -15;
constexpr int kMemoryLevel = 8;

// A worker thread's deflate state, kept from segment to segment: set up
// afresh, its tables cost page faults and clearing comparable to deflating
// a segment.
class ThreadDeflater {
public:
    ~ThreadDeflater()
    {
        if (ready_) {
            deflateEnd(&stream_);
        }
    }

    // The stream reset for a segment, or null when zlib could not set it up.
    z_stream* streamFor(ParallelDeflate::Settings settings)
    {
        if (ready_ && (settings.level != settings_.level || settings.strategy != settings_.strategy)) {
            deflateEnd(&stream_);
            ready_ = false;
        }
        if (!ready_) {
            stream_ = z_stream{};
            ready_ = deflateInit2(&stream_, settings.level, Z_DEFLATED, kRawWindowBits, kMemoryLevel,
                                  settings.strategy) == Z_OK;
            settings_ = settings;
            return ready_ ? &stream_ : nullptr;
        }
        return deflateReset(&stream_) == Z_OK ? &stream_ : nullptr;
    }

private:
    z_stream stream_{};
    ParallelDeflate::Settings settings_{};
    bool ready_ = false;
};

// Deflates bytes as raw deflate onto the end of out: ended by a sync flush,
// so that the next segment's blocks begin on a byte, or as the stream's last
// block when final.
bool deflateOnto(std::span<const std::uint8_t> bytes, ParallelDeflate::Settings settings, bool final,
                 std::vector<std::uint8_t>& out)
{
    thread_local ThreadDeflater deflater;
    z_stream* stream = deflater.streamFor(settings);
    if (stream == nullptr) {
        return false;
    }
    // Room for the bound, the sync flush's empty block and the checksum.
    std::size_t used = out.size();
    out.resize(used + deflateBound(stream, static_cast<uLong>(bytes.size())) + 16);
    stream->next_in = const_cast<Bytef*>(bytes.data());
    stream->avail_in = static_cast<uInt>(bytes.size());
    int status = Z_OK;
    do {
        if (used == out.size()) {
            out.resize(out.size() * 2);
        }
        stream->next_out = out.data() + used;
        stream->avail_out = static_cast<uInt>(out.size() - used);
        status = deflate(stream, final ? Z_FINISH : Z_SYNC_FLUSH);
        used = out.size() - stream->avail_out;
    } while (status == Z_OK && stream->avail_out == 0);
    out.resize(used);
    return status == (final ? Z_STREAM_END : Z_OK);
}

// The zlib header for a 32 KiB window and the speed class zlib itself
// gives the settings.
void appendZlibHeader(ParallelDeflate::Settings settings, std::vector<std::uint8_t>& out)
{
    constexpr unsigned method = 0x78;  // deflate, 32 KiB window
    const int level = settings.level;
    const unsigned speedClass = settings.strategy >= Z_HUFFMAN_ONLY || level < 2 ? 0
                                : level < 6                                      ? 1
                                : level == 6                                     ? 2
                                                                                 : 3;
    const unsigned flags = speedClass << 6;
    const unsigned check = (31 - (method * 256 + flags) % 31) % 31;
    out.push_back(method);
    out.push_back(static_cast<std::uint8_t>(flags | check));
}

void appendBigEndian(std::vector<std::uint8_t>& out, unsigned long value)
{
    for (int shift = 24; shift >= 0; shift -= 8) {
        out.push_back(static_cast<std::uint8_t>(value >> shift));
    }
}

// libtbb hides from ThreadSanitizer that a task starts after the thread
// that built it wrote it, so the task tells it, through one token, from its
// construction to its start.
const char taskHandOff = 0;

}  // namespace

struct ParallelDeflate::Segment {
    class Task;

    tbb::task_group work;
    std::atomic<bool> done{false};
    bool ok = false;
    bool final = false;
    std::vector<std::uint8_t> piece;
    unsigned long checksum = 0;
    std::size_t length = 0;

    void run(Producer produce, Settings settings, bool first);

    void wait()
    {
        work.wait();
        takeOver(this);
    }

    void make(const Producer& produce, Settings settings, bool first)
    {
        try {
            std::vector<std::uint8_t> bytes;
            produce(bytes);
            checksum = adler32_z(adler32(0L, nullptr, 0), bytes.data(), bytes.size());
            length = bytes.size();
            if (first) {
                appendZlibHeader(settings, piece);
            }
            ok = deflateOnto(bytes, settings, final, piece);
        } catch (const std::exception&) {
            ok = false;
        }
        done.store(true, std::memory_order_release);
    }
};

class ParallelDeflate::Segment::Task {
public:
    Task(Segment* segment, Producer produce, Settings settings, bool first)
        : segment_(segment), produce_(std::move(produce)), settings_(settings), first_(first)
    {
        handOver(&taskHandOff);
    }
    Task(Task&& other) noexcept
        : segment_(other.segment_),
          produce_(std::move(other.produce_)),
          settings_(other.settings_),
          first_(other.first_)
    {
        handOver(&taskHandOff);
    }
    Task(const Task&) = delete;
    Task& operator=(const Task&) = delete;
    Task& operator=(Task&&) = delete;

    void operator()() const
    {
        takeOver(&taskHandOff);
        segment_->make(produce_, settings_, first_);
        handOver(segment_);
    }

private:
    Segment* segment_;
    Producer produce_;
    Settings settings_;
    bool first_;
};

void ParallelDeflate::Segment::run(Producer produce, Settings settings, bool first)
{
    work.run(Task(this, std::move(produce), settings, first));
}

ParallelDeflate::ParallelDeflate(Settings settings, Sink sink)
    : settings_(settings),
      sink_(std::move(sink)),
      mostInFlight_(static_cast<std::size_t>(std::clamp(2 * tbb::this_task_arena::max_concurrency(), 4, 32))),
      checksum_(adler32(0L, nullptr, 0))
{
}

ParallelDeflate::~ParallelDeflate()
{
    for (const auto& segment : inFlight_) {
        segment->wait();
    }
}

bool ParallelDeflate::add(Producer produce, bool final)
{
    if (failed_) {
        return false;
    }
    auto segment = std::make_unique<Segment>();
    segment->final = final;
    const bool first = !started_;
    started_ = true;
    segment->run(std::move(produce), settings_, first);
    inFlight_.push_back(std::move(segment));
    if (!handOnFinished()) {
        return false;
    }
    while (inFlight_.size() >= mostInFlight_) {
        inFlight_.front()->wait();
        if (!handOnFinished()) {
            return false;
        }
    }
    return true;
}

bool ParallelDeflate::finish()
{
    while (!failed_ && !inFlight_.empty()) {
        inFlight_.front()->wait();
        handOnFinished();
    }
    return !failed_;
}

bool ParallelDeflate::handOnFinished()
{
    while (!failed_ && !inFlight_.empty() && inFlight_.front()->done.load(std::memory_order_acquire)) {
        failed_ = !handOn(*inFlight_.front());
        inFlight_.front()->wait();
        inFlight_.pop_front();
    }
    return !failed_;
}

bool ParallelDeflate::handOn(Segment& segment)
{
    if (!segment.ok) {
        return false;
    }
    checksum_ = adler32_combine(checksum_, segment.checksum, static_cast<z_off_t>(segment.length));
    if (segment.final) {
        appendBigEndian(segment.piece, checksum_);
    }
    return sink_(segment.piece);
}

}  // namespace tessaform
