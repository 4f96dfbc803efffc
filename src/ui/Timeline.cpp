#include "ui/Timeline.h"

#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <limits>

namespace tessaform {

Timeline::Timeline(QWidget* parent) : QWidget(parent), slider_(new QSlider(Qt::Horizontal)), number_(new QSpinBox)
{
    slider_->setObjectName(QStringLiteral("timelineSlider"));
    slider_->setRange(0, 0);
    number_->setObjectName(QStringLiteral("timelineFrame"));
    number_->setRange(0, std::numeric_limits<int>::max());
    // A frame typed digit by digit would show every number on the way.
    number_->setKeyboardTracking(false);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(slider_, 1);
    layout->addWidget(number_);
    connect(slider_, &QSlider::valueChanged, this, [this](int frame) {
        const QSignalBlocker blocker(number_);
        number_->setValue(frame);
        emit frameChosen(frame);
    });
    connect(number_, &QSpinBox::valueChanged, this, [this](int frame) {
        const QSignalBlocker blocker(slider_);
        slider_->setValue(frame);
        emit frameChosen(frame);
    });
}

int Timeline::frame() const
{
    return number_->value();
}

void Timeline::setFrame(int frame)
{
    const QSignalBlocker sliderBlocker(slider_);
    const QSignalBlocker numberBlocker(number_);
    number_->setValue(frame);
    slider_->setValue(frame);
}

// A span of one frame leaves the slider nothing to run over: greyed out, its
// handle at the left end says no more than that.
void Timeline::setKeySpan(int firstFrame, int lastFrame)
{
    const QSignalBlocker blocker(slider_);
    slider_->setRange(firstFrame, lastFrame);
    slider_->setValue(frame());
    slider_->setEnabled(lastFrame > firstFrame);
}

}  // namespace tessaform
