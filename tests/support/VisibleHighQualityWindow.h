#pragma once

#include <QApplication>

#include "ui/HighQualityWindow.h"

namespace tessaform {

// The high-quality window the user sees, or nullptr.
inline HighQualityWindow* visibleHighQualityWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<HighQualityWindow*>(widget); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

}  // namespace tessaform
