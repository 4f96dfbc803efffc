#include <QTest>

#include "ui/UiTestRegistry.h"
#include "ui/WindowPlacement.h"

namespace tessaform {

// On a 1600 x 1000 screen, a 420 x 540 frame beside the settings window.
class WindowPlacementTest : public QObject {
    Q_OBJECT

private slots:
    void staysWhollyOnTheFreeArea_data()
    {
        QTest::addColumn<QRect>("anchor");
        QTest::addColumn<QSize>("frame");
        QTest::addColumn<QRect>("available");
        QTest::addColumn<QRect>("placed");
        const QRect screen(0, 0, 1600, 1000);
        const QSize frame(420, 540);
        QTest::newRow("room on the right") << QRect(100, 50, 611, 540) << frame << screen << QRect(719, 50, 420, 540);
        QTest::newRow("no room on the right")
            << QRect(940, 50, 611, 540) << frame << screen << QRect(512, 50, 420, 540);
        QTest::newRow("anchor reaching off the right")
            << QRect(1400, 50, 611, 540) << frame << screen << QRect(972, 50, 420, 540);
        QTest::newRow("room on neither side, more on the left")
            << QRect(400, 50, 1000, 540) << frame << screen << QRect(0, 50, 420, 540);
        QTest::newRow("room on neither side, more on the right")
            << QRect(100, 50, 1200, 540) << frame << screen << QRect(1180, 50, 420, 540);
        QTest::newRow("anchor low on the screen")
            << QRect(100, 900, 611, 540) << frame << screen << QRect(719, 460, 420, 540);
        QTest::newRow("frame taller than the screen")
            << QRect(100, 50, 611, 540) << QSize(420, 1200) << screen << QRect(719, 0, 420, 1000);
        QTest::newRow("panel along the top")
            << QRect(100, 0, 611, 540) << frame << QRect(0, 30, 1600, 970) << QRect(719, 30, 420, 540);
    }

    void staysWhollyOnTheFreeArea()
    {
        QFETCH(QRect, anchor);
        QFETCH(QSize, frame);
        QFETCH(QRect, available);
        QFETCH(QRect, placed);
        QCOMPARE(placedBeside(anchor, frame, available, 8), placed);
    }
};

TESSAFORM_UI_TEST(WindowPlacementTest);

}  // namespace tessaform

#include "WindowPlacementTest.moc"
