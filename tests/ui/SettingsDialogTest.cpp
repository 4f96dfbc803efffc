#include <QAction>
#include <QApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QSlider>
#include <QTest>
#include <algorithm>
#include <climits>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "jobs/ProgramTitle.h"
#include "params/ParamFields.h"
#include "session/SharedFrame.h"
#include "ui/DialogUnits.h"
#include "ui/PreviewPanel.h"
#include "ui/SettingsDialog.h"
#include "ui/SliderTable.h"
#include "ui/UiTestRegistry.h"

namespace tessaform {
namespace {

struct DialogFixture {
    ProgramState state;
    int renderRequests = 0;
    std::vector<int> commands;
    SettingsDialog dialog{state, [this] { ++renderRequests; }};

    DialogFixture()
    {
        dialog.setCommandHandler([this](CommandId commandId) { commands.push_back(idNumber(commandId)); });
        dialog.initialize();
    }

    template <typename Widget>
    Widget& child(const char* prefix, int id)
    {
        const QString name = QString::fromLatin1(prefix) + QString::number(id);
        auto* widget = dialog.findChild<Widget*>(name);
        if (widget == nullptr) {
            qFatal("no child %s", qPrintable(name));
        }
        return *widget;
    }

    QSlider& slider(int id) { return child<QSlider>("trackbar", id); }
    QString label(int id) { return child<QLabel>("label", id).text(); }
    QLineEdit& field(int id) { return child<QLineEdit>("field", id); }
};

// Restores the "C" locale however the test ends.
struct GermanNumericLocale {
    const bool active = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    ~GermanNumericLocale() { std::setlocale(LC_ALL, "C"); }
};

// The application font scaled for the test's lifetime, as a display scale
// factor scales it.
struct ScaledApplicationFont {
    const QFont original = QApplication::font();

    explicit ScaledApplicationFont(double factor)
    {
        QFont scaled = original;
        scaled.setPointSizeF(original.pointSizeF() * factor);
        QApplication::setFont(scaled);
    }
    ~ScaledApplicationFont() { QApplication::setFont(original); }
};

// Every float field at one value, the integer fields other than the power
// at another.
void setEveryField(FractalParams& params, float value, std::int32_t whole)
{
    for (const ParamField& field : paramFields()) {
        if (field.kind == FieldKind::Float) {
            writeFloatSlot(params, field.slot, value);
        } else if (field.name != "power") {
            writeIntegerSlot(params, field.slot, whole);
        }
    }
}

void setEverySlider(FractalParams& params, int SliderRow::*end)
{
    for (const SliderRow& row : sliderRows()) {
        storePosition(row, row.*end, params);
    }
}

}  // namespace

class SettingsDialogTest : public QObject {
    Q_OBJECT

private slots:
    void startsWithTheDefaults()
    {
        DialogFixture fixture;
        QCOMPARE(fixture.slider(1004).value(), 341);
        QCOMPARE(fixture.label(1006), QStringLiteral("View angle Phi: 341"));
        QCOMPARE(fixture.slider(1010).value(), -56);
        QCOMPARE(fixture.label(1011), QStringLiteral("Constant X: -0.57"));
        QCOMPARE(fixture.field(1032).text(), QStringLiteral("1024"));
        QCOMPARE(fixture.field(1049).text(), QStringLiteral("768"));
        QCOMPARE(fixture.dialog.windowTitle(),
                 QStringLiteral("Tessaform - ") + QString::fromStdString(std::string(programVersion())));
        QVERIFY(!fixture.dialog.windowIcon().isNull());
        QCOMPARE(fixture.renderRequests, 0);
    }

    void sliderMoveWritesItsFieldAndAsksForARenderOnlyWhenBitsDiffer()
    {
        DialogFixture fixture;
        fixture.state.record.shared().takeSnapshot();
        fixture.slider(1015).setSliderPosition(10);
        QVERIFY(fixture.state.record.live().constant.z == 10 * 0.01f);  // not 0.1f
        QCOMPARE(fixture.label(1014), QStringLiteral("Constant Z: 0.10"));
        QCOMPARE(fixture.renderRequests, 1);

        fixture.slider(1015).setSliderPosition(0);
        QCOMPARE(fixture.label(1014), QStringLiteral("Constant Z: 0.00"));
        QCOMPARE(fixture.renderRequests, 1);

        fixture.slider(1004).setSliderPosition(1);
        QVERIFY(fixture.state.record.live().phi == 0.0174532924f);
        QCOMPARE(fixture.label(1006), QStringLiteral("View angle Phi: 0"));
    }

