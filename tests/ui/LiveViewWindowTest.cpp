#include <QFile>
#include <QLabel>
#include <QSlider>
#include <QTest>
#include <optional>

#include "jobs/ImageMetadata.h"
#include "support/FileBytes.h"
#include "support/LiveViewFixture.h"
#include "support/RenderTool.h"
#include "support/ScratchFolder.h"
#include "ui/LiveViewStatus.h"
#include "ui/SliderTable.h"
#include "ui/UiTestRegistry.h"

namespace tessaform {
namespace {

void pressKey(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(&window, key, modifiers);
}

std::vector<std::uint32_t> pngPixels(const QString& path)
{
    const QImage image = QImage(path).convertToFormat(QImage::Format_RGB32);
    std::vector<std::uint32_t> pixels;
    for (int y = 0; y < image.height(); ++y) {
        const auto* row = reinterpret_cast<const std::uint32_t*>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            pixels.push_back(row[x] & 0x00FFFFFFu);
        }
    }
    return pixels;
}

}  // namespace

// The live view inside the test's event loop, rendering for real at small
// sizes.
class LiveViewWindowTest : public QObject {
    Q_OBJECT

private slots:
    void statusText_data()
    {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("blockSize");
        QTest::addColumn<bool>("antiAliased");
        QTest::addColumn<double>("firstPass");
        QTest::addColumn<QString>("text");
        QTest::newRow("nothing shown yet") << 0 << 1 << false << -1.0 << "Starting";
        QTest::newRow("coarse, no first pass yet") << 1280 << 8 << false << -1.0 << "1280 x 720 · coarse 1/8";
        QTest::newRow("coarse after an earlier first pass")
            << 1280 << 2 << false << 112.4 << "1280 x 720 · coarse 1/2 · first pass 112 ms";
        QTest::newRow("every pixel traced")
            << 1280 << 1 << false << 112.6 << "1280 x 720 · anti-aliasing · first pass 113 ms";
        QTest::newRow("finished") << 1280 << 1 << true << 90.0 << "1280 x 720 · anti-aliased · first pass 90 ms";
    }

    void statusText()
    {
        QFETCH(int, width);
        QFETCH(int, blockSize);
        QFETCH(bool, antiAliased);
        QFETCH(double, firstPass);
        QFETCH(QString, text);
        const ProgressiveStage stage{blockSize, antiAliased};
        QCOMPARE(QString::fromStdString(liveViewStatusText(width, width * 9 / 16, stage, firstPass)), text);
    }

    // The frame at the top-left, one pixel per pixel, and the background
    // wherever it does not reach.
    void canvasPaintsTheFrameAndTheBackground()
    {
        const std::shared_ptr<SharedFrame> frame = SharedFrame::create(10, 6);
        std::fill_n(frame->canvas().pixels(), 60, 0x00123456u);
        frame->showRows(0, 6);
        LiveViewCanvas canvas;
        canvas.resize(16, 8);
        canvas.setBackground(QColor(0xAB, 0xCD, 0xEF));
        canvas.showFrame(frame);
        const QImage painted = canvas.grab().toImage();
        QCOMPARE(painted.pixel(9, 5), qRgb(0x12, 0x34, 0x56));
        QCOMPARE(painted.pixel(10, 5), qRgb(0xAB, 0xCD, 0xEF));
        QCOMPARE(painted.pixel(9, 6), qRgb(0xAB, 0xCD, 0xEF));
    }

    // Once refined, the view holds the high-quality image of the newest
    // record at its size, byte for byte, also when the record changed
    // while it was refining.
    void finishedImageIsTheHighQualityImage_data()
    {
        QTest::addColumn<bool>("changeWhileRefining");
        QTest::newRow("still") << false;
        QTest::newRow("changed while refining") << true;
    }

    void finishedImageIsTheHighQualityImage()
    {
        QFETCH(bool, changeWhileRefining);
        LiveViewFixture fixture;
        bool changed = false;
        connect(&fixture.window(), &LiveViewWindow::progressShown, [&](const LiveViewProgress& progress) {
            if (changeWhileRefining && !changed && !progress.stage.antiAliased) {
                changed = true;
                fixture.dialog.stepSliders({{"constant.x", 3}});
            }
        });
        QVERIFY(fixture.waitForFinishedImage());
        QCOMPARE(changed, changeWhileRefining);
        const LiveViewProgress& shown = fixture.window().shownProgress();
        const auto expected = highQualityPixels(fixture.state.record.live(), *shown.gradient, fixture.canvasSize());
        QVERIFY(shownPixels(*shown.frame) == expected);
        const FrameBuffer& finished = *shown.finishedImage;
        QVERIFY(std::equal(expected.begin(), expected.end(), finished.pixels()));
        QVERIFY(fixture.window().findChild<QLabel*>("liveViewStatus")->text().contains("anti-aliased"));
    }

