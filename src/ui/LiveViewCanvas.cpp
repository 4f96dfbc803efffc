#include "ui/LiveViewCanvas.h"

#include <QPainter>
#include <cmath>

#include "session/FramePainting.h"
#include "session/SharedFrame.h"

namespace tessaform {

LiveViewCanvas::LiveViewCanvas(QWidget* parent) : QWidget(parent)
{
    // The background and the frame paint every pixel.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void LiveViewCanvas::showFrame(std::shared_ptr<const SharedFrame> frame)
{
    frame_ = std::move(frame);
    update();
}

void LiveViewCanvas::setBackground(const QColor& colour)
{
    if (colour != background_) {
        background_ = colour;
        update();
    }
}

QSize LiveViewCanvas::sizeInDevicePixels() const
{
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int>(std::lround(width() * ratio)), static_cast<int>(std::lround(height() * ratio))};
}

void LiveViewCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), background_);
    if (frame_) {
        paintFrame(painter, *frame_, QPoint(0, 0), devicePixelRatioF());
    }
}

void LiveViewCanvas::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit resized();
}

}  // namespace tessaform
