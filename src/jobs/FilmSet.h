#pragma once

#include <memory>
#include <string>
#include <vector>

#include "base/Result.h"
#include "io/VideoWriter.h"
#include "jobs/FrameBuffer.h"

namespace tessaform {

// The films that one animation render writes, fed the same frames. A film
// not finished is removed when the set goes, and its target stays as it was.
class FilmSet {
public:
    Result<void> open(const std::vector<std::string>& paths, const FrameBuffer& frame, double fps, int quality);
    Result<void> add(const FrameBuffer& frame);
    // Each film playable with the frames added so far, put in place of its
    // target. With no frame added there is no film, and an old one stays.
    Result<void> finish();

    bool empty() const { return writers_.empty(); }

private:
    std::vector<std::unique_ptr<VideoWriter>> writers_;
    bool anyFrameAdded_ = false;
};

}  // namespace tessaform
