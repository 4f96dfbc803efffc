#pragma once

#include <memory>
#include <mutex>
#include <string>

#include "io/ImageFormats.h"
#include "session/RenderProcedure.h"
#include "session/RenderView.h"

namespace tessaform {

class Gradient;
class GradientSlot;
class SharedFrame;
struct FilmJob;

// The program's render: draws into the preview or the high-quality frame,
// shows each row once the render has left it, reports progress to the
// view, saves a finished high-quality image in the file's format, and
// renders films frame by frame.
class FrameRenderer : public RenderProcedure {
public:
    FrameRenderer(const GradientSlot& gradient, RenderView& view) : gradient_(gradient), view_(view) {}

    void setPreviewFrame(std::shared_ptr<SharedFrame> frame);
    // Where the next high-quality render draws and which file it writes.
    void setHighQualityTarget(std::shared_ptr<SharedFrame> frame, std::string outputPath, ImageEncoding encoding = {});
    // Where the next film render draws, and what it renders.
    void setFilmTarget(std::shared_ptr<SharedFrame> frame, std::shared_ptr<const FilmJob> job);

    void render(const FractalParams& snapshot, RenderMode mode, const StopSignal& stop) override;

private:
    struct Target {
        std::shared_ptr<SharedFrame> frame;
        std::string outputPath;
        std::shared_ptr<const FilmJob> film;
        ImageEncoding encoding;
    };
    Target targetFor(RenderMode mode) const;
    void renderInto(const Target& target, const FractalParams& snapshot, RenderMode mode, const StopSignal& stop);
    void renderIntoDeepFile(const Target& target, const FractalParams& snapshot, const Gradient& gradient,
                            const StopSignal& stop);

    const GradientSlot& gradient_;
    RenderView& view_;
    mutable std::mutex mutex_;
    std::shared_ptr<SharedFrame> previewFrame_;
    Target highQuality_;
    Target film_;
};

}  // namespace tessaform
