#include "ui/FilmRender.h"

#include "session/FilmJob.h"
#include "session/FrameRenderer.h"
#include "session/RenderScheduler.h"

namespace tessaform {

std::string runFilmRender(RenderClaim claim, const HighQualityServices& services, const FilmRequest& request)
{
    const Result<std::shared_ptr<SharedFrame>> frame = renderWindowFrame(request.width, request.height);
    if (!frame) {
        return frame.error();
    }
    services.renderer.setFilmTarget(*frame, request.job);
    runInRenderWindow(std::move(claim), services, *frame, RenderMode::Film);
    return {};
}

}  // namespace tessaform
