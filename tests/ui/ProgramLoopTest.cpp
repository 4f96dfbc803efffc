#include <qpa/qwindowsysteminterface.h>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <QTimer>

#include "io/ImageOutput.h"
#include "jobs/ImageMetadata.h"
#include "jobs/ParamFileIo.h"
#include "session/FrameRenderer.h"
#include "session/RenderTitles.h"
#include "support/FileBytes.h"
#include "support/ScratchFolder.h"
#include "support/ScriptedDialogs.h"
#include "support/VisibleHighQualityWindow.h"
#include "support/Watchdog.h"
#include "ui/AnimationWindow.h"
#include "ui/CommandIds.h"
#include "ui/HighQualityWindow.h"
#include "ui/LiveViewWindow.h"
#include "ui/Program.h"
#include "ui/SettingsDialog.h"
#include "ui/StartupArguments.h"
#include "ui/UiTestRegistry.h"

namespace tessaform {
namespace {

// Delivered as the window system delivers them, so that a window blocked by
// a modal one never sees them.
void requestClose(QWidget& window)
{
    QWindowSystemInterface::handleCloseEvent<QWindowSystemInterface::SynchronousDelivery>(window.windowHandle());
}

void pressKey(QWidget& window, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(window.windowHandle(), key, modifiers);
}

template <typename Window>
Window* topLevelWindow()
{
    for (QWidget* widget : QApplication::topLevelWidgets()) {
        if (auto* window = qobject_cast<Window*>(widget)) {
            return window;
        }
    }
    return nullptr;
}

}  // namespace

// Runs the whole program, its settings dialog inside the loop it runs in,
// and reaches its windows only through the window system.
class ProgramLoopTest : public QObject {
    Q_OBJECT

private slots:
    void highQualityWindowEndsOnCloseOrKey_data()
    {
        QTest::addColumn<bool>("waitForSave");
        QTest::addColumn<bool>("closeIt");
        QTest::newRow("close box during the first pass") << false << true;
        QTest::newRow("key during the first pass") << false << false;
        QTest::newRow("close box after saving") << true << true;
        QTest::newRow("key after saving") << true << false;
    }

    void highQualityWindowEndsOnCloseOrKey()
    {
        QFETCH(bool, waitForSave);
        QFETCH(bool, closeIt);
        const ScratchFolder folder;
        const QString output = QString::fromStdString(folder.filePath("out.tga"));
        ScriptedDialogs* dialogs = nullptr;
        Program program([&dialogs](QWidget*) {
            auto scripted = std::make_unique<ScriptedDialogs>();
            dialogs = scripted.get();
            return scripted;
        });
        dialogs->fileAnswer = output.toStdString();
        SettingsDialog& dialog = program.dialog();
        dialog.findChild<QLineEdit*>("field1032")->setText(waitForSave ? "64" : "3000");
        dialog.findChild<QLineEdit*>("field1049")->setText(waitForSave ? "48" : "2000");
        auto* phiSlider = dialog.findChild<QSlider*>("trackbar1004");
        QAction* highQuality = dialog.findChild<QAction*>("command40003");

        bool requested = false;
        float phiDuringRender = 0.0f;
        QTimer poll;
        connect(&poll, &QTimer::timeout, [&] {
            HighQualityWindow* window = visibleHighQualityWindow();
            if (requested || window == nullptr ||
                !window->windowTitle().startsWith(waitForSave ? kRenderSavedTitle : "First pass")) {
                return;
            }
            // The settings dialog answers while the window is open.
            phiSlider->setFocus();
            pressKey(dialog, Qt::Key_Left);
            phiDuringRender = program.state().record.live().phi;
            requested = true;
            closeIt ? requestClose(*window) : pressKey(*window, Qt::Key_Space);
        });

        bool enabledAfterwards = false;
        bool windowStayed = false;
        QTimer::singleShot(0, [&] {
            poll.start(1);
            highQuality->trigger();
            poll.stop();
            enabledAfterwards = highQuality->isEnabled();
            if (HighQualityWindow* left = visibleHighQualityWindow()) {
                windowStayed = true;
                requestClose(*left);
            }
            requestClose(dialog);
        });
        // Should the render never end, closing its window fails the test
        // before the watchdog gives up on the loop.
        QTimer failSafe;
        failSafe.setSingleShot(true);
        connect(&failSafe, &QTimer::timeout, [] {
            if (HighQualityWindow* window = visibleHighQualityWindow()) {
                window->close();
            }
        });
        failSafe.start(std::chrono::milliseconds(kWatchdogPatience) / 2);

        QCOMPARE(underWatchdog("the program's loop to end", [&program] { return program.run(); }),
                 idNumber(CommandId::Cancel));
        QVERIFY(requested);
        QVERIFY(failSafe.isActive());
        QCOMPARE(QFile::exists(output), waitForSave);
        QCOMPARE(windowStayed, !closeIt);
        QVERIFY(enabledAfterwards);
        QVERIFY(phiDuringRender != 5.969026f);
        QCOMPARE(visibleHighQualityWindow(), nullptr);
    }

