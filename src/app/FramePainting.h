#pragma once

#include <QPoint>

class QPainter;

namespace tessaform {

class FrameBuffer;

// Draws the buffer's memory as it is, one device pixel per pixel, with its
// top-left corner at origin (in the painter's logical coordinates).
void paintFrameBuffer(QPainter& painter, const FrameBuffer& frame, QPoint origin, qreal devicePixelRatio);

}  // namespace tessaform
