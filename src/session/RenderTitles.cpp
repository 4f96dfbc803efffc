#include "session/RenderTitles.h"

namespace tessaform {

std::string savedTitle(const Result<void>& written)
{
    return written.ok() ? kRenderSavedTitle : "Render not saved - " + written.error();
}

}  // namespace tessaform
