#pragma once

#include <QObject>
#include <QPoint>
#include <string_view>

class QMouseEvent;
class QWheelEvent;
class QWidget;

namespace tessaform {

// A slider that the mouse moves, and by how many of its steps.
struct SliderSteps {
    std::string_view field;
    int steps;
};

// Turns the mouse on the preview into slider steps: a left drag turns the
// view, a right or Shift+left drag shifts it, the wheel moves it nearer or
// farther.
class PreviewMouse : public QObject {
    Q_OBJECT

public:
    // Watches the preview's mouse events; the preview owns it.
    explicit PreviewMouse(QWidget& preview);

signals:
    void dragStarted();
    void dragged(SliderSteps horizontal, SliderSteps vertical);
    void wheelTurned(SliderSteps distance);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    enum class Drag { None, Turn, Shift };

    bool press(const QMouseEvent& event);
    bool move(const QMouseEvent& event);
    bool release(const QMouseEvent& event);
    bool turnWheel(const QWheelEvent& event);

    Drag drag_ = Drag::None;
    Qt::MouseButton dragButton_ = Qt::NoButton;
    QPoint lastPosition_;
    int wheelRemainder_ = 0;  // eighths of a degree short of a notch
};

}  // namespace tessaform
