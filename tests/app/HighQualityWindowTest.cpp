#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/FrameRenderer.h"
#include "app/HighQualityWindow.h"
#include "app/QtRenderView.h"
#include "app/RenderScheduler.h"
#include "params/GradientLoader.h"
#include "ui/UiTestRegistry.h"

namespace tessaform {
namespace {

HighQualityWindow* openWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<HighQualityWindow*>(widget); window && window->isVisible()) {
            return window;
        }
    }
    return nullptr;
}

QByteArray fileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The window must show every row of the saved picture, the last included.
QImage imageFromTga(const QByteArray& tga, int width, int height)
{
    constexpr int kHeaderSize = 18;
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto* bgr =
                reinterpret_cast<const uchar*>(tga.constData()) + kHeaderSize + ((height - 1 - y) * width + x) * 3;
            image.setPixel(x, y, qRgb(bgr[2], bgr[1], bgr[0]));
        }
    }
    return image;
}

}  // namespace

// Drives whole high-quality renders through their window, acting on the
// window from a timer while the window's own loop runs.
class HighQualityWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        view_ = std::make_unique<QtRenderView>();
        renderer_ = std::make_unique<FrameRenderer>(gradient_, *view_);
        scheduler_ = std::make_unique<RenderScheduler>(params_, *renderer_);
        // Close enough that the surface, and its edges, reach the last rows.
        params_.editLive([](FractalParams& params) { params.distance = 2.5f; });
        params_.takeSnapshot();
        const QString gradientPath = QCoreApplication::applicationDirPath() + "/gradient.jpg";
        QVERIFY(loadGradient(gradientPath.toStdString(), gradient_, [](const std::string&) {}));
    }

    void cleanup()
    {
        scheduler_.reset();
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            delete widget;
        }
    }

    void finishedRenderMatchesHeadlessRenderer()
    {
        const QString output = folder_.filePath("window.tga");
        QStringList titles;
        QImage shown;
        std::string problem = renderWhile(96, 72, output, [&](HighQualityWindow& window) {
            if (titles.isEmpty() || titles.back() != window.windowTitle()) {
                titles << window.windowTitle();
            }
            if (window.windowTitle() == kRenderSavedTitle) {
                shown = window.grab().toImage();
                window.close();
            }
        });
        QVERIFY(problem.empty());
        QCOMPARE(titles.back(), QString(kRenderSavedTitle));

        const QString reference = folder_.filePath("cli.tga");
        const QString command =
            QString("'%1' -q --set distance=2.5 -W 96 -H 72 -o '%2'").arg(TESSAFORM_RENDER_EXE, reference);
        QCOMPARE(std::system(command.toLocal8Bit().constData()), 0);
        QCOMPARE(fileBytes(output), fileBytes(reference));
        QCOMPARE(shown, imageFromTga(fileBytes(output), 96, 72));
    }

    void closingDuringFirstPassWritesNothing()
    {
        const QString output = folder_.filePath("closed.tga");
        renderWhile(3000, 2000, output, [](HighQualityWindow& window) { window.close(); });
        QVERIFY(!scheduler_->flags().renderBusy);
        QVERIFY(!QFile::exists(output));
        QCOMPARE(openWindow(), nullptr);
    }

    void keyPressEndsTheRenderButLeavesTheWindowOpen()
    {
        const QString output = folder_.filePath("key.tga");
        QString lastTitle;
        renderWhile(3000, 2000, output, [&lastTitle](HighQualityWindow& window) {
            if (window.windowTitle().startsWith("First pass")) {
                lastTitle = window.windowTitle();
                QTest::keyClick(&window, Qt::Key_Space);
            }
        });
        QVERIFY(!QFile::exists(output));
        HighQualityWindow* window = openWindow();
        QVERIFY(window != nullptr);
        QCOMPARE(window->size(), QSize(3000, 2000) / window->devicePixelRatioF());
        QVERIFY(lastTitle.startsWith("First pass: "));
    }

    void unwritableFileIsNotReportedAsSaved()
    {
        const QString output = folder_.filePath("missing-folder/out.tga");
        QString finalTitle;
        renderWhile(8, 8, output, [&finalTitle](HighQualityWindow& window) {
            if (window.windowTitle().startsWith("Render")) {
                finalTitle = window.windowTitle();
                window.close();
            }
        });
        QVERIFY2(finalTitle.startsWith("Render not saved - Could not create"), qPrintable(finalTitle));
    }

    void unusableSizesOpenNoWindowAndFreeTheSlot()
    {
        for (const auto& [width, height] : {std::pair{0u, 768u}, {1024u, 0u}, {65536u, 10u}}) {
            const std::string problem = runHighQualityRender(scheduler_->stopRenderAndWait(), services(),
                                                             {width, height, folder_.filePath("x.tga").toStdString()});
            QVERIFY(problem.find("width and height must be 1 to 65535") != std::string::npos);
            QVERIFY(!scheduler_->flags().renderBusy);
            QCOMPARE(openWindow(), nullptr);
        }
    }

private:
    HighQualityServices services() { return {*scheduler_, *renderer_, *view_}; }

    // Runs a render of the given size; onTick sees its window every few
    // milliseconds until the window's loop ends.
    std::string renderWhile(std::uint32_t width, std::uint32_t height, const QString& output,
                            const std::function<void(HighQualityWindow&)>& onTick)
    {
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&onTick] {
            if (HighQualityWindow* window = openWindow()) {
                onTick(*window);
            }
        });
        ticker.start(5);
        return runHighQualityRender(scheduler_->stopRenderAndWait(), services(), {width, height, output.toStdString()});
    }

    QTemporaryDir folder_;
    SharedParams params_;
    GradientSlot gradient_;
    std::unique_ptr<QtRenderView> view_;
    std::unique_ptr<FrameRenderer> renderer_;
    std::unique_ptr<RenderScheduler> scheduler_;
};

TESSAFORM_UI_TEST(HighQualityWindowTest);

}  // namespace tessaform

#include "HighQualityWindowTest.moc"
