#pragma once

#include <QRect>
#include <QSize>
#include <array>

#include "ui/CommandIds.h"
#include "ui/SliderTable.h"

namespace tessaform {

// Where the settings dialog's controls stand, in dialog units (x, y, width,
// height) below the menu bar. The sliders and their labels stand where
// sliderRows() puts them.
constexpr QSize kClientSize(369, 271);
constexpr QRect kPreviewPanelRect(96, 6, 173, 120);
constexpr int kPreviewPanelId = 1003;
constexpr QSize kSliderLabelSize(72, 8);
constexpr QSize kSliderSize(72, 6);

struct ButtonLayout {
    CommandId id;
    const char* caption;
    QRect rect;
};

constexpr std::array<ButtonLayout, 2> kButtons{{
    {CommandId::BackgroundColour, "Background Color", QRect(6, 6, 84, 14)},
    {CommandId::LoadGradient, "Load Gradient", QRect(276, 7, 84, 14)},
}};

struct GroupBoxLayout {
    SliderGroup group;
    const char* caption;
    QRect rect;
};

constexpr std::array<GroupBoxLayout, 5> kGroupBoxes{{
    {SliderGroup::View, "View", QRect(6, 24, 84, 132)},
    {SliderGroup::Render, "Render", QRect(6, 160, 84, 104)},
    {SliderGroup::Julia, "Julia settings", QRect(96, 132, 84, 132)},
    {SliderGroup::Light, "Light settings", QRect(186, 132, 84, 132)},
    {SliderGroup::Generalized, "Generalised settings", QRect(276, 132, 84, 132)},
}};

struct SizeFieldLayout {
    int captionId;
    const char* caption;
    QRect captionRect;
    int fieldId;
    QRect fieldRect;
};

constexpr SizeFieldLayout kWidthField{1047, "Width", QRect(12, 224, 24, 8), 1032, QRect(36, 222, 45, 12)};
constexpr SizeFieldLayout kHeightField{1048, "Height", QRect(12, 244, 24, 8), 1049, QRect(36, 242, 45, 12)};

}  // namespace tessaform