    // A resize renders again at the new size in device pixels, coarse first.
    void resizeRendersAtTheNewSize()
    {
        LiveViewFixture fixture;
        QVERIFY(fixture.waitForFinishedImage());
        std::vector<LiveViewProgress> shown;
        connect(&fixture.window(), &LiveViewWindow::progressShown,
                [&shown](const LiveViewProgress& progress) { shown.push_back(progress); });
        fixture.window().resize(320, 200);
        QVERIFY(fixture.waitForFinishedImage());
        const QSize size = fixture.canvasSize();
        QCOMPARE(shown.back().frame->width(), size.width());
        QCOMPARE(shown.back().frame->height(), size.height());
        const auto firstOfSize = std::find_if(shown.begin(), shown.end(), [&size](const LiveViewProgress& progress) {
            return progress.frame->width() == size.width();
        });
        QCOMPARE(firstOfSize->stage.blockSize, coarsestBlockSize(size.width(), size.height()));
    }

    // F11 and a double-click toggle full screen; Escape leaves it and does
    // nothing more.
    void fullScreenTogglesAndEscapeOnlyLeavesIt()
    {
        LiveViewFixture fixture;
        LiveViewWindow& window = fixture.window();
        auto* status = window.findChild<QLabel*>("liveViewStatus");
        std::vector<bool> states;
        const auto note = [&] { states.push_back(window.isFullScreen() && !status->isVisible()); };
        pressKey(window, Qt::Key_F11);
        note();
        pressKey(window, Qt::Key_Escape);
        note();
        pressKey(window, Qt::Key_Escape);
        note();
        QTest::mouseDClick(window.findChild<LiveViewCanvas*>(), Qt::LeftButton);
        note();
        pressKey(window, Qt::Key_F11);
        note();
        QCOMPARE(states, (std::vector<bool>{true, false, false, true, false}));
        QVERIFY(window.isVisible());
        QVERIFY(status->isVisible());
        QVERIFY(!paramsDiffer(fixture.state.record.live(), defaultParams()));
    }

    // Each key steps its slider in the settings window, which shows it; a
    // run of keys is one step of the history.
    void keysStepTheSliders_data()
    {
        QTest::addColumn<int>("key");
        QTest::addColumn<bool>("shift");
        QTest::addColumn<int>("sliderId");
        QTest::addColumn<int>("position");
        QTest::newRow("Left turns as a drag left") << int(Qt::Key_Left) << false << 1004 << 343;
        QTest::newRow("Right") << int(Qt::Key_Right) << false << 1004 << 339;
        QTest::newRow("Shift+Left, round past 360") << int(Qt::Key_Left) << true << 1004 << 1;
        QTest::newRow("Up turns as a drag up, round past 0") << int(Qt::Key_Up) << false << 1005 << 358;
        QTest::newRow("Down") << int(Qt::Key_Down) << false << 1005 << 2;
        QTest::newRow("Page Up comes nearer") << int(Qt::Key_PageUp) << false << 1009 << 38;
        QTest::newRow("Shift+Page Down stops at the end") << int(Qt::Key_PageDown) << true << 1009 << 60;
    }

