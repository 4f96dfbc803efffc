#include "session/QtRenderView.h"

#include "base/SanitizerHandOff.h"

namespace tessaform {

QWidget* QtRenderView::widgetFor(RenderMode mode) const
{
    // A film draws into a high-quality window.
    return mode == RenderMode::Preview ? preview_.data() : highQuality_.data();
}

// Qt's event queue is not visible to ThreadSanitizer: the call is ordered
// after what the posting thread did, such as making the title it carries,
// and the queue's own bookkeeping on this side is left unchecked.
template <typename Call>
void QtRenderView::postToGuiThread(Call call)
{
    handOver(this);
    const UncheckedByThreadSanitizer queueBookkeeping;
    QMetaObject::invokeMethod(
        this,
        [this, call = std::move(call)] {
            takeOver(this);
            call();
        },
        Qt::QueuedConnection);
}

void QtRenderView::requestRepaint(RenderMode mode)
{
    postToGuiThread([this, mode] {
        if (QWidget* widget = widgetFor(mode)) {
            widget->update();
        }
    });
}

void QtRenderView::showHighQualityTitle(const std::string& title)
{
    postToGuiThread([this, text = QString::fromStdString(title)] {
        if (highQuality_) {
            highQuality_->setWindowTitle(text);
        }
    });
}

void QtRenderView::previewFinished(const FractalParams& snapshot)
{
    postToGuiThread([this, snapshot] { emit previewDrawn(snapshot); });
}

}  // namespace tessaform
