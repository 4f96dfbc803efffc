#pragma once

#include <string>

namespace tessaform {

enum class RenderPass { First, AntiAlias };

// How a render talks to whoever runs it: how far it got, and whether to
// stop.
class RenderObserver {
public:
    virtual ~RenderObserver() = default;

    // Called once a row of a pass is finished, in row order and from one
    // thread at a time.
    virtual void rowFinished(RenderPass pass, int row, int height) = 0;

    // Asked before every pixel, or every batch of samples; true abandons the
    // image. May be asked from several threads at once.
    virtual bool shouldAbandon(RenderPass pass) = 0;
};

// "First pass: 0 / 768", "Anti-alias: 1 / 768".
std::string progressText(RenderPass pass, int row, int height);

}  // namespace tessaform
