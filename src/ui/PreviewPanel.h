#pragma once

#include <QSize>
#include <QWidget>
#include <memory>

namespace tessaform {

class SharedFrame;

// The black-framed area of the dialog that shows the preview frame.
// It paints only from the frame, so a render thread may ask for a repaint
// at any time.
class PreviewPanel : public QWidget {
    Q_OBJECT

public:
    explicit PreviewPanel(QWidget* parent = nullptr);

    void setFrame(std::shared_ptr<SharedFrame> frame);
    std::shared_ptr<SharedFrame> frame() const;

    // The buffer size that covers the panel with one pixel per device pixel.
    QSize sizeInDevicePixels() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::shared_ptr<SharedFrame> frame_;
};

}  // namespace tessaform
