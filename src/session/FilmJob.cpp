#include "session/FilmJob.h"

#include "session/RenderTitles.h"
#include "session/SharedFrame.h"

namespace tessaform {
namespace {

// Shows every finished row and the frame's progress in the window.
class FilmWindowObserver : public FilmObserver {
public:
    FilmWindowObserver(SharedFrame& frame, RenderView& view, const StopSignal& stop)
        : frame_(frame), view_(view), stop_(stop)
    {
    }

    void frameStarted(std::size_t index, std::size_t count, int) override
    {
        prefix_ = "Frame " + std::to_string(index + 1) + " / " + std::to_string(count) + " - ";
    }

    void rowFinished(RenderPass pass, int row, int height) override
    {
        frame_.showRows(row, 1);
        view_.showHighQualityTitle(prefix_ + progressText(pass, row, height));
        view_.requestRepaint(RenderMode::Film);
    }

    bool shouldAbandon(RenderPass pass) override { return stop_.shouldAbandon(pass); }

private:
    SharedFrame& frame_;
    RenderView& view_;
    const StopSignal& stop_;
    std::string prefix_;
};

}  // namespace

void renderFilmJob(const FilmJob& job, const Gradient& gradient, SharedFrame& frame, RenderView& view,
                   const StopSignal& stop)
{
    FilmWindowObserver observer(frame, view, stop);
    // The command line's default quality, so that films match too.
    const FilmFrames film{
        job.frames, job.outputs, job.animation.fps, FilmFrames::kDefaultQuality, false, [&job](int number) {
            return paramsAtFrame(job.animation, number);
        }};
    const FilmEnd end = renderFilmFrames(film, gradient, frame.canvas(), observer);
    if (end.stopped) {
        // Whatever the frame in progress got to, partly drawn rows included.
        frame.showRows(0, frame.height());
        view.requestRepaint(RenderMode::Film);
    }
    view.showHighQualityTitle(filmEndTitle(end, job.frames.size()));
}

std::string filmEndTitle(const FilmEnd& end, std::size_t frameCount)
{
    if (end.stopped) {
        return "Render stopped - " + std::to_string(end.framesWritten) + " of " + std::to_string(frameCount) +
               " frames written" + (end.files ? "" : "; " + end.files.error());
    }
    return savedTitle(end.files);
}

}  // namespace tessaform