    void keysStepOnePositionAndStopAtTheEnds()
    {
        DialogFixture fixture;
        QSlider& iterations = fixture.slider(1042);
        QTest::keyClick(&iterations, Qt::Key_PageUp);
        QCOMPARE(fixture.state.record.live().iterations, 17);
        QTest::keyClick(&iterations, Qt::Key_Left);
        QCOMPARE(fixture.state.record.live().iterations, 16);

        fixture.slider(1051).setSliderPosition(5);
        QTest::keyClick(&fixture.slider(1051), Qt::Key_Right);
        QCOMPARE(fixture.state.record.live().power, 5);

        // A value beyond the scale gives way to the slider's end at the first key.
        fixture.state.record.shared().editLive([](FractalParams& params) { params.distance = 10.0f; });
        fixture.dialog.syncControls();
        QTest::keyClick(&fixture.slider(1009), Qt::Key_Right);
        QVERIFY(fixture.state.record.live().distance == 60 * 0.1f);
        QCOMPARE(fixture.label(1008), QStringLiteral("View distance: 6.0"));
    }

    void syncControlsClampsSlidersButWritesNothing()
    {
        DialogFixture fixture;
        fixture.slider(1031).setSliderPosition(5);
        fixture.state.record.shared().editLive([](FractalParams& params) {
            params.distance = 10.0f;
            params.power = 4;
        });
        const int requestsBefore = fixture.renderRequests;
        const FractalParams before = fixture.state.record.live();
        fixture.state.renderWidth = 640;
        fixture.field(1049).setText(QStringLiteral("123"));

        fixture.dialog.syncControls();
        QVERIFY(!paramsDiffer(before, fixture.state.record.live()));
        QCOMPARE(fixture.renderRequests, requestsBefore);
        QCOMPARE(fixture.slider(1009).value(), 60);
        QCOMPARE(fixture.label(1008), QStringLiteral("View distance: 10.0"));
        QCOMPARE(fixture.slider(1031).value(), 4);
        QCOMPARE(fixture.label(1030), QStringLiteral("Lateral shift: 0.05"));
        QCOMPARE(fixture.slider(1051).value(), 4);
        QCOMPARE(fixture.field(1032).text(), QStringLiteral("640"));
        QCOMPARE(fixture.field(1049).text(), QStringLiteral("768"));
    }

    void labelsKeepTheFullStopUnderAGermanLocale()
    {
        const GermanNumericLocale german;
        if (!german.active) {
            QSKIP("de_DE.UTF-8 is not installed");
        }
        char separatorCheck[16];
        std::snprintf(separatorCheck, sizeof separatorCheck, "%.1f", 0.5);
        QCOMPARE(separatorCheck, "0,5");

        DialogFixture fixture;
        QCOMPARE(fixture.label(1011), QStringLiteral("Constant X: -0.57"));
        QCOMPARE(fixture.label(1045), QStringLiteral("Epsilon: 0.001000"));
        fixture.slider(1009).setSliderPosition(21);
        QCOMPARE(fixture.label(1008), QStringLiteral("View distance: 2.1"));
    }

    void renderSizeReadsUnsignedDecimals_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<quint32>("size");
        QTest::newRow("plain") << QStringLiteral("800") << 800u;
        QTest::newRow("leading zeros") << QStringLiteral("007") << 7u;
        QTest::newRow("empty") << QString() << 0u;
        QTest::newRow("largest") << QStringLiteral("4294967295") << 4294967295u;
        QTest::newRow("beyond 32 bits") << QStringLiteral("4294967296") << 0u;
    }

    void renderSizeReadsUnsignedDecimals()
    {
        QFETCH(QString, text);
        QFETCH(quint32, size);
        DialogFixture fixture;
        fixture.field(1032).setText(text);
        fixture.field(1049).setText(text);
        QCOMPARE(fixture.state.typedWidth, size);
        QCOMPARE(fixture.state.typedHeight, size);
    }

    void sizeFieldsTakeDigitsOnly()
    {
        DialogFixture fixture;
        QLineEdit& width = fixture.field(1032);
        width.clear();
        QTest::keyClicks(&width, QStringLiteral("1a2-3 4"));
        QCOMPARE(width.text(), QStringLiteral("1234"));
    }

