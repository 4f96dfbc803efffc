#pragma once

#include <functional>

class QWidget;

namespace tessaform {

// Ctrl+Z, and Ctrl+Shift+Z or Ctrl+Y, as actions named "undo" and "redo" on
// the window, outside its menu bar.
void addUndoRedoActions(QWidget& window, const std::function<void()>& undo, const std::function<void()>& redo);

}  // namespace tessaform
