#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ui/HighQualityWindow.h"

namespace tessaform {

class RenderClaim;
struct FilmJob;

struct FilmRequest {
    std::uint32_t width;
    std::uint32_t height;
    std::shared_ptr<const FilmJob> job;
};

// Renders every frame of the job in a window of its own, as a high-quality
// render runs, and returns once its loop has ended: a film is then
// finished with the frames done. Returns the problem text when nothing
// could be rendered, else empty.
std::string runFilmRender(RenderClaim claim, const HighQualityServices& services, const FilmRequest& request);

}  // namespace tessaform
