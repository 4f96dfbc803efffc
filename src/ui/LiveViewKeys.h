#pragma once

#include <Qt>
#include <optional>

#include "ui/PreviewMouse.h"

namespace tessaform {

// The slider steps a key steers the live view by, as the mouse would: an
// arrow as a drag of one pixel its way (a degree), Page Up and Page Down as
// a wheel notch away and towards (nearer, farther); with Shift ten times as
// far. Nothing for other keys, or with Ctrl, Alt or Meta held.
std::optional<SliderSteps> liveViewKeySteps(int key, Qt::KeyboardModifiers modifiers);

}  // namespace tessaform