    // The animation window takes keys while the settings dialog runs its
    // loop; its Ctrl+Z undoes its own edits and leaves the record alone.
    void animationWindowAnswersBesideTheSettingsLoop()
    {
        Program program([](QWidget*) { return std::make_unique<ScriptedDialogs>(); });
        SettingsDialog& dialog = program.dialog();
        std::vector<std::size_t> keyCounts;
        float phiAfterUndo = 0.0f;
        QTimer::singleShot(0, [&] {
            dialog.findChild<QAction*>("command40010")->trigger();
            auto* window = topLevelWindow<AnimationWindow>();
            QVERIFY(window != nullptr && QTest::qWaitForWindowActive(window));
            window->findChild<QPushButton*>("addKey")->setFocus();
            pressKey(*window, Qt::Key_Space);
            keyCounts.push_back(window->animation().keys.size());
            program.state().record.shared().editLive([](FractalParams& params) { params.phi = 1.0f; });
            pressKey(*window, Qt::Key_Z, Qt::ControlModifier);
            keyCounts.push_back(window->animation().keys.size());
            phiAfterUndo = program.state().record.live().phi;
            requestClose(*window);
            requestClose(dialog);
        });
        QCOMPARE(underWatchdog("the program's loop to end", [&program] { return program.run(); }),
                 idNumber(CommandId::Cancel));
        QCOMPARE(keyCounts, (std::vector<std::size_t>{1, 0}));
        QCOMPARE(phiAfterUndo, 1.0f);
    }

    // Ctrl+L opens the live view beside the settings loop. Escape there
    // leaves full screen and nothing more; closing it stops its drawing
    // and leaves the program running; opened again, it draws again.
    void liveViewAnswersBesideTheSettingsLoop()
    {
        Program program([](QWidget*) { return std::make_unique<ScriptedDialogs>(); });
        SettingsDialog& dialog = program.dialog();
        std::vector<bool> seen;
        QTimer::singleShot(0, [&] {
            QVERIFY(QTest::qWaitForWindowActive(&dialog));
            pressKey(dialog, Qt::Key_L, Qt::ControlModifier);
            auto* view = topLevelWindow<LiveViewWindow>();
            QVERIFY(view != nullptr && QTest::qWaitForWindowActive(view));
            seen.push_back(view->windowTitle() == "Tessaform - Live view");
            pressKey(*view, Qt::Key_F11);
            seen.push_back(view->isFullScreen());
            pressKey(*view, Qt::Key_Escape);
            pressKey(*view, Qt::Key_Escape);
            QCoreApplication::processEvents();
            seen.push_back(view->isVisible() && !view->isFullScreen());
            requestClose(*view);
            seen.push_back(view->isVisible() || view->drawing());
            program.state().record.setFields({"phi"}, [](FractalParams& params) { params.phi = 1.0f; });
            dialog.findChild<QAction*>("command40011")->trigger();
            seen.push_back(QTest::qWaitFor([&] { return view->showsFirstPassOf(program.state().record.live()); },
                                           kWatchdogPatience.count() * 1000));
            requestClose(*view);
            requestClose(dialog);
        });
        QCOMPARE(underWatchdog("the program's loop to end", [&program] { return program.run(); }),
                 idNumber(CommandId::Cancel));
        QCOMPARE(seen, (std::vector<bool>{true, true, true, false, true}));
    }

