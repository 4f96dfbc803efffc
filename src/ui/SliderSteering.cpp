#include "ui/SliderSteering.h"

namespace tessaform {

void steerByMouse(PreviewMouse& mouse, SliderSteering& steering, int wheelSource)
{
    QObject::connect(&mouse, &PreviewMouse::dragStarted, &mouse, [&steering] { steering.markStep(); });
    QObject::connect(&mouse, &PreviewMouse::dragged, &mouse, [&steering](SliderSteps horizontal, SliderSteps vertical) {
        steering.stepSliders({horizontal, vertical});
    });
    QObject::connect(&mouse, &PreviewMouse::wheelTurned, &mouse, [&steering, wheelSource](SliderSteps distance) {
        steering.markBurstStep(wheelSource);
        steering.stepSliders({distance});
    });
}

}  // namespace tessaform
