#pragma once

#include <QColor>
#include <QSize>
#include <QWidget>
#include <memory>

namespace tessaform {

class SharedFrame;

// The live view's picture: the frame shown last, one pixel per device
// pixel from the top-left corner, and the background colour wherever the
// frame does not reach (while a resize waits for its first image).
class LiveViewCanvas : public QWidget {
    Q_OBJECT

public:
    explicit LiveViewCanvas(QWidget* parent = nullptr);

    void showFrame(std::shared_ptr<const SharedFrame> frame);
    void setBackground(const QColor& colour);

    // The size a frame must have to cover the canvas, one pixel per device
    // pixel.
    QSize sizeInDevicePixels() const;

signals:
    // The size in device pixels may have changed.
    void resized();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::shared_ptr<const SharedFrame> frame_;
    QColor background_ = Qt::black;
};

}  // namespace tessaform
