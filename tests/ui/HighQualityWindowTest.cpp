#include <QApplication>
#include <QCoreApplication>
#include <QFile>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <cstdlib>
#include <functional>

#include "image/GradientLoader.h"
#include "jobs/FrameBuffer.h"
#include "session/FrameRenderer.h"
#include "session/QtRenderView.h"
#include "session/RenderScheduler.h"
#include "session/RenderTitles.h"
#include "support/FullDevice.h"
#include "support/RenderSchedulerProbe.h"
#include "support/RenderTool.h"
#include "support/ScratchFolder.h"
#include "support/VisibleHighQualityWindow.h"
#include "support/Watchdog.h"
#include "ui/HighQualityWindow.h"
#include "ui/UiTestRegistry.h"

namespace tessaform {
namespace {

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

// Up to what scaling blends in from neighbouring pixels.
bool nearlySame(QRgb a, QRgb b)
{
    constexpr int kBlend = 12;
    return std::abs(qRed(a) - qRed(b)) <= kBlend && std::abs(qGreen(a) - qGreen(b)) <= kBlend &&
           std::abs(qBlue(a) - qBlue(b)) <= kBlend;
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
        QVERIFY(loadGradient(gradientPath.toStdString(), gradient_));
    }

    void cleanup()
    {
        underWatchdog("the scheduler to shut down", [this] { scheduler_.reset(); });
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            delete widget;
        }
    }

    void finishedRenderMatchesHeadlessRenderer()
    {
        const QString output = QString::fromStdString(folder_.filePath("window.tga"));
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

        const QString reference = QString::fromStdString(folder_.filePath("cli.tga"));
        const QString command =
            QString("'%1' -q --set distance=2.5 -W 96 -H 72 -o '%2'").arg(TESSAFORM_RENDER_EXE, reference);
        QCOMPARE(std::system(command.toLocal8Bit().constData()), 0);
        QCOMPARE(fileBytes(output), fileBytes(reference));
        QCOMPARE(shown, imageFromTga(fileBytes(output), 96, 72));
    }

    // The PNG carries what the command-line renderer needs to draw it again.
    void savedPngReproducesThroughTheHeadlessRenderer()
    {
        const QString output = QString::fromStdString(folder_.filePath("window.png"));
        const std::string problem = renderWhile(40, 30, output, [](HighQualityWindow& window) {
            if (window.windowTitle() == kRenderSavedTitle) {
                window.close();
            }
        });
        QVERIFY(problem.empty());
        const QString again = QString::fromStdString(folder_.filePath("again.png"));
        const QString command = QString("'%1' -q -p '%2' -W 40 -H 30 -o '%3'").arg(TESSAFORM_RENDER_EXE, output, again);
        QCOMPARE(std::system(command.toLocal8Bit().constData()), 0);
        QVERIFY(!fileBytes(output).isEmpty());
        QCOMPARE(fileBytes(again), fileBytes(output));
    }

    void closingDuringFirstPassWritesNothing()
    {
        const QString output = QString::fromStdString(folder_.filePath("closed.tga"));
        renderWhile(3000, 2000, output, [](HighQualityWindow& window) { window.close(); });
        QVERIFY(!RenderSchedulerProbe(*scheduler_).renderBusy());
        QVERIFY(!QFile::exists(output));
        QCOMPARE(visibleHighQualityWindow(), nullptr);
    }

    // Also where the rows go to a file that keeps float values.
    void keyPressEndsTheRenderButLeavesTheWindowOpen_data()
    {
        QTest::addColumn<QString>("name");
        QTest::newRow("TGA") << "key.tga";
        QTest::newRow("OpenEXR") << "key.exr";
    }

