#include "app/QtRenderView.h"

namespace tessaform {

QWidget* QtRenderView::widgetFor(RenderMode mode) const
{
    return mode == RenderMode::Preview ? preview_.data() : highQuality_.data();
}

void QtRenderView::requestRepaint(RenderMode mode)
{
    QMetaObject::invokeMethod(
        this,
        [this, mode] {
            if (QWidget* widget = widgetFor(mode)) {
                widget->update();
            }
        },
        Qt::QueuedConnection);
}

void QtRenderView::showHighQualityTitle(const std::string& title)
{
    QMetaObject::invokeMethod(
        this,
        [this, text = QString::fromStdString(title)] {
            if (highQuality_) {
                highQuality_->setWindowTitle(text);
            }
        },
        Qt::QueuedConnection);
}

}  // namespace tessaform
