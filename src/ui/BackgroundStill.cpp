#include "ui/BackgroundStill.h"

namespace tessaform {
namespace {

// Nothing to show: the render only needs to know when to stop.
class AbandonWhenAsked : public RenderObserver {
public:
    explicit AbandonWhenAsked(const std::atomic<bool>& abandon) : abandon_(abandon) {}

    void rowFinished(RenderPass, int, int) override {}
    bool shouldAbandon(RenderPass) override { return abandon_.load(std::memory_order_relaxed); }

private:
    const std::atomic<bool>& abandon_;
};

}  // namespace

BackgroundStill::BackgroundStill(StillImage image, const FractalParams& record, Gradient gradient, QObject* parent)
    : QObject(parent)
{
    connect(this, &BackgroundStill::rendered, this, &BackgroundStill::deliver, Qt::QueuedConnection);
    thread_ = std::thread(
        [this, image = std::move(image), record, gradient = std::move(gradient)] { render(image, record, gradient); });
}

BackgroundStill::~BackgroundStill()
{
    abandon_ = true;
    thread_.join();
}

// The result is delivered through the object, so it is dropped if the
// object goes first.
void BackgroundStill::render(const StillImage& image, const FractalParams& record, const Gradient& gradient)
{
    AbandonWhenAsked observer(abandon_);
    const Result<RenderOutcome> outcome = renderStillImage(image, record, gradient, RenderSettings{}, observer);
    {
        const std::lock_guard lock(resultMutex_);
        problem_ = outcome ? QString() : QString::fromStdString(outcome.error());
    }
    emit this->rendered();
}

void BackgroundStill::deliver()
{
    QString problem;
    {
        const std::lock_guard lock(resultMutex_);
        problem = problem_;
        problem.detach();
    }
    emit finished(problem);
}

}  // namespace tessaform
