#include "ui/LiveViewWindow.h"

#include <QAction>
#include <QEvent>
#include <QHideEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>
#include <utility>

#include "io/ImageOutput.h"
#include "jobs/ImageMetadata.h"
#include "render/Quantize.h"
#include "session/LiveRecord.h"
#include "session/SharedFrame.h"
#include "ui/BackgroundStill.h"
#include "ui/CommandIds.h"
#include "ui/DialogLayout.h"
#include "ui/LiveViewCanvas.h"
#include "ui/LiveViewKeys.h"
#include "ui/LiveViewStatus.h"
#include "ui/SliderSteering.h"
#include "ui/SystemDialogs.h"
#include "ui/UndoRedoActions.h"
#include "ui/WindowPlacement.h"

namespace tessaform {
namespace {

// A run of steering keys is one step of the history, apart from any
// slider's keys; a run of wheel notches is one step as on the preview.
constexpr int kKeysSource = idNumber(CommandId::LiveView);
constexpr int kWheelSource = kPreviewPanelId;

constexpr QSize kFirstSize(960, 640);
constexpr int kGapToOtherWindow = 8;

// A render without a table draws with the neutral one.
const Gradient& tableOf(const LiveViewProgress& progress)
{
    return progress.gradient ? *progress.gradient : neutralGradient();
}

QColor backgroundOf(const FractalParams& record)
{
    return QColor::fromRgb(quantizeColour(record.background));
}

}  // namespace

LiveViewWindow::LiveViewWindow(LiveViewServices services)
    : services_(services), canvas_(new LiveViewCanvas), status_(new QLabel)
{
    setWindowTitle(QStringLiteral("Tessaform - Live view"));
    canvas_->setObjectName(QStringLiteral("liveViewCanvas"));
    status_->setObjectName(QStringLiteral("liveViewStatus"));
    status_->setContentsMargins(4, 2, 4, 2);
    // Its changing text must not resize the window.
    status_->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Fixed);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(canvas_, 1);
    layout->addWidget(status_);
    steerByMouse(*new PreviewMouse(*canvas_), services_.steering, kWheelSource);
    // Installed after the steering's filter, so it runs first and takes
    // double-clicks.
    canvas_->installEventFilter(this);
    canvas_->setFocusPolicy(Qt::StrongFocus);
    setFocusProxy(canvas_);
    makeActions();
    connect(canvas_, &LiveViewCanvas::resized, this, &LiveViewWindow::requestRender);
    connect(&services_.record, &LiveRecord::changed, this, &LiveViewWindow::requestRender);
    showStatus();
}

// The renderer's thread ends before the window goes.
LiveViewWindow::~LiveViewWindow()
{
    renderer_.reset();
}

void LiveViewWindow::makeActions()
{
    auto* save = new QAction(this);
    save->setObjectName(QStringLiteral("save"));
    save->setShortcut(QKeySequence::Save);
    connect(save, &QAction::triggered, this, &LiveViewWindow::saveImage);
    addAction(save);
    addUndoRedoActions(
        *this, [this] { services_.record.undo(); }, [this] { services_.record.redo(); });
}

void LiveViewWindow::showBeside(const QWidget& other)
{
    if (!placed_) {
        placeBeside(other);
        placed_ = true;
    }
    setWindowState(windowState() & ~Qt::WindowMinimized);
    show();
    raise();
    activateWindow();
}

// The frame the window system draws is taken to be as wide as the other
// window's, since this one has none until it is shown.
void LiveViewWindow::placeBeside(const QWidget& other)
{
    const QSize decoration = other.frameGeometry().size() - other.size();
    const QRect frame = placedBeside(other.frameGeometry(), kFirstSize + decoration,
                                     other.screen()->availableGeometry(), kGapToOtherWindow);
    move(frame.topLeft());
    resize(frame.size() - decoration);
}

void LiveViewWindow::toggleFullScreen()
{
    setWindowState(windowState() ^ Qt::WindowFullScreen);
}

void LiveViewWindow::saveImage()
{
    const std::string initialName = "Live view.png";
    const auto chosen = services_.dialogs.chooseFileToSave({imageSaveFilters(initialName), initialName});
    if (!chosen) {
        return;
    }
    pendingSave_ = *chosen;
    savePendingImage();
}

bool LiveViewWindow::showsFirstPassOf(const FractalParams& record) const
{
    return shown_.frame && shown_.stage.blockSize == 1 && !paramsDiffer(shown_.record, record);
}

void LiveViewWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    if (QWindow* window = windowHandle()) {
        connect(window, &QWindow::screenChanged, this, &LiveViewWindow::requestRender, Qt::UniqueConnection);
    }
    startDrawing();
}

// Closed or hidden; a window minimized by the window system keeps drawing
// (a change is all it draws), so that nothing waits for it in vain.
void LiveViewWindow::hideEvent(QHideEvent* event)
{
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        stopDrawing();
    }
}

