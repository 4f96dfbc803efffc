#pragma once

#include <QObject>
#include <QPointer>
#include <QWidget>

#include "session/RenderView.h"

namespace tessaform {

// Carries a render thread's paint and title requests and finished previews
// to the GUI thread as queued calls: widgets are only ever touched on the
// thread that owns them. Must outlive every render thread that reports to
// it.
class QtRenderView : public QObject, public RenderView {
    Q_OBJECT

public:
    // GUI thread only.
    void setPreviewWidget(QWidget* widget) { preview_ = widget; }
    void setHighQualityWindow(QWidget* window) { highQuality_ = window; }

    // Any thread.
    void requestRepaint(RenderMode mode) override;
    void showHighQualityTitle(const std::string& title) override;
    void previewFinished(const FractalParams& snapshot) override;

signals:
    // On the GUI thread, after previewFinished.
    void previewDrawn(const tessaform::FractalParams& snapshot);

private:
    QWidget* widgetFor(RenderMode mode) const;
    template <typename Call>
    void postToGuiThread(Call call);

    QPointer<QWidget> preview_;
    QPointer<QWidget> highQuality_;
};

}  // namespace tessaform
