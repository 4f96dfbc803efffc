#include "ui/HighQualityWindow.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QtMath>
#include <algorithm>

#include "io/TgaWriter.h"
#include "jobs/FrameBuffer.h"
#include "jobs/ProgramTitle.h"
#include "session/FramePainting.h"
#include "session/FrameRenderer.h"
#include "session/QtRenderView.h"
#include "session/RenderScheduler.h"
#include "session/SharedFrame.h"

namespace tessaform {
namespace {

// The frame's two buffers and the window's backing store each hold the
// whole picture; the buffers are only promised memory, so without a test
// a render too large for the machine would end with the program killed and
// the dialog's settings lost.
constexpr int kPictureCopies = 3;

// Room for the frame and title bar that the window system adds, which are
// known only once the window is shown.
constexpr QSize kFrameAllowance(16, 48);

// The image at one device pixel per pixel.
QSize fullSizeFor(const SharedFrame& frame, qreal devicePixelRatio)
{
    return QSize(qCeil(frame.width() / devicePixelRatio), qCeil(frame.height() / devicePixelRatio));
}

// 1, or less where the image would not fit the room.
qreal scaleToFit(QSize size, QSize room)
{
    if (room.isEmpty()) {
        return 1.0;
    }
    return std::min(
        {1.0, static_cast<qreal>(room.width()) / size.width(), static_cast<qreal>(room.height()) / size.height()});
}

// A window left open by a key press goes when the user closes it, or with
// the program, whose end would otherwise leave it undeleted.
void releaseWindow(HighQualityWindow* window, QObject& program)
{
    if (window->isVisible()) {
        window->setAttribute(Qt::WA_DeleteOnClose);
        QObject::connect(&program, &QObject::destroyed, window, [window] { delete window; });
    } else {
        window->deleteLater();
    }
}

}  // namespace

// A picture larger than the screen is shown scaled down, so that the whole
// window and its title bar stay on the screen.
HighQualityWindow::HighQualityWindow(std::shared_ptr<SharedFrame> frame) : frame_(std::move(frame))
{
    setWindowTitle(QString::fromStdString(programTitle()));
    setAttribute(Qt::WA_OpaquePaintEvent);
    const QRect available = screen()->availableGeometry();
    const QSize fullSize = fullSizeFor(*frame_, devicePixelRatioF());
    scale_ = scaleToFit(fullSize, available.size() - kFrameAllowance);
    setFixedSize((fullSize * scale_).expandedTo(QSize(1, 1)));
    if (scale_ < 1.0) {
        move(available.topLeft());
    }
}

void HighQualityWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, scale_ < 1.0);
    paintFrame(painter, *frame_, QPoint(0, 0), devicePixelRatioF() / scale_);
}

void HighQualityWindow::keyPressEvent(QKeyEvent* event)
{
    if (!event->modifiers().testFlag(Qt::AltModifier)) {
        emit loopEndRequested();
    }
    QWidget::keyPressEvent(event);
}

void HighQualityWindow::closeEvent(QCloseEvent* event)
{
    emit loopEndRequested();
    QWidget::closeEvent(event);
}

std::string highQualitySizeProblem(std::uint32_t width, std::uint32_t height)
{
    if (width == 0 || height == 0 || width > std::uint32_t{kLargestTgaSide} ||
        height > std::uint32_t{kLargestTgaSide}) {
        return "Cannot render " + imageSizeText(width, height) + ": width and height must be 1 to " +
               std::to_string(kLargestTgaSide);
    }
    if (!frameBuffersFit(static_cast<int>(width), static_cast<int>(height), kPictureCopies)) {
        return notEnoughMemoryText(width, height);
    }
    return {};
}

Result<std::shared_ptr<SharedFrame>> renderWindowFrame(std::uint32_t width, std::uint32_t height)
{
    if (std::string problem = highQualitySizeProblem(width, height); !problem.empty()) {
        return Failure{problem};
    }
    std::shared_ptr<SharedFrame> frame = SharedFrame::create(static_cast<int>(width), static_cast<int>(height));
    if (!frame) {
        return Failure{notEnoughMemoryText(width, height)};
    }
    return frame;
}

std::string runHighQualityRender(RenderClaim claim, const HighQualityServices& services,
                                 const HighQualityRequest& request)
{
    const Result<std::shared_ptr<SharedFrame>> frame = renderWindowFrame(request.width, request.height);
    if (!frame) {
        return frame.error();
    }
    services.renderer.setHighQualityTarget(*frame, request.outputPath, request.encoding);
    runInRenderWindow(std::move(claim), services, *frame, RenderMode::HighQuality);
    return {};
}

void runInRenderWindow(RenderClaim claim, const HighQualityServices& services, std::shared_ptr<SharedFrame> frame,
                       RenderMode mode)
{
    auto* window = new HighQualityWindow(std::move(frame));
    window->show();

    QEventLoop loop;
    QObject::connect(window, &HighQualityWindow::loopEndRequested, &loop, &QEventLoop::quit);
    services.view.setHighQualityWindow(window);
    services.scheduler.launch(std::move(claim), mode);
    loop.exec();

    services.scheduler.abandonRender();
    services.scheduler.waitForLaunchedRender();
    QObject::disconnect(window, nullptr, &loop, nullptr);
    releaseWindow(window, services.view);
}

}  // namespace tessaform
