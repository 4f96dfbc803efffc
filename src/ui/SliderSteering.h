#pragma once

#include <initializer_list>

#include "ui/PreviewMouse.h"

namespace tessaform {

// Steps the settings window's sliders from elsewhere, so that its sliders,
// labels and preview follow every change, and marks the history's steps.
class SliderSteering {
public:
    virtual ~SliderSteering() = default;

    // Moves sliders as their keys would and stores them as one change.
    virtual void stepSliders(std::initializer_list<SliderSteps> steps) = 0;
    // Steps of the history, taken before a change.
    virtual void markStep() = 0;
    virtual void markBurstStep(int source) = 0;
};

// A drag is one step from press to release; a run of wheel notches from
// wheelSource is one step, as a run of keys on a slider is.
void steerByMouse(PreviewMouse& mouse, SliderSteering& steering, int wheelSource);

}  // namespace tessaform
