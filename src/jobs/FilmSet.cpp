#include "jobs/FilmSet.h"

#include "jobs/ExecutableDirectory.h"

namespace tessaform {

Result<void> FilmSet::open(const std::vector<std::string>& paths, const FrameBuffer& frame, double fps, int quality)
{
    for (const std::string& path : paths) {
        Result<std::unique_ptr<VideoWriter>> writer =
            VideoWriter::open({path, frame.width(), frame.height(), fps, quality}, filmEncoderPath());
        if (!writer) {
            return Failure{writer.error()};
        }
        writers_.push_back(std::move(writer).value());
    }
    return {};
}

Result<void> FilmSet::add(const FrameBuffer& frame)
{
    for (const auto& writer : writers_) {
        if (Result<void> written = writer->writeFrame(frame.pixels()); !written) {
            return written;
        }
    }
    anyFrameAdded_ = true;
    return {};
}

Result<void> FilmSet::finish()
{
    if (!anyFrameAdded_) {
        writers_.clear();
        return {};
    }
    for (const auto& writer : writers_) {
        if (Result<void> finished = writer->finish(); !finished) {
            return finished;
        }
    }
    return {};
}

}  // namespace tessaform
