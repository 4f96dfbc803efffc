#include "ui/WindowPlacement.h"

#include <algorithm>

namespace tessaform {

QRect placedBeside(const QRect& anchor, QSize frameSize, const QRect& available, int gap)
{
    const QSize size = frameSize.boundedTo(available.size());
    const int top = std::clamp(anchor.top(), available.top(), available.bottom() + 1 - size.height());
    const int toTheRight = anchor.right() + 1 + gap;
    const int toTheLeft = anchor.left() - gap - size.width();
    const int roomRight = available.right() + 1 - toTheRight;
    const int roomLeft = anchor.left() - gap - available.left();
    int left = 0;
    if (roomRight >= size.width()) {
        left = toTheRight;
    } else if (roomLeft >= size.width()) {
        left = toTheLeft;
    } else {
        left = roomRight >= roomLeft ? available.right() + 1 - size.width() : available.left();
    }
    return QRect(QPoint(left, top), size);
}

}  // namespace tessaform
