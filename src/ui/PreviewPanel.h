#pragma once

#include <QSize>
#include <QWidget>
#include <memory>

namespace tessaform {

class FrameBuffer;

// The black-framed area of the dialog that shows the preview frame buffer.
// It paints only from the buffer, so a render thread may ask for a repaint
// at any time.
class PreviewPanel : public QWidget {
    Q_OBJECT

public:
    explicit PreviewPanel(QWidget* parent = nullptr);

    void setFrameBuffer(std::shared_ptr<FrameBuffer> frame);
    std::shared_ptr<FrameBuffer> frameBuffer() const;

    // The buffer size that covers the panel with one pixel per device pixel.
    QSize sizeInDevicePixels() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::shared_ptr<FrameBuffer> frame_;
};

}  // namespace tessaform
