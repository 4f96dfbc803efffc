#include "ui/LiveViewKeys.h"

#include <array>

namespace tessaform {
namespace {

constexpr int kShiftFactor = 10;

struct KeySteps {
    int key;
    SliderSteps steps;
};

constexpr std::array<KeySteps, 6> kKeySteps{{
    {Qt::Key_Left, {"phi", 1}},
    {Qt::Key_Right, {"phi", -1}},
    {Qt::Key_Up, {"theta", -1}},
    {Qt::Key_Down, {"theta", 1}},
    {Qt::Key_PageUp, {"distance", -1}},
    {Qt::Key_PageDown, {"distance", 1}},
}};

}  // namespace

std::optional<SliderSteps> liveViewKeySteps(int key, Qt::KeyboardModifiers modifiers)
{
    const Qt::KeyboardModifiers held = modifiers & ~Qt::KeypadModifier;
    if (held != Qt::NoModifier && held != Qt::ShiftModifier) {
        return std::nullopt;
    }
    for (const KeySteps& entry : kKeySteps) {
        if (entry.key == key) {
            const int factor = held == Qt::ShiftModifier ? kShiftFactor : 1;
            return SliderSteps{entry.steps.field, entry.steps.steps * factor};
        }
    }
    return std::nullopt;
}

}  // namespace tessaform