    void fileGivenAtStartOpensOrIsRefused_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<int>("keys");  // -1: no animation window
        QTest::addColumn<bool>("refused");
        QTest::newRow("parameter file") << "set.j4d" << -1 << false;
        QTest::newRow("PNG saved by Tessaform") << "own.png" << -1 << false;
        QTest::newRow("keyframe file") << "film.toml" << 2 << false;
        QTest::newRow("any other image") << "plain.png" << -1 << true;
        QTest::newRow("not an image") << "notes.txt" << -1 << true;
    }

    void fileGivenAtStartOpensOrIsRefused()
    {
        QFETCH(QString, file);
        QFETCH(int, keys);
        QFETCH(bool, refused);
        const ScratchFolder folder;
        FractalParams saved = defaultParams();
        saved.phi = 1.5f;
        QVERIFY(writeParamsFile(folder.filePath("set.j4d"), saved).ok());
        const std::uint32_t pixel = 0x00102030u;
        const std::vector<std::uint8_t> rgb{9, 8, 7};
        QVERIFY(
            writeImageFile(folder.filePath("own.png"), &pixel, 1, 1, imageMetadata(saved, gradientFromRgbBytes(rgb)))
                .ok());
        QVERIFY(writeImageFile(folder.filePath("plain.png"), &pixel, 1, 1).ok());
        writeFileBytes(folder.filePath("film.toml"), "[[key]]\nframe = 0\nphi = 1.5\n[[key]]\nframe = 9\nphi = 2\n");
        writeFileBytes(folder.filePath("notes.txt"), "notes");

        ScriptedDialogs* dialogs = nullptr;
        Program program([&dialogs](QWidget*) {
            auto scripted = std::make_unique<ScriptedDialogs>();
            dialogs = scripted.get();
            return scripted;
        });
        float phi = 0.0f;
        bool dialogShown = false;
        // Twice queued: after the program's own queued opening.
        QTimer::singleShot(0, [&] {
            QTimer::singleShot(0, [&] {
                phi = program.state().record.live().phi;
                dialogShown = program.dialog().isVisible();
                if (auto* window = topLevelWindow<AnimationWindow>()) {
                    QCOMPARE(static_cast<int>(window->animation().keys.size()), keys);
                    requestClose(*window);
                } else {
                    QCOMPARE(keys, -1);
                }
                requestClose(program.dialog());
            });
        });
        QCOMPARE(underWatchdog("the program's loop to end",
                               [&] { return program.run(folder.filePath(file.toStdString())); }),
                 idNumber(CommandId::Cancel));
        QVERIFY(dialogShown);
        QCOMPARE(phi, refused ? defaultParams().phi : 1.5f);
        QCOMPARE(dialogs->messages.size(), refused ? 1u : 0u);
        if (refused) {
            QVERIFY(dialogs->messages[0].starts_with("Tessaform opens parameter files"));
            QVERIFY(dialogs->messages[0].ends_with(file.toStdString()));
            QCOMPARE(program.state().record.gradient()->count(), 256);  // still the default gradient
        }
    }

    void commandLineTakesOneFileAndTheProgramsOwnOptions()
    {
        using Arguments = std::vector<std::string>;
        QCOMPARE(*startupFile({}), std::optional<std::string>());
        QCOMPARE(*startupFile({"a.j4d"}), std::optional<std::string>("a.j4d"));
        QCOMPARE(*startupFile({"--", "-odd.j4d"}), std::optional<std::string>("-odd.j4d"));
        for (const Arguments& refused : {Arguments{"-x"}, Arguments{"--set"}, Arguments{"a.j4d", "b.j4d"}}) {
            QVERIFY(!startupFile(refused));
        }
        QVERIFY(startupTextToPrint({"a.j4d", "--help"})->starts_with("Usage: tessaform [OPTION] [FILE]"));
        QVERIFY(startupTextToPrint({"--version"})->starts_with("tessaform (Tessaform "));
        QVERIFY(!startupTextToPrint({"--", "--help"}));
        QVERIFY(!startupTextToPrint({"film.toml"}));
    }
};

TESSAFORM_UI_TEST(ProgramLoopTest);

}  // namespace tessaform

#include "ProgramLoopTest.moc"
