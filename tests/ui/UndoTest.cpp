#include <QLineEdit>
#include <QTest>
#include <algorithm>
#include <functional>
#include <vector>

#include "jobs/ExecutableDirectory.h"
#include "support/CommandsFixture.h"
#include "ui/PreviewPanel.h"
#include "ui/SliderTable.h"
#include "ui/UiTestRegistry.h"

namespace tessaform {
namespace {

// Halfway, the pointer may rest for longer than a burst lasts.
void dragWith(QWidget& widget, Qt::MouseButton button, QPoint from, QPoint to, int restMilliseconds = 0)
{
    QTest::mousePress(&widget, button, Qt::NoModifier, from);
    QTest::mouseMove(&widget, (from + to) / 2);
    QTest::qWait(restMilliseconds);
    QTest::mouseMove(&widget, to);
    QTest::mouseRelease(&widget, button, Qt::NoModifier, to);
}

// Every slider shows the live record, as after a load.
bool slidersShowTheRecord(CommandsFixture& fixture)
{
    return std::ranges::all_of(sliderRows(), [&](const SliderRow& row) {
        const int position = std::clamp(positionFromValue(row, fixture.state.record.live()), row.minimum, row.maximum);
        return fixture.slider(row.sliderId).value() == position;
    });
}

}  // namespace

class UndoTest : public QObject {
    Q_OBJECT

private slots:
    // Each change below is one step, whatever number of events it takes.
    void undoAndRedoRestoreEveryStepExactly()
    {
        CommandsFixture fixture;
        fixture.dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&fixture.dialog));
        QWidget& panel = *fixture.dialog.previewPanel();
        const std::function<void()> changes[] = {
            [&] {
                for (int press = 0; press < 3; ++press) {
                    QTest::keyClick(&fixture.slider(1010), Qt::Key_Right);
                }
            },
            [&] { fixture.commands.run(CommandId::ResetParameters); },
            [&] { fixture.commands.run(CommandId::RandomParameters); },
            [&] {
                fixture.dialogs.colourAnswer = 0x102030;
                fixture.commands.run(CommandId::BackgroundColour);
            },
            [&] {
                dragWith(panel, Qt::LeftButton, {50, 50}, {80, 30});
            },
            // The middle button sets the slider where it is pressed, then drags,
            // resting for longer than a burst lasts.
            [&] {
                dragWith(fixture.slider(1029), Qt::MiddleButton, {10, 5}, {40, 5}, 1100);
            },
            [&] {
                fixture.dialogs.fileAnswer = defaultGradientPath();
                fixture.commands.run(CommandId::LoadGradient);
            },
        };
        std::vector<EditState> states{fixture.state.record.editState()};
        for (const auto& change : changes) {
            change();
            states.push_back(fixture.state.record.editState());
            QVERIFY(!sameEditState(states[states.size() - 2], states.back()));
        }

        // Typed sizes are no part of the history.
        QLineEdit& width = *fixture.dialog.findChild<QLineEdit*>("field1032");
        width.setText("640");
        for (std::size_t step = states.size() - 1; step > 0; --step) {
            const int requests = fixture.renderRequests;
            QTest::keyClick(&fixture.dialog, Qt::Key_Z, Qt::ControlModifier);
            QVERIFY2(sameEditState(states[step - 1], fixture.state.record.editState()),
                     qPrintable(QString::number(step)));
            QCOMPARE(fixture.renderRequests, requests + 1);
            QVERIFY(slidersShowTheRecord(fixture));
        }
        QTest::keyClick(&fixture.dialog, Qt::Key_Z, Qt::ControlModifier);
        QVERIFY(sameEditState(states.front(), fixture.state.record.editState()));
        QCOMPARE(width.text(), QStringLiteral("640"));

        for (std::size_t step = 1; step < states.size(); ++step) {
            const bool shifted = step % 2 == 0;
            QTest::keyClick(&fixture.dialog, shifted ? Qt::Key_Z : Qt::Key_Y,
                            shifted ? Qt::ControlModifier | Qt::ShiftModifier : Qt::ControlModifier);
            QVERIFY2(sameEditState(states[step], fixture.state.record.editState()), qPrintable(QString::number(step)));
        }
        const int requests = fixture.renderRequests;
        fixture.dialog.redo();
        QVERIFY(sameEditState(states.back(), fixture.state.record.editState()));
        QCOMPARE(fixture.renderRequests, requests);
    }

    // A key right after an undo is a new change, even on the same slider, and
    // ends the way forward; a cancelled dialog changes nothing and keeps it.
    void redoIsGoneAfterANewChange()
    {
        CommandsFixture fixture;
        QSlider& iterations = fixture.slider(1042);
        QTest::keyClick(&iterations, Qt::Key_Right);
        fixture.dialog.undo();
        QTest::keyClick(&iterations, Qt::Key_Left);
        const int requests = fixture.renderRequests;
        fixture.dialog.redo();
        QCOMPARE(fixture.state.record.live().iterations, 15);
        QCOMPARE(fixture.renderRequests, requests);

        fixture.dialog.undo();
        QCOMPARE(fixture.state.record.live().iterations, 16);
        QCOMPARE(iterations.value(), 16);
        fixture.commands.run(CommandId::BackgroundColour);
        fixture.dialog.redo();
        QCOMPARE(fixture.state.record.live().iterations, 15);
    }
};

TESSAFORM_UI_TEST(UndoTest);

}  // namespace tessaform

#include "UndoTest.moc"
