#pragma once

#include <QRect>

namespace tessaform {

// The frame of a window of frameSize placed beside the anchor's frame, its
// top level with the anchor's: to the right, gap pixels away, where the
// free area has room; else to the left; else against the area's edge on
// the roomier side, overlapping the anchor. Always within the free area,
// shrunk to it where larger.
QRect placedBeside(const QRect& anchor, QSize frameSize, const QRect& available, int gap);

}  // namespace tessaform
