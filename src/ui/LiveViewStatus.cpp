#include "ui/LiveViewStatus.h"

#include <cmath>

#include "jobs/FrameBuffer.h"

namespace tessaform {
namespace {

constexpr const char* kSeparator = " \u00b7 ";

std::string stageText(ProgressiveStage stage)
{
    if (stage.antiAliased) {
        return "anti-aliased";
    }
    if (stage.blockSize > 1) {
        return "coarse 1/" + std::to_string(stage.blockSize);
    }
    // Every pixel is traced; the anti-alias pass runs.
    return "anti-aliasing";
}

}  // namespace

std::string liveViewStatusText(int width, int height, ProgressiveStage stage, double lastFirstPassMilliseconds)
{
    if (width <= 0 || height <= 0) {
        return "Starting";
    }
    std::string text = imageSizeText(width, height) + kSeparator + stageText(stage);
    if (lastFirstPassMilliseconds >= 0.0) {
        text +=
            kSeparator + std::string("first pass ") + std::to_string(std::lround(lastFirstPassMilliseconds)) + " ms";
    }
    return text;
}

}  // namespace tessaform
