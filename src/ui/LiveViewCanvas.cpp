#include "ui/LiveViewCanvas.h"

#include <QPainter>
#include <QRegion>

#include "session/FramePainting.h"
#include "session/SharedFrame.h"

namespace tessaform {

LiveViewCanvas::LiveViewCanvas(QWidget* parent) : QWidget(parent)
{
    // The frame and the background paint every pixel.
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
    return tessaform::sizeInDevicePixels(*this);
}

// The background only where the frame does not reach, so that each paint
// writes every pixel once.
void LiveViewCanvas::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    QRegion uncovered(rect());
    if (frame_) {
        uncovered -= QRect(0, 0, static_cast<int>(frame_->width() / ratio), static_cast<int>(frame_->height() / ratio));
    }
    for (const QRect& part : uncovered) {
        painter.fillRect(part, background_);
    }
    if (frame_) {
        paintFrame(painter, *frame_, QPoint(0, 0), ratio);
    }
}

void LiveViewCanvas::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    emit resized();
}

}  // namespace tessaform
