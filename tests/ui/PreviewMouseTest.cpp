#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QWheelEvent>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "support/CommandsFixture.h"
#include "ui/PreviewPanel.h"
#include "ui/SliderTable.h"
#include "ui/UiTestRegistry.h"

namespace tessaform {
namespace {

// A drag by the pointer moves, or with no button a run of wheel turns by
// the y deltas (120 to a notch), and the slider positions it should leave.
struct Gesture {
    const char* name;
    Qt::MouseButton button;
    Qt::KeyboardModifiers modifiers;
    std::vector<QPoint> moves;
    std::map<std::string_view, int> positions;
    int renderRequests;
    std::optional<float> startPhi{};
};

// From the defaults: phi 341, theta 0, distance 40, shifts -15 and 0.
const std::vector<Gesture> kGestures{
    {"left drag turns", Qt::LeftButton, Qt::NoModifier, {{6, 4}, {6, 4}}, {{"phi", 329}, {"theta", 8}}, 2},
    {"left drag goes round", Qt::LeftButton, Qt::NoModifier, {{-20, -3}}, {{"phi", 1}, {"theta", 357}}, 1},
    // 418 degrees, as a key stored past a whole turn: the slider stands at
    // its end, but the view turns on from 418.
    {"left drag beyond a turn goes on", Qt::LeftButton, Qt::NoModifier, {{1, 0}}, {{"phi", 57}}, 1, 7.3f},
    {"right drag shifts",
     Qt::RightButton,
     Qt::NoModifier,
     {{10, -20}},
     {{"lateralShift", -25}, {"verticalShift", -20}},
     1},
    {"shift and left drag shifts, to the ends",
     Qt::LeftButton,
     Qt::ShiftModifier,
     {{-200, 150}, {-5, 5}},
     {{"lateralShift", 100}, {"verticalShift", 100}},
     1},
    {"middle drag does nothing", Qt::MiddleButton, Qt::NoModifier, {{30, 30}}, {}, 0},
    {"wheel away comes nearer", Qt::NoButton, Qt::NoModifier, {{0, 120}, {0, 240}}, {{"distance", 37}}, 2},
    {"wheel stops at the nearest", Qt::NoButton, Qt::NoModifier, {{0, 3600}, {0, 120}}, {{"distance", 21}}, 1},
    {"half notches add up", Qt::NoButton, Qt::NoModifier, {{0, 60}, {0, 60}, {0, -120}}, {{"distance", 40}}, 2},
};

void turnWheel(QWidget& widget, QPoint delta)
{
    const QPointF at = widget.rect().center();
    QWheelEvent wheel(at, widget.mapToGlobal(at), QPoint(), delta, Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase,
                      false);
    QApplication::sendEvent(&widget, &wheel);
}

void perform(QWidget& panel, const Gesture& gesture)
{
    QPoint at = panel.rect().center();
    if (gesture.button != Qt::NoButton) {
        QTest::mousePress(&panel, gesture.button, gesture.modifiers, at);
    }
    for (const QPoint& move : gesture.moves) {
        if (gesture.button == Qt::NoButton) {
            turnWheel(panel, move);
        } else {
            at += move;
            QTest::mouseMove(&panel, at);
        }
    }
    if (gesture.button != Qt::NoButton) {
        QTest::mouseRelease(&panel, gesture.button, gesture.modifiers, at);
    }
}

const SliderRow& rowOf(std::string_view field)
{
    return sliderRows()[sliderIndex(field)];
}

}  // namespace

class PreviewMouseTest : public QObject {
    Q_OBJECT

private slots:
    // The record changes in the gesture's fields alone, through their
    // sliders, with one render per change of its bits and one undo step.
    void gesturesMoveOnlyTheirSliders()
    {
        for (const Gesture& gesture : kGestures) {
            CommandsFixture fixture;
            if (gesture.startPhi) {
                fixture.state.record.shared().editLive(
                    [&gesture](FractalParams& params) { params.phi = *gesture.startPhi; });
                fixture.dialog.syncControls();
            }
            const FractalParams start = fixture.state.record.live();
            perform(*fixture.dialog.previewPanel(), gesture);

            const FractalParams& live = fixture.state.record.live();
            FractalParams expected = start;
            for (const auto& [field, position] : gesture.positions) {
                const SliderRow& row = rowOf(field);
                storePosition(row, position, expected);
                QCOMPARE(fixture.slider(row.sliderId).value(), position);
                const auto* label = fixture.dialog.findChild<QLabel*>(QStringLiteral("label%1").arg(row.labelId));
                QCOMPARE(label->text().toStdString(), labelText(row, live));
            }
            QVERIFY2(!paramsDiffer(expected, live), gesture.name);
            QVERIFY2(fixture.renderRequests == gesture.renderRequests, gesture.name);

            fixture.dialog.undo();
            QVERIFY2(!paramsDiffer(start, fixture.state.record.live()), gesture.name);
        }
    }
};

TESSAFORM_UI_TEST(PreviewMouseTest);

}  // namespace tessaform

#include "PreviewMouseTest.moc"
