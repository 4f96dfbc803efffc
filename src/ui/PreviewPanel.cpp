#include "ui/PreviewPanel.h"

#include <QPainter>
#include <cmath>

#include "app/FrameBuffer.h"
#include "app/FramePainting.h"

namespace tessaform {

PreviewPanel::PreviewPanel(QWidget* parent) : QWidget(parent)
{
    // Every pixel is painted each time; nothing needs erasing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PreviewPanel::setFrameBuffer(std::shared_ptr<FrameBuffer> frame)
{
    frame_ = std::move(frame);
    update();
}

std::shared_ptr<FrameBuffer> PreviewPanel::frameBuffer() const
{
    return frame_;
}

QSize PreviewPanel::sizeInDevicePixels() const
{
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int>(std::lround(width() * ratio)), static_cast<int>(std::lround(height() * ratio))};
}

void PreviewPanel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (frame_) {
        paintFrameBuffer(painter, *frame_, QPoint(0, 0), devicePixelRatioF());
    } else {
        painter.fillRect(rect(), Qt::black);
    }
}

}  // namespace tessaform
