#include "ui/PreviewMouse.h"

#include <QMouseEvent>
#include <QWheelEvent>
#include <QWidget>

namespace tessaform {
namespace {

// One slider step per pixel: a degree of turn, and a hundredth of shift,
// which at the default distance moves the picture about as far as the
// pointer.
constexpr int kStepsPerPixel = 1;
// One distance step (a tenth) per wheel notch of 15 degrees.
constexpr int kWheelNotch = 120;

}  // namespace

// A click takes the focus from a size field, so that Ctrl+Z then undoes the
// gesture and not the typing.
PreviewMouse::PreviewMouse(QWidget& preview) : QObject(&preview)
{
    preview.setFocusPolicy(Qt::ClickFocus);
    preview.installEventFilter(this);
}

bool PreviewMouse::eventFilter(QObject*, QEvent* event)
{
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return press(static_cast<const QMouseEvent&>(*event));
        case QEvent::MouseMove:
            return move(static_cast<const QMouseEvent&>(*event));
        case QEvent::MouseButtonRelease:
            return release(static_cast<const QMouseEvent&>(*event));
        case QEvent::Wheel:
            return turnWheel(static_cast<const QWheelEvent&>(*event));
        default:
            return false;
    }
}

// The first button decides the drag; others pressed during it are ignored.
bool PreviewMouse::press(const QMouseEvent& event)
{
    if (drag_ != Drag::None) {
        return true;
    }
    const bool shifted = event.modifiers().testFlag(Qt::ShiftModifier);
    if (event.button() == Qt::LeftButton) {
        drag_ = shifted ? Drag::Shift : Drag::Turn;
    } else if (event.button() == Qt::RightButton) {
        drag_ = Drag::Shift;
    } else {
        return false;
    }
    dragButton_ = event.button();
    lastPosition_ = event.position().toPoint();
    emit dragStarted();
    return true;
}

// The object follows the pointer: it turns and moves the way the pointer goes.
bool PreviewMouse::move(const QMouseEvent& event)
{
    if (drag_ == Drag::None) {
        return false;
    }
    const QPoint delta = (event.position().toPoint() - lastPosition_) * kStepsPerPixel;
    lastPosition_ = event.position().toPoint();
    if (delta.isNull()) {
        return true;
    }
    if (drag_ == Drag::Turn) {
        emit dragged({"phi", -delta.x()}, {"theta", delta.y()});
    } else {
        emit dragged({"lateralShift", -delta.x()}, {"verticalShift", delta.y()});
    }
    return true;
}

bool PreviewMouse::release(const QMouseEvent& event)
{
    if (drag_ == Drag::None) {
        return false;
    }
    if (event.button() == dragButton_) {
        drag_ = Drag::None;
    }
    return true;
}

// Turning the wheel away from the user moves the eye nearer. Fine-grained
// wheels add up to whole notches.
bool PreviewMouse::turnWheel(const QWheelEvent& event)
{
    wheelRemainder_ += event.angleDelta().y();
    const int notches = wheelRemainder_ / kWheelNotch;
    wheelRemainder_ -= notches * kWheelNotch;
    if (notches != 0) {
        emit wheelTurned({"distance", -notches});
    }
    return true;
}

}  // namespace tessaform
