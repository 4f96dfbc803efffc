#include "ui/PreviewPanel.h"

#include <QPainter>

#include "session/FramePainting.h"
#include "session/SharedFrame.h"

namespace tessaform {

PreviewPanel::PreviewPanel(QWidget* parent) : QWidget(parent)
{
    // Every pixel is painted each time; nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewPanel::setFrame(std::shared_ptr<SharedFrame> frame)
{
    frame_ = std::move(frame);
    update();
}

std::shared_ptr<SharedFrame> PreviewPanel::frame() const
{
    return frame_;
}

QSize PreviewPanel::sizeInDevicePixels() const
{
    return tessaform::sizeInDevicePixels(*this);
}

void PreviewPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (frame_) {
        paintFrame(painter, *frame_, QPoint(0, 0), devicePixelRatioF());
    } else {
        painter.fillRect(rect(), Qt::black);
    }
}

}  // namespace tessaform