    void keyPressEndsTheRenderButLeavesTheWindowOpen()
    {
        QFETCH(QString, name);
        const QString output = QString::fromStdString(folder_.filePath(name.toStdString()));
        QString lastTitle;
        renderWhile(
            3000, 2000, output,
            [&lastTitle](HighQualityWindow& window) {
                if (window.windowTitle().startsWith("First pass")) {
                    lastTitle = window.windowTitle();
                    QTest::keyClick(&window, Qt::Key_Space);
                }
            },
            imageFormatFor(output.toStdString()).defaultEncoding());
        QVERIFY(!QFile::exists(output));
        HighQualityWindow* window = visibleHighQualityWindow();
        QVERIFY(window != nullptr);
        QVERIFY(lastTitle.startsWith("First pass: "));
        QTRY_COMPARE(window->windowTitle(), QString(kRenderStoppedTitle));

        // It goes with the program at the latest.
        const QPointer<HighQualityWindow> leftOpen(window);
        underWatchdog("the scheduler to shut down", [this] { scheduler_.reset(); });
        renderer_.reset();
        view_.reset();
        QVERIFY(leftOpen.isNull());
    }

    // Scaled down to the screen's free area, the whole picture shows: its
    // far corners are those of the file.
    void pictureLargerThanTheScreenIsShownWholeOnIt_data()
    {
        const QSize room = QApplication::primaryScreen()->availableGeometry().size();
        QTest::addColumn<QSize>("size");
        QTest::newRow("wide") << QSize(room.width() * 3, 8);
        QTest::newRow("tall") << QSize(8, room.height() * 3);
    }

    void pictureLargerThanTheScreenIsShownWholeOnIt()
    {
        QFETCH(QSize, size);
        const QString output = QString::fromStdString(folder_.filePath("large.tga"));
        QImage shown;
        QRect frame;
        renderWhile(size.width(), size.height(), output, [&](HighQualityWindow& window) {
            if (window.windowTitle() == kRenderSavedTitle) {
                shown = window.grab().toImage();
                frame = window.frameGeometry();
                window.close();
            }
        });
        QVERIFY(QApplication::primaryScreen()->availableGeometry().contains(frame));
        const QImage saved = imageFromTga(fileBytes(output), size.width(), size.height());
        QCOMPARE(fileBytes(output).size(), 18 + 3 * size.width() * size.height());
        const QPoint shownEnd(shown.width() - 1, shown.height() - 1);
        const QPoint savedEnd(size.width() - 1, size.height() - 1);
        QVERIFY(nearlySame(shown.pixel(shownEnd), saved.pixel(savedEnd)));
        QVERIFY(nearlySame(shown.pixel(0, 0), saved.pixel(0, 0)));
    }

    // A file that keeps float values gets them, its rows shown as they are
    // written, and holds what the headless renderer writes.
    void deepFilesMatchTheHeadlessRenderer()
    {
        const QString shownReference = QString::fromStdString(folder_.filePath("shown.tga"));
        QCOMPARE(runRenderTool(QString("--set distance=2.5 -W 40 -H 30 -o '%1'").arg(shownReference)), 0);
        const struct {
            const char* name;
            ImageEncoding encoding;
            const char* options;
        } cases[] = {
            {"deep.exr", {16, true}, ""},
            {"deep.png", {16, false}, "--bit-depth 16"},
        };
        for (const auto& c : cases) {
            const QString output = QString::fromStdString(folder_.filePath(std::string("window-") + c.name));
            QString finalTitle;
            QImage shown;
            renderWhile(
                40, 30, output,
                [&](HighQualityWindow& window) {
                    if (window.windowTitle().startsWith("Render")) {
                        finalTitle = window.windowTitle();
                        shown = window.grab().toImage();
                        window.close();
                    }
                },
                c.encoding);
            QCOMPARE(finalTitle, QString(kRenderSavedTitle));
            const QString reference = QString::fromStdString(folder_.filePath(std::string("cli-") + c.name));
            QCOMPARE(runRenderTool(QString("--set distance=2.5 -W 40 -H 30 %1 -o '%2'").arg(c.options, reference)), 0);
            QVERIFY2(fileBytes(output) == fileBytes(reference), c.name);
            QCOMPARE(shown, imageFromTga(fileBytes(shownReference), 40, 30));
        }
    }

