#include <QLabel>
#include <QSlider>
#include <QTest>

#include "support/CommandsFixture.h"
#include "ui/LooksPanel.h"
#include "ui/UiTestRegistry.h"

namespace tessaform {

class LooksPanelTest : public QObject {
    Q_OBJECT

private slots:
    // Its own window, opened once from the menu and raised after; the
    // labels read the record.
    void opensAsAWindowOfItsOwnShowingTheRecord()
    {
        CommandsFixture fixture;
        fixture.commands.run(CommandId::Looks);
        LooksPanel* panel = fixture.commands.looksPanel();
        QVERIFY(panel != nullptr);
        QVERIFY(panel->isWindow());
        QVERIFY(panel->isVisible());
        fixture.commands.run(CommandId::Looks);
        QCOMPARE(fixture.commands.looksPanel(), panel);
        QCOMPARE(panel->label("shadow")->text(), QStringLiteral("Shadow: 0.00"));
        QCOMPARE(panel->label("occlusionRadius")->text(), QStringLiteral("Occlusion radius: 0.10"));
        QCOMPARE(panel->slider("occlusionRadius")->value(), 10);
    }

    // A run of keys on one slider is one step; undo and redo, from either
    // window, and a reset move the panel's sliders with the record.
    void slidersAreStepsOfTheHistoryAndFollowTheRecord()
    {
        CommandsFixture fixture;
        fixture.commands.run(CommandId::Looks);
        LooksPanel& panel = *fixture.commands.looksPanel();
        // Shortcuts reach the active window only.
        QVERIFY(QTest::qWaitForWindowActive(&panel));
        QSlider& shadow = *panel.slider("shadow");
        QSlider& fog = *panel.slider("fog");
        const int requests = fixture.renderRequests;
        for (int press = 0; press < 3; ++press) {
            QTest::keyClick(&shadow, Qt::Key_Right);
        }
        QCOMPARE(fixture.state.record.live().shadow, 3 * 0.01f);
        QCOMPARE(panel.label("shadow")->text(), QStringLiteral("Shadow: 0.03"));
        QCOMPARE(fixture.renderRequests, requests + 3);
        QTest::keyClick(&fog, Qt::Key_PageUp);
        QCOMPARE(panel.label("fog")->text(), QStringLiteral("Fog: 0.10"));

        QTest::keyClick(&panel, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(fixture.state.record.live().fog, 0.0f);
        QCOMPARE(fog.value(), 0);
        fixture.dialog.undo();
        QCOMPARE(fixture.state.record.live().shadow, 0.0f);
        QCOMPARE(shadow.value(), 0);
        QCOMPARE(panel.label("shadow")->text(), QStringLiteral("Shadow: 0.00"));
        QTest::keyClick(&panel, Qt::Key_Y, Qt::ControlModifier);
        QCOMPARE(fixture.state.record.live().shadow, 3 * 0.01f);
        QCOMPARE(shadow.value(), 3);

        fixture.commands.run(CommandId::ResetParameters);
        QCOMPARE(shadow.value(), 0);
        QCOMPARE(fixture.state.record.live().shadow, 0.0f);
    }
};

TESSAFORM_UI_TEST(LooksPanelTest);

}  // namespace tessaform

#include "LooksPanelTest.moc"