// The status line gives the whole screen to the picture.
void LiveViewWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        status_->setVisible(!isFullScreen());
    }
}

// Escape only leaves full screen: it never closes the view.
void LiveViewWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_F11 && event->modifiers() == Qt::NoModifier) {
        toggleFullScreen();
    } else if (event->key() == Qt::Key_Escape) {
        if (isFullScreen()) {
            toggleFullScreen();
        }
    } else if (!steerByKey(*event)) {
        QWidget::keyPressEvent(event);
    }
}

bool LiveViewWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonDblClick &&
        static_cast<const QMouseEvent*>(event)->button() == Qt::LeftButton) {
        toggleFullScreen();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

// Queued stages of a renderer that is gone are dropped with it, since they
// are delivered through it.
void LiveViewWindow::startDrawing()
{
    if (renderer_) {
        return;
    }
    renderer_ = std::make_unique<LiveViewRenderer>(services_.record.shared(), services_.record.gradientSlot());
    connect(renderer_.get(), &LiveViewRenderer::stageShown, renderer_.get(), [this](const LiveViewProgress& progress) {
        renderer_->takeDelivery();
        showProgress(progress);
    });
    connect(renderer_.get(), &LiveViewRenderer::rowsShown, renderer_.get(), [this] {
        renderer_->takeDelivery();
        canvas_->update();
    });
    requestRender();
}

void LiveViewWindow::stopDrawing()
{
    if (!renderer_) {
        return;
    }
    renderer_.reset();
    if (pendingSave_) {
        services_.dialogs.showMessage(
            "The live view was closed before its image was finished; nothing was written to " +
            std::exchange(pendingSave_, std::nullopt)->path);
    }
    emit drawingStopped();
}

void LiveViewWindow::requestRender()
{
    canvas_->setBackground(backgroundOf(services_.record.live()));
    if (renderer_) {
        const QSize size = canvas_->sizeInDevicePixels();
        renderer_->requestRender(size.width(), size.height());
    }
}

void LiveViewWindow::showProgress(const LiveViewProgress& progress)
{
    shown_ = progress;
    if (progress.firstPassMilliseconds >= 0.0) {
        lastFirstPassMilliseconds_ = progress.firstPassMilliseconds;
    }
    canvas_->showFrame(progress.frame);
    showStatus();
    savePendingImage();
    emit progressShown(progress);
}

void LiveViewWindow::showStatus()
{
    const int width = shown_.frame ? shown_.frame->width() : 0;
    const int height = shown_.frame ? shown_.frame->height() : 0;
    status_->setText(
        QString::fromStdString(liveViewStatusText(width, height, shown_.stage, lastFirstPassMilliseconds_)));
}

// Each key press continues the run of keys before it.
bool LiveViewWindow::steerByKey(const QKeyEvent& event)
{
    const std::optional<SliderSteps> steps = liveViewKeySteps(event.key(), event.modifiers());
    if (!steps) {
        return false;
    }
    services_.steering.markBurstStep(kKeysSource);
    services_.steering.stepSliders({*steps});
    return true;
}

// The finished image of the record and table that are live now, at the
// view's size.
bool LiveViewWindow::finishedImageShown() const
{
    const auto& image = shown_.finishedImage;
    return image && shown_.stage.antiAliased && !paramsDiffer(shown_.record, services_.record.live()) &&
           shown_.gradient == services_.record.gradient() &&
           QSize(image->width(), image->height()) == canvas_->sizeInDevicePixels();
}

void LiveViewWindow::savePendingImage()
{
    if (!pendingSave_ || !finishedImageShown()) {
        return;
    }
    const SaveChoice chosen = *std::exchange(pendingSave_, std::nullopt);
    const std::string& path = chosen.path;
    const FrameBuffer& image = *shown_.finishedImage;
    if (const ImageEncoding encoding = encodingForSave(path, chosen.filter);
        imageFormatFor(path).rowsNeedDeepValues(encoding)) {
        saveInBackground(path, encoding);
        return;
    }
    if (const Result<void> written = writeImageFile(path, image.pixels(), image.width(), image.height(),
                                                    imageMetadata(shown_.record, tableOf(shown_)));
        !written) {
        services_.dialogs.showMessage(written.error());
    }
}

// The shown image has no float values; the render is deterministic, so
// rendering the same record, table and size again gives them, and the same
// 8-bit pixels.
void LiveViewWindow::saveInBackground(const std::string& path, const ImageEncoding& encoding)
{
    const FrameBuffer& image = *shown_.finishedImage;
    auto* still =
        new BackgroundStill({path, encoding, image.width(), image.height()}, shown_.record, tableOf(shown_), this);
    connect(still, &BackgroundStill::finished, this, [this, still](const QString& problem) {
        still->deleteLater();
        if (!problem.isEmpty()) {
            services_.dialogs.showMessage(problem.toStdString());
        }
    });
}

}  // namespace tessaform
