#include "session/FramePainting.h"

#include <QImage>
#include <QPainter>
#include <QWidget>
#include <cmath>

#include "jobs/FrameBuffer.h"
#include "session/SharedFrame.h"

namespace tessaform {

void paintFrame(QPainter& painter, const SharedFrame& frame, QPoint origin, qreal devicePixelRatio)
{
    frame.readShown([&](const FrameBuffer& shown) {
        if (shown.width() <= 0 || shown.height() <= 0) {
            return;
        }
        // Format_RGB32 is 0xFFRRGGBB with the top byte ignored: exactly the
        // buffer's layout, so the image wraps the memory without a copy.
        QImage image(reinterpret_cast<const uchar*>(shown.pixels()), shown.width(), shown.height(),
                     static_cast<qsizetype>(shown.width()) * 4, QImage::Format_RGB32);
        image.setDevicePixelRatio(devicePixelRatio);
        painter.drawImage(origin, image);
    });
}

QSize sizeInDevicePixels(const QWidget& widget)
{
    const qreal ratio = widget.devicePixelRatioF();
    return {static_cast<int>(std::lround(widget.width() * ratio)),
            static_cast<int>(std::lround(widget.height() * ratio))};
}

}  // namespace tessaform
