#pragma once

#include <QPoint>
#include <QSize>

class QPainter;
class QWidget;

namespace tessaform {

class SharedFrame;

// Draws the frame's shown pixels as they are, one device pixel per pixel,
// with the top-left corner at origin (in the painter's logical coordinates).
void paintFrame(QPainter& painter, const SharedFrame& frame, QPoint origin, qreal devicePixelRatio);

// The frame size that covers the widget with one pixel per device pixel.
QSize sizeInDevicePixels(const QWidget& widget);

}  // namespace tessaform
