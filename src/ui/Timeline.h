#pragma once

#include <QWidget>

class QSlider;
class QSpinBox;

namespace tessaform {

// The frame that the preview shows: a slider from the first key to the
// last, and a number field that also reaches before and beyond them, where
// the nearest key holds.
class Timeline : public QWidget {
    Q_OBJECT

public:
    explicit Timeline(QWidget* parent = nullptr);

    int frame() const;
    // Neither sets nor signals a chosen frame.
    void setFrame(int frame);
    void setKeySpan(int firstFrame, int lastFrame);

signals:
    // Moved by the user.
    void frameChosen(int frame);

private:
    QSlider* slider_;
    QSpinBox* number_;
};

}  // namespace tessaform
