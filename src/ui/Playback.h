#pragma once

#include <QObject>
#include <QTimer>

namespace tessaform {

// Paces playing an animation in the preview: the next frame is due once
// the preview, and the live view where it draws, have drawn the frame
// shown and the frame's time at the film's rate has passed, whichever
// comes later. So no frame is dropped and no more than one is ever
// waiting to be drawn.
class Playback : public QObject {
    Q_OBJECT

public:
    explicit Playback(QObject* parent = nullptr);

    bool playing() const { return playing_; }
    void start(double fps);
    void stop();

    // The frame is in the live record and its preview was asked for, and
    // its live view where liveViewToo.
    void frameShown(bool liveViewToo);
    // The preview of the frame shown is drawn.
    void previewDrawn();
    // The live view shows the frame with every pixel traced, or stopped.
    void liveViewDrawn();

signals:
    void nextFrameDue();

private:
    void advanceWhenReady();

    QTimer frameTime_;
    bool playing_ = false;
    bool drawn_ = false;
    bool liveViewDrawn_ = false;
    bool timePassed_ = false;
};

}  // namespace tessaform
