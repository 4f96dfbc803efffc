#pragma once

#include <string>

#include "base/Result.h"

namespace tessaform {

// An output name with at most one printf-style frame number ("%d", "%05d");
// "%%" stands for a percent sign. A failure to parse starts with the name.
class FrameNames {
public:
    static Result<FrameNames> parse(const std::string& pattern);

    bool numbered() const { return numbered_; }
    std::string nameFor(int frame) const;

private:
    std::string before_;
    std::string after_;
    int width_ = 0;
    bool zeroPadded_ = false;
    bool numbered_ = false;
};

}  // namespace tessaform
