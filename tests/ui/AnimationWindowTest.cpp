#include <QAction>
#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSlider>
#include <QSpinBox>
#include <QTableWidget>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>

#include "anim/KeyframeFile.h"
#include "image/GradientLoader.h"
#include "jobs/ImageMetadata.h"
#include "session/RenderScheduler.h"
#include "session/RenderTitles.h"
#include "support/CommandsFixture.h"
#include "support/FileBytes.h"
#include "support/FilmDecoding.h"
#include "support/RenderSchedulerProbe.h"
#include "support/RenderTool.h"
#include "support/ScratchFolder.h"
#include "support/VisibleHighQualityWindow.h"
#include "support/Watchdog.h"
#include "support/WatchedRenderer.h"
#include "ui/AnimationWindow.h"
#include "ui/LiveViewWindow.h"
#include "ui/PreviewPanel.h"
#include "ui/SliderTable.h"
#include "ui/UiTestRegistry.h"

namespace tessaform {
namespace {

// The program's parts joined as Program joins them, every render watched.
struct RenderingFixture {
    ProgramState state;
    QtRenderView view;
    FrameRenderer renderer{state.record.gradientSlot(), view};
    WatchedRenderer watched{renderer};
    RenderScheduler scheduler{state.record.shared(), watched};
    ScriptedDialogs dialogs;
    SettingsDialog dialog{state, [this] { scheduler.requestRender(); }};
    Commands commands{state, dialog, dialogs, HighQualityServices{scheduler, renderer, view}};

    RenderingFixture()
    {
        dialog.initialize();
        renderer.setPreviewFrame(dialog.previewFrame());
        view.setPreviewWidget(dialog.previewPanel());
    }
    ~RenderingFixture()
    {
        underWatchdog("the scheduler to shut down", [this] { scheduler.shutdown(); });
    }
};

AnimationWindow& openWindow(Commands& commands)
{
    commands.run(CommandId::Animation);
    return *commands.animationWindow();
}

void click(AnimationWindow& window, const char* button)
{
    QTest::mouseClick(window.findChild<QPushButton*>(button), Qt::LeftButton);
}

void moveTimeline(AnimationWindow& window, int frame)
{
    window.findChild<QSpinBox*>("timelineFrame")->setValue(frame);
}

void selectKey(AnimationWindow& window, int row)
{
    window.findChild<QTableWidget*>("keys")->selectRow(row);
}

// As the frame cell's editor commits a number; the edit is taken once the
// editor has closed.
void editKeyFrame(AnimationWindow& window, int row, int frame)
{
    window.findChild<QTableWidget*>("keys")->item(row, 0)->setData(Qt::EditRole, frame);
    QCoreApplication::processEvents();
}

// Keys at the frames with the live record changed by edit before each.
void addKeys(ProgramState& state, AnimationWindow& window,
             std::initializer_list<std::pair<int, std::function<void(FractalParams&)>>> keys)
{
    for (const auto& [frame, edit] : keys) {
        moveTimeline(window, frame);
        state.record.shared().editLive(edit);
        click(window, "addKey");
    }
}

std::vector<int> keyFrames(const Animation& animation)
{
    std::vector<int> frames;
    for (const Keyframe& key : animation.keys) {
        frames.push_back(key.frame);
    }
    return frames;
}

bool sameKeys(const Animation& a, const Animation& b)
{
    return keyFrames(a) == keyFrames(b) &&
           std::equal(a.keys.begin(), a.keys.end(), b.keys.begin(),
                      [](const Keyframe& x, const Keyframe& y) { return !paramsDiffer(x.params, y.params); }) &&
           a.interpolation == b.interpolation && a.fps == b.fps;
}

QStringList keyTexts(AnimationWindow& window)
{
    QStringList texts;
    const auto& table = *window.findChild<QTableWidget*>("keys");
    for (int row = 0; row < table.rowCount(); ++row) {
        texts << table.item(row, 0)->text() + ": " + table.item(row, 1)->text();
    }
    return texts;
}

void setRenderSize(SettingsDialog& dialog, int width, int height)
{
    dialog.findChild<QLineEdit*>("field1032")->setText(QString::number(width));
    dialog.findChild<QLineEdit*>("field1049")->setText(QString::number(height));
}

// Presses "Render animation" and lets onTick see the render window every
// few milliseconds until the render's loop has ended.
void renderWhile(AnimationWindow& window, const std::function<void(HighQualityWindow&)>& onTick)
{
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&onTick] {
        if (HighQualityWindow* shown = visibleHighQualityWindow()) {
            onTick(*shown);
        }
    });
    ticker.start(2);
    underWatchdog("the film render to end", [&window] { window.renderAnimation(); });
}

