#include "ui/HighQualityWindow.h"

#include <QCloseEvent>
#include <QEventLoop>
#include <QKeyEvent>
#include <QPainter>
#include <QtMath>

#include "app/FrameBuffer.h"
#include "app/FramePainting.h"
#include "app/FrameRenderer.h"
#include "app/ProgramTitle.h"
#include "app/QtRenderView.h"
#include "app/RenderScheduler.h"
#include "app/SharedFrame.h"
#include "io/TgaWriter.h"

namespace tessaform {
namespace {

// The frame's two buffers and the window's backing store each hold the
// whole picture; the buffers are only promised memory, so without a test
// a render too large for the machine would end with the program killed and
// the dialog's settings lost.
constexpr int kPictureCopies = 3;

// The client area holds the image at one device pixel per pixel.
QSize clientSizeFor(const SharedFrame& frame, qreal devicePixelRatio)
{
    return QSize(qCeil(frame.width() / devicePixelRatio), qCeil(frame.height() / devicePixelRatio));
}

void releaseWindow(HighQualityWindow* window)
{
    if (window->isVisible()) {
        // Left open by a key press: it goes when the user closes it.
        window->setAttribute(Qt::WA_DeleteOnClose);
    } else {
        window->deleteLater();
    }
}

}  // namespace

HighQualityWindow::HighQualityWindow(std::shared_ptr<SharedFrame> frame) : frame_(std::move(frame))
{
    setWindowTitle(kProgramTitle);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFixedSize(clientSizeFor(*frame_, devicePixelRatioF()));
}

void HighQualityWindow::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintFrame(painter, *frame_, QPoint(0, 0), devicePixelRatioF());
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
    services.renderer.setHighQualityTarget(*frame, request.outputPath);
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
    releaseWindow(window);
}

}  // namespace tessaform