    void enterDoesNothingAndEscapeEndsWithTwo()
    {
        DialogFixture fixture;
        fixture.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fixture.dialog));
        QTest::keyClick(&fixture.dialog, Qt::Key_Return);
        QTest::keyClick(&fixture.field(1032), Qt::Key_Enter);
        QTest::keyClick(&fixture.child<QPushButton>("button", 3), Qt::Key_Return);
        QVERIFY(fixture.dialog.isVisible());
        QVERIFY(fixture.commands.empty());

        QTest::keyClick(&fixture.dialog, Qt::Key_Escape);
        QVERIFY(!fixture.dialog.isVisible());
        QCOMPARE(fixture.dialog.result(), 2);
    }

    void menuItemsAndButtonsReportTheirCommands()
    {
        DialogFixture fixture;
        const QList<QAction*> menus = fixture.dialog.findChild<QMenuBar*>()->actions();
        QCOMPARE(menus.size(), 2);
        QCOMPARE(menus[0]->text(), QStringLiteral("File"));
        QCOMPARE(menus[1]->text(), QStringLiteral("Render"));
        QStringList fileItems;
        for (const QAction* item : menus[0]->menu()->actions()) {
            fileItems << (item->isSeparator() ? QStringLiteral("-") : item->text());
        }
        QCOMPARE(fileItems, QStringList({"Reset parameters", "Random parameters", "Load parameters", "Save parameters",
                                         "-", "Exit"}));
        QStringList renderItems;
        for (const QAction* item : menus[1]->menu()->actions()) {
            renderItems << item->text();
        }
        QCOMPARE(renderItems, QStringList({"High quality", "Animation...", "Live view", "Looks..."}));
        QCOMPARE(fixture.child<QAction>("command", 40011).shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));

        for (const int id : {40009, 40008, 40004, 40005, 40002, 40003, 40010, 40011, 40012}) {
            fixture.child<QAction>("command", id).trigger();
        }
        QCOMPARE(fixture.child<QAction>("command", 40003).text(), QStringLiteral("High quality"));
        QCOMPARE(fixture.child<QPushButton>("button", 3).text(), QStringLiteral("Background Color"));
        QCOMPARE(fixture.child<QPushButton>("button", 4).text(), QStringLiteral("Load Gradient"));
        QTest::mouseClick(&fixture.child<QPushButton>("button", 3), Qt::LeftButton);
        QTest::mouseClick(&fixture.child<QPushButton>("button", 4), Qt::LeftButton);
        QCOMPARE(fixture.commands,
                 std::vector<int>({40009, 40008, 40004, 40005, 40002, 40003, 40010, 40011, 40012, 3, 4}));

        fixture.dialog.setHighQualityEnabled(false);
        QVERIFY(!fixture.child<QAction>("command", 40003).isEnabled());
        fixture.dialog.setHighQualityEnabled(true);
        QVERIFY(fixture.child<QAction>("command", 40003).isEnabled());
    }

    // Dropped on a slider, the first local file reaches the handler once the
    // drop has ended; a web address alone is not taken.
    void dropsHandTheFirstLocalFileOver()
    {
        DialogFixture fixture;
        std::vector<std::string> dropped;
        fixture.dialog.setDropHandler([&dropped](const std::string& path) { dropped.push_back(path); });
        QWidget& target = fixture.child<QSlider>("trackbar", 1004);
        const QPoint at = target.mapTo(&fixture.dialog, target.rect().center());
        const auto drop = [&](const QList<QUrl>& urls) {
            QMimeData data;
            data.setUrls(urls);
            QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&fixture.dialog, &enter);
            QDropEvent dropEvent(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(&fixture.dialog, &dropEvent);
            return enter.isAccepted();
        };
        QVERIFY(!drop({QUrl("https://example.org/a.png")}));
        QVERIFY(drop({QUrl("https://example.org/a.png"), QUrl::fromLocalFile("/tmp/b c.png"),
                      QUrl::fromLocalFile("/tmp/d.j4d")}));
        QVERIFY(dropped.empty());
        QCoreApplication::processEvents();
        QCOMPARE(dropped, std::vector<std::string>{"/tmp/b c.png"});
    }

    void everyControlIsNamedAndCaptioned()
    {
        DialogFixture fixture;
        for (const SliderRow& row : sliderRows()) {
            QVERIFY(fixture.slider(row.sliderId).orientation() == Qt::Horizontal);
            QVERIFY(fixture.label(row.labelId).startsWith(QString::fromUtf8(row.caption.data(), row.caption.size())));
        }
        QCOMPARE(fixture.label(1047), QStringLiteral("Width"));
        QCOMPARE(fixture.label(1048), QStringLiteral("Height"));
        QStringList groups;
        for (const QGroupBox* group : fixture.dialog.findChildren<QGroupBox*>()) {
            groups << group->title();
        }
        QCOMPARE(groups, QStringList({"View", "Render", "Julia settings", "Light settings", "Generalised settings"}));
        QVERIFY(fixture.dialog.findChild<PreviewPanel*>(QStringLiteral("panel1003")) == fixture.dialog.previewPanel());
    }

    void layoutFollowsDialogUnitsAtAFixedSize()
    {
        DialogFixture fixture;
        fixture.dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&fixture.dialog));
        QCOMPARE(fixture.dialog.minimumSize(), fixture.dialog.maximumSize());

        const DialogBaseUnits base = dialogBaseUnits(fixture.dialog.fontMetrics());
        const QSize panel = fixture.dialog.previewPanel()->size();
        QCOMPARE(panel, QSize(mulDiv(173, base.horizontal, 4), mulDiv(120, base.vertical, 8)));
        const double unitAspect = (base.horizontal / 4.0) / (base.vertical / 8.0);
        QVERIFY(std::abs(panel.width() / (panel.height() * unitAspect) - 173.0 / 120.0) < 0.02);

        // A slider may be taller than six units, but around the same centre.
        const QRect label = fixture.child<QLabel>("label", 1045).geometry();
        const QRect slider = fixture.slider(1044).geometry();
        QCOMPARE(slider.x(), label.x());
        QVERIFY(std::abs(slider.center().y() - label.y() - (13 + 3) * base.vertical / 8.0) <= 1.0);
    }

    void labelsShowTheirWholeTextAtTheExtremes_data()
    {
        QTest::addColumn<double>("scale");
        QTest::newRow("scale 1") << 1.0;
        QTest::newRow("scale 1.5") << 1.5;
        QTest::newRow("scale 2") << 2.0;
    }

    // At both ends of every range, and for values a file can bring, such as
    // 7 radians (401 degrees) or a NaN angle (shown as the lowest integer).
    void labelsShowTheirWholeTextAtTheExtremes()
    {
        QFETCH(double, scale);
        const ScaledApplicationFont font(scale);
        DialogFixture fixture;
        const std::function<void(FractalParams&)> extremes[] = {
            [](FractalParams& params) { setEverySlider(params, &SliderRow::minimum); },
            [](FractalParams& params) { setEverySlider(params, &SliderRow::maximum); },
            [](FractalParams& params) { setEveryField(params, 7.0f, 401); },
            [](FractalParams& params) { setEveryField(params, -1000.0f, INT_MIN); },
            [](FractalParams& params) { setEveryField(params, 1000.0f, INT_MAX); },
            [](FractalParams& params) { setEveryField(params, NAN, 0); },
        };
        for (const auto& extreme : extremes) {
            fixture.state.record.shared().editLive(extreme);
            fixture.dialog.syncControls();
            for (const SliderRow& row : sliderRows()) {
                const QLabel& label = fixture.child<QLabel>("label", row.labelId);
                QVERIFY2(label.fontMetrics().horizontalAdvance(label.text()) <= label.contentsRect().width(),
                         qPrintable(label.text()));
                QVERIFY2(label.geometry().right() < label.parentWidget()->width(), qPrintable(label.text()));
            }
        }
    }

    void dialogUnitsRoundHalfAwayFromZero()
    {
        QCOMPARE(mulDiv(3, 6, 4), 5);
        QCOMPARE(mulDiv(-3, 6, 4), -5);
        QCOMPARE(mulDiv(5, 7, 8), 4);
    }

    void previewPanelShowsTheBufferItWasGiven()
    {
        DialogFixture fixture;
        PreviewPanel& panel = *fixture.dialog.previewPanel();
        const std::shared_ptr<SharedFrame> frame = fixture.dialog.previewFrame();
        QVERIFY(frame != nullptr);
        QCOMPARE(QSize(frame->width(), frame->height()), panel.sizeInDevicePixels());
        QCOMPARE(panel.grab().toImage().pixel(0, 0), qRgb(0, 0, 0));

        std::fill_n(frame->canvas().pixels(), frame->width() * frame->height(), 0x00ff8000u);
        QCOMPARE(panel.grab().toImage().pixel(0, 0), qRgb(0, 0, 0));
        frame->showRows(0, frame->height());
        const QImage shown = panel.grab().toImage();
        QCOMPARE(shown.pixel(0, 0), qRgb(0xff, 0x80, 0x00));
        QCOMPARE(shown.pixel(shown.width() - 1, shown.height() - 1), qRgb(0xff, 0x80, 0x00));

        fixture.dialog.initialize();
        QCOMPARE(fixture.dialog.previewFrame(), frame);
    }
};

TESSAFORM_UI_TEST(SettingsDialogTest);

}  // namespace tessaform

#include "SettingsDialogTest.moc"