std::set<std::string> filesIn(const ScratchFolder& folder)
{
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

}  // namespace

class AnimationWindowTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        QVERIFY(loadGradient(QCoreApplication::applicationDirPath().toStdString() + "/gradient.jpg", gradient_));
    }

    void cleanup()
    {
        for (QWidget* window = visibleHighQualityWindow(); window != nullptr; window = visibleHighQualityWindow()) {
            delete window;
        }
    }

    // Each edit is one step of the window's own history; refused edits are
    // explained and change nothing.
    void keyEditsAndTheirUndoHistory()
    {
        CommandsFixture fixture;
        AnimationWindow& window = openWindow(fixture.commands);
        QVERIFY(QTest::qWaitForWindowActive(&window));
        SharedParams& params = fixture.state.record.shared();
        const struct Step {
            std::function<void()> act;
            QStringList keys;
            std::string message;
        } steps[] = {
            {[&] { click(window, "addKey"); }, {"0: defaults"}, ""},
            {[&] {
                 addKeys(fixture.state, window, {{10, [](FractalParams& p) { p.phi = 1.0f; }}});
             },
             {"0: defaults", "10: phi"},
             ""},
            {[&] { click(window, "addKey"); }, {"0: defaults", "10: phi"}, "Frame 10 already has a key"},
            {[&] {
                 selectKey(window, 1);
                 params.editLive([](FractalParams& p) { p.constant.x = 0.25f; });
                 click(window, "replaceKey");
             },
             {"0: defaults", "10: phi, constant.x"},
             ""},
            {[&] { editKeyFrame(window, 1, 0); }, {"0: defaults", "10: phi, constant.x"}, "Frame 0 already has a key"},
            {[&] { editKeyFrame(window, 1, 20); }, {"0: defaults", "20: phi, constant.x"}, ""},
            {[&] {
                 selectKey(window, 0);
                 click(window, "deleteKey");
             },
             {"20: phi, constant.x"},
             ""},
        };
        std::vector<Animation> states{window.animation()};
        for (const Step& step : steps) {
            fixture.dialogs.messages.clear();
            step.act();
            QCOMPARE(keyTexts(window), step.keys);
            QCOMPARE(fixture.dialogs.messages,
                     step.message.empty() ? std::vector<std::string>{} : std::vector<std::string>{step.message});
            if (step.message.empty()) {
                states.push_back(window.animation());
            }
        }
        // Moving the timeline and changing the record touch no key; off a
        // key, no key is selected to be replaced.
        selectKey(window, 0);
        moveTimeline(window, 3);
        params.editLive([](FractalParams& p) { p.theta = 2.0f; });
        QVERIFY(sameKeys(window.animation(), states.back()));
        QVERIFY(!window.findChild<QPushButton*>("replaceKey")->isEnabled());

        for (std::size_t step = states.size() - 1; step > 0; --step) {
            QTest::keyClick(&window, Qt::Key_Z, Qt::ControlModifier);
            QVERIFY2(sameKeys(window.animation(), states[step - 1]), qPrintable(QString::number(step)));
        }
        for (std::size_t step = 1; step < states.size(); ++step) {
            const bool shifted = step % 2 == 0;
            QTest::keyClick(&window, shifted ? Qt::Key_Z : Qt::Key_Y,
                            shifted ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
            QVERIFY2(sameKeys(window.animation(), states[step]), qPrintable(QString::number(step)));
        }
        QCOMPARE(params.live().theta, 2.0f);
    }

    // The live record, the sliders and their labels show the record at the
    // frame, and the preview is asked for once per change.
    void timelineDrivesTheSlidersToInterpolatedValues()
    {
        CommandsFixture fixture;
        AnimationWindow& window = openWindow(fixture.commands);
        addKeys(fixture.state, window, {{0, [](FractalParams&) {}}, {8, [](FractalParams& p) {
                                                                         p.phi = 2.0f;
                                                                         p.constant.x = 0.5f;
                                                                         p.iterations = 40;
                                                                     }}});
        auto& linear = *window.findChild<QComboBox*>("constant.x");
        linear.setCurrentIndex(linear.findText("linear"));
        emit linear.activated(linear.currentIndex());
        QCOMPARE(window.animation().interpolation[static_cast<std::size_t>(findParamField("constant.x")->slot)],
                 Interpolation::Linear);

        const struct {
            int frame;
            bool newRender;
        } cases[] = {{3, true}, {5, true}, {8, true}, {12, false}, {0, true}};
        for (const auto& c : cases) {
            const int requests = fixture.renderRequests;
            moveTimeline(window, c.frame);
            const FractalParams expected = paramsAtFrame(window.animation(), c.frame);
            QVERIFY(!paramsDiffer(fixture.state.record.live(), expected));
            QCOMPARE(fixture.renderRequests, requests + (c.newRender ? 1 : 0));
            for (const char* field : {"phi", "constant.x", "iterations"}) {
                const SliderRow& row = sliderRows()[sliderIndex(field)];
                const int position = std::clamp(positionFromValue(row, expected), row.minimum, row.maximum);
                QCOMPARE(fixture.slider(row.sliderId).value(), position);
                QCOMPARE(fixture.dialog.findChild<QLabel*>(QStringLiteral("label%1").arg(row.labelId))->text(),
                         QString::fromStdString(labelText(row, expected)));
            }
        }
    }

    // Each frame's preview is drawn whole before the next is shown, in order,
    // one at a time, at the film's rate or the preview's, whichever is slower.
    // With the live view open, each frame is also shown there with every
    // pixel traced before the next comes, and the view follows the
    // timeline.
    void playDrawsEveryFrameOnceInTurn_data()
    {
        QTest::addColumn<double>("fps");
        QTest::addColumn<bool>("liveView");
        QTest::newRow("as fast as the preview") << 1000.0 << false;
        QTest::newRow("at the film's rate") << 25.0 << false;
        QTest::newRow("as fast as the preview and the live view") << 1000.0 << true;
    }

    void playDrawsEveryFrameOnceInTurn()
    {
        QFETCH(double, fps);
        QFETCH(bool, liveView);
        RenderingFixture fixture;
        std::vector<FractalParams> liveViewFirstPasses;
        if (liveView) {
            fixture.commands.run(CommandId::LiveView);
            LiveViewWindow& view = *fixture.commands.liveViewWindow();
            view.resize(960, 640);
            connect(&view, &LiveViewWindow::progressShown, [&](const LiveViewProgress& progress) {
                if (progress.stage.blockSize == 1 && !progress.stage.antiAliased) {
                    liveViewFirstPasses.push_back(progress.record);
                }
            });
        }
        AnimationWindow& window = openWindow(fixture.commands);
        addKeys(fixture.state, window, {{0, [](FractalParams&) {}}, {5, [](FractalParams& p) { p.phi = 1.0f; }}});
        window.findChild<QDoubleSpinBox*>("fps")->setValue(fps);
        QVERIFY(fixture.scheduler.waitUntilIdle(std::chrono::seconds(10)));
        QCoreApplication::processEvents();
        const std::size_t before = fixture.watched.started().size();

        QElapsedTimer clock;
        clock.start();
        click(window, "play");
        auto& play = *window.findChild<QPushButton*>("play");
        QCOMPARE(play.text(), QStringLiteral("Stop"));
        // Sanitizers slow every frame down, the live view's the most.
        QTRY_COMPARE_WITH_TIMEOUT(play.text(), QStringLiteral("Play"),
                                  static_cast<int>(std::chrono::milliseconds(2 * kWatchdogPatience).count()));
        const qint64 elapsed = clock.elapsed();

        const auto started = fixture.watched.started();
        QCOMPARE(started.size() - before, std::size_t{6});
        for (int frame = 0; frame <= 5; ++frame) {
            const auto& render = started[before + static_cast<std::size_t>(frame)];
            QVERIFY(render.mode == RenderMode::Preview);
            QVERIFY2(!paramsDiffer(render.snapshot, paramsAtFrame(window.animation(), frame)),
                     qPrintable(QString::number(frame)));
        }
        QCOMPARE(fixture.watched.mostAtOnce(), 1);
        QVERIFY(elapsed >= static_cast<qint64>(5 * 1000 / fps) - 5);
        QCOMPARE(window.findChild<QSpinBox*>("timelineFrame")->value(), 5);
        if (liveView) {
            for (int frame = 0; frame <= 5; ++frame) {
                const FractalParams expected = paramsAtFrame(window.animation(), frame);
                QVERIFY2(std::any_of(liveViewFirstPasses.begin(), liveViewFirstPasses.end(),
                                     [&](const FractalParams& shown) { return !paramsDiffer(shown, expected); }),
                         qPrintable(QString::number(frame)));
            }
            moveTimeline(window, 2);
            QTRY_VERIFY_WITH_TIMEOUT(
                fixture.commands.liveViewWindow()->showsFirstPassOf(paramsAtFrame(window.animation(), 2)), 10'000);
        }
    }

    // Byte for byte what tessaform-render writes for the saved keys.
    void filmFromTheWindowMatchesTheCommandLine_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<QString>("filter");  // empty: the first offered
        QTest::addColumn<QString>("options");
        QTest::addColumn<QStringList>("files");
        QTest::newRow("images") << QStringLiteral("f_%05d.png") << ""
                                << "" << QStringList{"f_00000.png", "f_00001.png", "f_00002.png"};
        QTest::newRow("16-bit images") << QStringLiteral("f_%05d.png") << "*.png (16-bit)"
                                       << "--bit-depth 16" << QStringList{"f_00000.png", "f_00001.png", "f_00002.png"};
        QTest::newRow("OpenEXR images") << QStringLiteral("f_%05d.exr") << "*.exr"
                                        << "" << QStringList{"f_00000.exr", "f_00001.exr", "f_00002.exr"};
        QTest::newRow("film") << QStringLiteral("film.mp4") << ""
                              << "" << QStringList{"film.mp4"};
    }

    void filmFromTheWindowMatchesTheCommandLine()
    {
        QFETCH(QString, output);
        QFETCH(QString, filter);
        QFETCH(QString, options);
        QFETCH(QStringList, files);
        const ScratchFolder made, cli;
        CommandsFixture fixture;
        fixture.state.record.gradientSlot().publish(gradient_.current());
        AnimationWindow& window = openWindow(fixture.commands);
        addKeys(fixture.state, window, {{0, [](FractalParams& p) { p.distance = 2.5f; }}, {2, [](FractalParams& p) {
                                                                                               p.phi = 0.5f;
                                                                                               p.constant.y = 0.4f;
                                                                                           }}});
        fixture.dialogs.fileAnswer = cli.filePath("film.toml");
        click(window, "saveAnimation");
        QCOMPARE(fixture.dialogs.saveRequest.filters, std::vector<std::string>{"*.toml"});

        setRenderSize(fixture.dialog, 16, 12);
        fixture.dialogs.fileAnswer = made.filePath(output.toStdString());
        fixture.dialogs.filterAnswer = filter.toStdString();
        QString lastTitle;
        QAction& highQuality = *fixture.dialog.findChild<QAction*>("command40003");
        bool othersGreyedOut = true;
        renderWhile(window, [&](HighQualityWindow& shown) {
            othersGreyedOut = othersGreyedOut && !highQuality.isEnabled() &&
                              !window.findChild<QPushButton*>("renderAnimation")->isEnabled();
            lastTitle = shown.windowTitle();
            if (lastTitle.startsWith("Render")) {
                shown.close();
            }
        });
        QVERIFY(fixture.dialogs.messages.empty());
        QCOMPARE(fixture.dialogs.saveRequest.filters,
                 (std::vector<std::string>{"*.png", "*.png (16-bit)", "*.tga", "*.exr", "*.mp4", "*.mkv", "*.webm"}));
        QCOMPARE(fixture.dialogs.saveRequest.initialName, std::string("julia_%05d.png"));
        QCOMPARE(lastTitle, QString(kRenderSavedTitle));
        QVERIFY(othersGreyedOut && highQuality.isEnabled());
        // The slot is free again, for the preview waiting meanwhile.
        QVERIFY(fixture.scheduler.waitUntilIdle(std::chrono::seconds(10)));

        const QString toml = QString::fromStdString(cli.filePath("film.toml"));
        QCOMPARE(runRenderTool(QString("--animation '%1' -W 16 -H 12 %2 -o '%3'")
                                   .arg(toml, options, QString::fromStdString(cli.filePath(output.toStdString())))),
                 0);
        for (const QString& file : files) {
            const std::string bytes = fileBytes(made.filePath(file.toStdString()));
            QVERIFY2(!bytes.empty(), qPrintable(file));
            QVERIFY2(bytes == fileBytes(cli.filePath(file.toStdString())), qPrintable(file));
        }
        QCOMPARE(filesIn(made).size(), static_cast<std::size_t>(files.size()));
    }

    // Stopped while its third frame renders: the frames before stay, whole,
    // and a film holds them; the frame in progress is in no file. A window
    // left open by a key says so.
    void closingMidFilmKeepsTheFinishedFrames_data()
    {
        QTest::addColumn<QString>("output");
        QTest::addColumn<bool>("closeIt");
        QTest::newRow("images, close box") << QStringLiteral("f_%d.png") << true;
        QTest::newRow("film, key") << QStringLiteral("film.webm") << false;
    }

    void closingMidFilmKeepsTheFinishedFrames()
    {
        QFETCH(QString, output);
        QFETCH(bool, closeIt);
        const ScratchFolder folder;
        CommandsFixture fixture;
        AnimationWindow& window = openWindow(fixture.commands);
        addKeys(fixture.state, window, {{0, [](FractalParams&) {}}, {5, [](FractalParams& p) { p.phi = 1.0f; }}});
        setRenderSize(fixture.dialog, 320, 240);
        fixture.dialogs.fileAnswer = folder.filePath(output.toStdString());
        // A later frame, or the end, stops it too, should the third pass unseen.
        bool stopped = false;
        renderWhile(window, [&](HighQualityWindow& shown) {
            const QString title = shown.windowTitle();
            if (stopped || !((title.startsWith("Frame ") && title.section(' ', 1, 1).toInt() >= 3) ||
                             title.startsWith("Render"))) {
                return;
            }
            stopped = true;
            closeIt ? (void)shown.close() : QTest::keyClick(&shown, Qt::Key_Space);
        });
        QVERIFY(fixture.scheduler.waitUntilIdle(std::chrono::seconds(10)));

        int written = 0;
        if (output.endsWith(".webm")) {
            QCOMPARE(filesIn(folder), std::set<std::string>{"film.webm"});
            written = static_cast<int>(decodeFilm(folder.filePath("film.webm")).frames.size());
        } else {
            for (const std::string& name : filesIn(folder)) {
                const std::string frame = "f_" + std::to_string(written) + ".png";
                QCOMPARE(name, frame);
                const Result<ImageParams> image = readImageParams(folder.filePath(frame));
                QVERIFY2(image.ok(), image.error().c_str());
                QVERIFY(!paramsDiffer(image->params, paramsAtFrame(window.animation(), written)));
                ++written;
            }
        }
        QVERIFY2(written >= 2 && written < 6, qPrintable(QString::number(written)));
        if (!closeIt) {
            QTRY_COMPARE(visibleHighQualityWindow()->windowTitle(),
                         QString("Render stopped - %1 of 6 frames written").arg(written));
        }
    }

    // Wholly on the screen, and placed anew when the settings window has
    // moved onto its old place.
    void windowOpensOnTheScreenBesideTheSettings()
    {
        CommandsFixture fixture;
        const QRect available = fixture.dialog.screen()->availableGeometry();
        fixture.dialog.show();
        fixture.dialog.move(available.right() - fixture.dialog.frameGeometry().width() / 2, available.top());
        AnimationWindow& window = openWindow(fixture.commands);
        QVERIFY(available.contains(window.frameGeometry()));

        window.close();
        const QRect oldPlace = window.frameGeometry();
        fixture.dialog.move(oldPlace.topLeft());
        openWindow(fixture.commands);
        QVERIFY(available.contains(window.frameGeometry()));
        QVERIFY(window.frameGeometry() != oldPlace);
    }

    // Five moving fields show without scrolling, a single key leaves the
    // timeline nothing to run over, and the buttons keep off the bottom edge.
    void partsShowWhatTheyHold()
    {
        const ScratchFolder folder;
        writeFileBytes(folder.filePath("five.toml"),
                       "[[key]]\nframe = 0\n[[key]]\nframe = 30\nphi = 5.2\nconstant.x = -0.31\n"
                       "[[key]]\nframe = 60\ntheta = 0.23\nconstant.y = 0.56\npower = 3\n");
        CommandsFixture fixture;
        AnimationWindow& window = openWindow(fixture.commands);
        window.loadAnimationFrom(folder.filePath("five.toml"));
        auto& interpolation = *window.findChild<QTableWidget*>("interpolation");
        QCOMPARE(interpolation.rowCount(), 5);
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(interpolation.verticalScrollBar()->maximum(), 0);

        const QWidget& buttons = *window.findChild<QPushButton*>("renderAnimation")->parentWidget();
        QVERIFY(window.height() - buttons.geometry().bottom() > buttons.geometry().left() + 1);

        auto& slider = *window.findChild<QSlider*>("timelineSlider");
        QVERIFY(slider.isEnabled());
        for (int key = 0; key < 2; ++key) {
            selectKey(window, 0);
            click(window, "deleteKey");
        }
        QVERIFY(!slider.isEnabled());
    }

    // Told before the file is asked for, or before anything renders.
    void unusableSizesAndNamesAreRefusedFirst()
    {
        const ScratchFolder folder;
        CommandsFixture fixture;
        AnimationWindow& window = openWindow(fixture.commands);
        setRenderSize(fixture.dialog, 16, 12);
        window.renderAnimation();
        QCOMPARE(fixture.dialogs.messages, std::vector<std::string>{"An animation needs a key; add one first"});
        QCOMPARE(fixture.dialogs.saveRequests, 0);

        addKeys(fixture.state, window, {{0, [](FractalParams&) {}}, {2, [](FractalParams& p) { p.phi = 1.0f; }}});
        const struct {
            int width;
            std::string output;
            std::string message;
        } cases[] = {
            {0, "", "Cannot render 0 x 12: width and height must be 1 to 65535"},
            {16, "one.png", "one.png names one file for 3 frames; put a frame number in it, such as julia_%05d.png"},
            {16, "f_%d_%d.png", "f_%d_%d.png: a frame number is written %d or %05d, once; %% stands for %"},
            {16, folder.filePath("missing/f_%d.tga"), "Could not create " + folder.filePath("missing/f_0.tga")},
        };
        for (const auto& c : cases) {
            setRenderSize(fixture.dialog, c.width, 12);
            fixture.dialogs.fileAnswer = c.output;
            fixture.dialogs.messages.clear();
            const int asked = fixture.dialogs.saveRequests;
            window.renderAnimation();
            QCOMPARE(fixture.dialogs.saveRequests - asked, c.output.empty() ? 0 : 1);
            QCOMPARE(fixture.dialogs.messages.size(), std::size_t{1});
            QVERIFY2(fixture.dialogs.messages[0].starts_with(c.message), fixture.dialogs.messages[0].c_str());
            QCOMPARE(visibleHighQualityWindow(), nullptr);
            QVERIFY(!RenderSchedulerProbe(fixture.scheduler).renderBusy());
        }
        QVERIFY(filesIn(folder).empty());
    }

    // A load is an undo step and shows the first key; a dropped keyframe
    // file opens the window with it.
    void savedKeysLoadBackByDialogAndByDrop()
    {
        const ScratchFolder folder;
        const std::string path = folder.filePath("keys.toml");
        Animation saved;
        {
            CommandsFixture fixture;
            AnimationWindow& window = openWindow(fixture.commands);
            addKeys(fixture.state, window,
                    {{4, [](FractalParams& p) { p.constant.w = -0.0f; }}, {9, [](FractalParams& p) { p.power = 3; }}});
            window.findChild<QDoubleSpinBox*>("fps")->setValue(12.5);
            fixture.dialogs.fileAnswer = path;
            click(window, "saveAnimation");
            saved = window.animation();
            QCOMPARE(fileBytes(path), keyframeFileText(saved));
        }
        CommandsFixture fixture;
        fixture.dialogs.fileAnswer = path;
        AnimationWindow& window = openWindow(fixture.commands);
        click(window, "loadAnimation");
        QCOMPARE(fixture.dialogs.openRequest.filters, std::vector<std::string>{"*.toml"});
        QVERIFY(sameKeys(window.animation(), saved));
        QVERIFY(!paramsDiffer(fixture.state.record.live(), saved.keys[0].params));
        window.undo();
        QVERIFY(window.animation().keys.empty());

        CommandsFixture dropped;
        dropped.commands.openDroppedFile(path);
        QVERIFY(dropped.commands.animationWindow()->isVisible());
        QVERIFY(sameKeys(dropped.commands.animationWindow()->animation(), saved));
    }

private:
    GradientSlot gradient_;
};

TESSAFORM_UI_TEST(AnimationWindowTest);

}  // namespace tessaform

#include "AnimationWindowTest.moc"