    void unwritableFileIsNotReportedAsSaved()
    {
        const QString output = QString::fromStdString(folder_.filePath("missing-folder/out.tga"));
        QString finalTitle;
        renderWhile(8, 8, output, [&finalTitle](HighQualityWindow& window) {
            if (window.windowTitle().startsWith("Render")) {
                finalTitle = window.windowTitle();
                window.close();
            }
        });
        QVERIFY2(finalTitle.startsWith("Render not saved - Could not create"), qPrintable(finalTitle));
    }

    void tinyRendersSaveAndAFullDiskIsNotSaved()
    {
        const std::string full = fullDeviceIn(folder_.path().string());
        const struct {
            std::uint32_t side;
            QString output;
            QString title;
        } cases[] = {
            {1, QString::fromStdString(folder_.filePath("one.tga")), kRenderSavedTitle},
            {2, QString::fromStdString(folder_.filePath("two.tga")), kRenderSavedTitle},
            {2, QString::fromStdString(full),
             "Render not saved - Could not finish writing " + QString::fromStdString(full) +
                 ": No space left on device"},
        };
        for (const auto& c : cases) {
            if (c.output.isEmpty()) {
                continue;  // no device node can be made or opened here
            }
            QString finalTitle;
            renderWhile(c.side, c.side, c.output, [&finalTitle](HighQualityWindow& window) {
                if (window.windowTitle().startsWith("Render")) {
                    finalTitle = window.windowTitle();
                    window.close();
                }
            });
            QCOMPARE(finalTitle, c.title);
        }
        QCOMPARE(fileBytes(QString::fromStdString(folder_.filePath("one.tga"))).size(), 18 + 3);
        QCOMPARE(fileBytes(QString::fromStdString(folder_.filePath("two.tga"))).size(), 18 + 3 * 4);
    }

    void unusableSizesOpenNoWindowAndFreeTheSlot()
    {
        struct Case {
            std::uint32_t width;
            std::uint32_t height;
            std::string problem;
        };
        std::vector<Case> cases{{0, 768, "Cannot render 0 x 768: width and height must be 1 to 65535"},
                                {1024, 0, "Cannot render 1024 x 0: width and height must be 1 to 65535"},
                                {65536, 10, "Cannot render 65536 x 10: width and height must be 1 to 65535"}};
        // Beyond RAM and swap the system would still promise the memory, and
        // the render would end with the program killed. A machine with
        // memory for three copies would render it for minutes instead.
        if (!frameBuffersFit(65535, 65535, 3)) {
            cases.push_back({65535, 65535, "Not enough memory for a 65535 x 65535 image"});
        }
        for (const Case& c : cases) {
            const std::string problem = runHighQualityRender(scheduler_->stopRenderAndWait(), services(),
                                                             {c.width, c.height, folder_.filePath("x.tga"), {}});
            QCOMPARE(problem, c.problem);
            QVERIFY(!RenderSchedulerProbe(*scheduler_).renderBusy());
            QCOMPARE(visibleHighQualityWindow(), nullptr);
        }
    }

private:
    HighQualityServices services() { return {*scheduler_, *renderer_, *view_}; }

    // Runs a render of the given size; onTick sees its window every few
    // milliseconds until the window's loop ends.
    std::string renderWhile(std::uint32_t width, std::uint32_t height, const QString& output,
                            const std::function<void(HighQualityWindow&)>& onTick, ImageEncoding encoding = {})
    {
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout, [&onTick] {
            if (HighQualityWindow* window = visibleHighQualityWindow()) {
                onTick(*window);
            }
        });
        ticker.start(5);
        return underWatchdog("the High quality window's render to end", [&] {
            return runHighQualityRender(scheduler_->stopRenderAndWait(), services(),
                                        {width, height, output.toStdString(), encoding});
        });
    }

    const ScratchFolder folder_;
    SharedParams params_;
    GradientSlot gradient_;
    std::unique_ptr<QtRenderView> view_;
    std::unique_ptr<FrameRenderer> renderer_;
    std::unique_ptr<RenderScheduler> scheduler_;
};

TESSAFORM_UI_TEST(HighQualityWindowTest);

}  // namespace tessaform

#include "HighQualityWindowTest.moc"
