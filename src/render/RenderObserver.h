#pragma once

#include <string>

namespace tessaform {

enum class RenderPass { First, AntiAlias };

// How a render talks to whoever runs it: where it is, and whether to stop.
class RenderObserver {
public:
    virtual ~RenderObserver() = default;

    // Called at the start of every row of both passes.
    virtual void rowStarted(RenderPass pass, int row, int height) = 0;

    // Asked before every pixel; true abandons the image at once.
    virtual bool shouldAbandon(RenderPass pass) = 0;
};

// "First pass: 0 / 768", "Anti-alias: 1 / 768".
std::string progressText(RenderPass pass, int row, int height);

}  // namespace tessaform
