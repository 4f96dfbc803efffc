#include "render/RenderObserver.h"

namespace tessaform {

std::string progressText(RenderPass pass, int row, int height)
{
    const char* prefix = pass == RenderPass::First ? "First pass: " : "Anti-alias: ";
    return prefix + std::to_string(row) + " / " + std::to_string(height);
}

}  // namespace tessaform