    void keysStepTheSliders()
    {
        QFETCH(int, key);
        QFETCH(bool, shift);
        QFETCH(int, sliderId);
        QFETCH(int, position);
        LiveViewFixture fixture;
        QVERIFY(fixture.activeAtStart);
        const FractalParams before = fixture.state.record.live();
        const Qt::KeyboardModifiers modifiers = shift ? Qt::ShiftModifier : Qt::NoModifier;
        pressKey(fixture.window(), Qt::Key(key), modifiers);
        pressKey(fixture.window(), Qt::Key(key), modifiers);
        QCOMPARE(fixture.slider(sliderId).value(), position);
        const SliderRow& row = *std::find_if(sliderRows().begin(), sliderRows().end(),
                                             [sliderId](const SliderRow& r) { return r.sliderId == sliderId; });
        QCOMPARE(fixture.dialog.findChild<QLabel*>(QStringLiteral("label%1").arg(row.labelId))->text(),
                 QString::fromStdString(labelText(row, fixture.state.record.live())));
        QVERIFY(fixture.renderRequests > 0);
        pressKey(fixture.window(), Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(!paramsDiffer(fixture.state.record.live(), before));
    }

    // Ctrl+S writes the finished image at the view's size with what
    // reproduces it, waiting for it where it is not drawn yet. A save that
    // cannot be made says so.
    // A file that keeps float values is rendered again for them, and holds
    // what the headless renderer writes for the record it carries.
    void savesAPngThatReproduces_data()
    {
        QTest::addColumn<bool>("waitFirst");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filter");  // empty: the first offered
        QTest::addColumn<bool>("closeAtOnce");
        QTest::addColumn<bool>("deep");
        QTest::addColumn<QString>("headlessOptions");
        QTest::newRow("finished") << true << "view.png"
                                  << "" << false << false << "";
        QTest::newRow("right after a change") << false << "view.png"
                                              << "" << false << false << "";
        QTest::newRow("into a missing folder") << true << "gone/view.png"
                                               << "" << false << false << "";
        QTest::newRow("view closed before it is finished") << false << "view.png"
                                                           << "" << true << false << "";
        QTest::newRow("OpenEXR") << true << "view.exr"
                                 << "*.exr" << false << true << "";
        QTest::newRow("16-bit PNG after a change") << false << "view.png"
                                                   << "*.png (16-bit)" << false << true << "--bit-depth 16";
        QTest::newRow("OpenEXR into a missing folder") << true << "gone/view.exr"
                                                       << "*.exr" << false << true << "";
    }

    void savesAPngThatReproduces()
    {
        QFETCH(bool, waitFirst);
        QFETCH(QString, name);
        QFETCH(QString, filter);
        QFETCH(bool, closeAtOnce);
        QFETCH(bool, deep);
        QFETCH(QString, headlessOptions);
        const ScratchFolder folder;
        const std::string path = folder.filePath(name.toStdString());
        LiveViewFixture fixture;
        QVERIFY(fixture.activeAtStart);
        fixture.dialogs.fileAnswer = path;
        fixture.dialogs.filterAnswer = filter.toStdString();
        if (waitFirst) {
            QVERIFY(fixture.waitForFinishedImage());
        } else {
            fixture.dialog.stepSliders({{"phi", 5}});
        }
        pressKey(fixture.window(), Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(fixture.dialogs.saveRequest.filters,
                 (std::vector<std::string>{"*.png", "*.png (16-bit)", "*.tga", "*.exr"}));
        QCOMPARE(fixture.dialogs.saveRequest.initialName, std::string("Live view.png"));
        if (closeAtOnce) {
            fixture.window().close();
        }
        const bool fails = closeAtOnce || name.contains('/');
        if (fails) {
            QTRY_COMPARE_WITH_TIMEOUT(fixture.dialogs.messages.size(), std::size_t{1}, kRenderPatienceMs);
            QVERIFY(QString::fromStdString(fixture.dialogs.messages[0]).contains(name));
            QTest::qWait(50);
            QVERIFY(!QFile::exists(QString::fromStdString(path)));
            return;
        }
        QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(QString::fromStdString(path)), kRenderPatienceMs);
        QVERIFY(fixture.dialogs.messages.empty());
        const Result<ImageParams> saved = readImageParams(path);
        QVERIFY(saved.ok());
        QVERIFY(!paramsDiffer(saved->params, fixture.state.record.live()));
        if (deep) {
            const std::string again = path + ".again" + name.right(4).toStdString();
            QCOMPARE(runRenderTool(QString("-p '%1' -W %2 -H %3 %4 -o '%5'")
                                       .arg(QString::fromStdString(path))
                                       .arg(fixture.canvasSize().width())
                                       .arg(fixture.canvasSize().height())
                                       .arg(headlessOptions, QString::fromStdString(again))),
                     0);
            QVERIFY(fileBytes(path) == fileBytes(again));
            return;
        }
        QVERIFY(pngPixels(QString::fromStdString(path)) ==
                highQualityPixels(saved->params, *saved->gradient, fixture.canvasSize()));
        QVERIFY(fixture.dialogs.messages.empty());
    }
};

TESSAFORM_UI_TEST(LiveViewWindowTest);

}  // namespace tessaform

#include "LiveViewWindowTest.moc"
