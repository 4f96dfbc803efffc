#pragma once

#include <QPoint>

class QPainter;

namespace tessaform {

class SharedFrame;

// Draws the frame's shown pixels as they are, one device pixel per pixel,
// with the top-left corner at origin (in the painter's logical coordinates).
void paintFrame(QPainter& painter, const SharedFrame& frame, QPoint origin, qreal devicePixelRatio);

}  // namespace tessaform
