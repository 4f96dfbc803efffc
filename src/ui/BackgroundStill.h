#pragma once

#include <QObject>
#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "jobs/StillImage.h"
#include "params/FractalParams.h"
#include "params/Gradient.h"

namespace tessaform {

// Renders a still into its file on a thread of its own, so that the window
// that asked stays responsive while it renders. Going, it ends the render
// (no file is left) and waits for the thread.
class BackgroundStill : public QObject {
    Q_OBJECT

public:
    BackgroundStill(StillImage image, const FractalParams& record, Gradient gradient, QObject* parent = nullptr);
    ~BackgroundStill() override;

signals:
    // On the thread of the object; problem is empty when the file was written.
    void finished(const QString& problem);
    // From the render's thread, queued to the object's.
    void rendered();

private:
    void render(const StillImage& image, const FractalParams& record, const Gradient& gradient);
    void deliver();

    // The render's result passes under the mutex, which ThreadSanitizer
    // sees, not inside Qt's queued call, which it does not.
    std::mutex resultMutex_;
    QString problem_;

    std::atomic<bool> abandon_{false};
    std::thread thread_;
};

}  // namespace tessaform
