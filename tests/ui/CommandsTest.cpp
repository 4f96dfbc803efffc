#include <QAction>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QRegularExpression>
#include <QSlider>
#include <QTest>
#include <algorithm>
#include <cstring>
#include <fstream>
#include <sstream>

#include "io/ImageOutput.h"
#include "io/ImageRowWriter.h"
#include "jobs/ImageMetadata.h"
#include "jobs/ParamFileIo.h"
#include "params/ParamFile.h"
#include "session/FrameRenderer.h"
#include "session/QtRenderView.h"
#include "session/RenderScheduler.h"
#include "support/FileBytes.h"
#include "support/FullDevice.h"
#include "support/ScratchFolder.h"
#include "support/ScriptedDialogs.h"
#include "ui/CommandIds.h"
#include "ui/Commands.h"
#include "ui/QtSystemDialogs.h"
#include "ui/SettingsDialog.h"
#include "ui/UiTestRegistry.h"

namespace tessaform {
namespace {

bool sameBits(float a, float b)
{
    return std::memcmp(&a, &b, sizeof a) == 0;
}

}  // namespace

class CommandsTest : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        state_ = std::make_unique<ProgramState>();
        view_ = std::make_unique<QtRenderView>();
        renderer_ = std::make_unique<FrameRenderer>(state_->record.gradientSlot(), *view_);
        scheduler_ = std::make_unique<RenderScheduler>(state_->record.shared(), *renderer_);
        dialog_ = std::make_unique<SettingsDialog>(*state_, [this] { ++requests_; });
        dialogs_ = ScriptedDialogs();
        commands_ = std::make_unique<Commands>(*state_, *dialog_, dialogs_,
                                               HighQualityServices{*scheduler_, *renderer_, *view_});
        dialog_->initialize();
        state_->record.shared().takeSnapshot();
        requests_ = 0;
    }

    void cleanup()
    {
        commands_.reset();
        dialog_.reset();
        scheduler_.reset();
    }

    void unchangedColourConfirmedTwiceRequestsOneRender()
    {
        dialogs_.confirmUnchanged = true;
        commands_->run(CommandId::BackgroundColour);
        QCOMPARE(dialogs_.initialColour, 0x667F99u);
        const Colour& background = state_->record.live().background;
        QVERIFY(sameBits(background.r, 0.400000036f));
        QVERIFY(sameBits(background.g, 0.498039246f));
        QVERIFY(sameBits(background.b, 0.600000024f));
        QCOMPARE(requests_, 1);

        state_->record.shared().takeSnapshot();
        commands_->run(CommandId::BackgroundColour);
        QCOMPARE(requests_, 1);
        QVERIFY(!state_->record.shared().liveDiffersFromSnapshot());
    }

    void cancelledColourRequestsOnlyAPendingChange()
    {
        commands_->run(CommandId::BackgroundColour);
        QCOMPARE(requests_, 0);
        state_->record.shared().editLive([](FractalParams& params) { params.phi = 1.0f; });
        commands_->run(CommandId::BackgroundColour);
        QCOMPARE(requests_, 1);
    }

    void colourBytesClampAndWhiteIsExact()
    {
        state_->record.shared().editLive([](FractalParams& params) { params.background = {1.2f, -0.5f, 0.5f}; });
        dialogs_.colourAnswer = 0xFFFFFF;
        commands_->run(CommandId::BackgroundColour);
        QCOMPARE(dialogs_.initialColour, 0xFF007Fu);
        const Colour& background = state_->record.live().background;
        QVERIFY(background.r == 1.0f && background.g == 1.0f && background.b == 1.0f);
    }

    void savedParametersLoadBackIntoRecordAndControls()
    {
        const ScratchFolder folder;
        const std::string path = folder.filePath("set.j4d");
        state_->record.shared().editLive([](FractalParams& params) {
            params.constant.x = 0.25f;
            params.distance = 3.5f;
        });
        dialogs_.fileAnswer = path;
        commands_->run(CommandId::SaveParameters);
        QCOMPARE(dialogs_.saveRequest.filters, std::vector<std::string>({"*.j4d", "*.toml"}));
        QCOMPARE(dialogs_.saveRequest.initialName, std::string("params.j4d"));
        QCOMPARE(requests_, 0);

        commands_->run(CommandId::ResetParameters);
        commands_->run(CommandId::LoadParameters);
        QCOMPARE(dialogs_.openRequest.initialName, std::string());
        QCOMPARE(state_->record.live().constant.x, 0.25f);
        QCOMPARE(state_->record.live().distance, 3.5f);
        QCOMPARE(slider("trackbar1010")->value(), 25);
        QCOMPARE(slider("trackbar1009")->value(), 35);
        QCOMPARE(requests_, 2);
    }

    // A .toml of one key holds the looks a .j4d cannot; saving a .j4d with
    // a look on says so, and an animation is not loaded as a scene.
    void sceneFilesKeepTheLooksAndAnimationsAreRefused()
    {
        const ScratchFolder folder;
        state_->record.shared().editLive([](FractalParams& params) {
            params.shadow = 0.75f;
            params.fog = 0.2f;
            params.power = 3;
        });
        const FractalParams looks = state_->record.live();
        dialogs_.fileAnswer = folder.filePath("scene.toml");
        commands_->run(CommandId::SaveParameters);
        QVERIFY(dialogs_.messages.empty());
        commands_->run(CommandId::ResetParameters);
        commands_->run(CommandId::LoadParameters);
        QVERIFY(dialogs_.messages.empty());
        QVERIFY(!paramsDiffer(looks, state_->record.live()));

        dialogs_.fileAnswer = folder.filePath("scene.j4d");
        commands_->run(CommandId::SaveParameters);
        QCOMPARE(dialogs_.messages.size(), std::size_t{1});
        QVERIFY2(dialogs_.messages[0].find(".toml") != std::string::npos, dialogs_.messages[0].c_str());
        QVERIFY(QFile::exists(QString::fromStdString(folder.filePath("scene.j4d"))));

        writeFileBytes(folder.filePath("film.toml"), "[[key]]\nframe = 0\n[[key]]\nframe = 9\nfog = 1\n");
        dialogs_.fileAnswer = folder.filePath("film.toml");
        commands_->run(CommandId::LoadParameters);
        QCOMPARE(dialogs_.messages.size(), std::size_t{2});
        QVERIFY2(dialogs_.messages[1].find("Load animation...") != std::string::npos, dialogs_.messages[1].c_str());
        QVERIFY(!paramsDiffer(looks, state_->record.live()));
    }

    void failuresToReadOrWriteParameterFiles()
    {
        const ScratchFolder folder;
        dialogs_.fileAnswer = folder.filePath("no-such-folder/set.j4d");
        commands_->run(CommandId::SaveParameters);
        QCOMPARE(dialogs_.messages.size(), std::size_t{1});
        if (const std::string full = fullDeviceIn(folder.path().string()); !full.empty()) {
            dialogs_.fileAnswer = full;
            commands_->run(CommandId::SaveParameters);
            QCOMPARE(dialogs_.messages.back(), "Could not write " + full);
        }
        dialogs_.messages.clear();

        const FractalParams before = state_->record.live();
        QVERIFY(QDir(QString::fromStdString(folder.path().string())).mkdir("folder.j4d"));
        // The last one opens, but every read of it fails.
        for (const QString& path : {QString::fromStdString(folder.filePath("no-such-folder/set.j4d")),
                                    QString::fromStdString(folder.filePath("folder.j4d")), QString("/proc/self/mem")}) {
            dialogs_.fileAnswer = path.toStdString();
            commands_->run(CommandId::LoadParameters);
            QCOMPARE(dialogs_.messages.back(), "Could not read parameter file " + path.toStdString());
        }
        QCOMPARE(dialogs_.messages.size(), std::size_t{3});
        QVERIFY(!paramsDiffer(before, state_->record.live()));
        QCOMPARE(requests_, 0);
    }

    // The record takes the file's values as written; only the controls stop
    // at the ends of their ranges. The rotation and the power are not in a
    // file and stay.
    void valuesBeyondTheSlidersLoadWholeAndTheSlidersClamp()
    {
        state_->record.shared().editLive([](FractalParams& params) {
            params.direction = {0.0f, 1.0f, 0.0f};
            params.angle = 0.5f;
            params.power = 3;
        });
        const std::string text =
            "<background r,g,b>0.1,0.2,0.3</background>\n"
            "<camera theta, phi, distance>-1,nan,1e6</camera>\n"
            "<shift x, y>1e30,-1e30</shift>\n"
            "<constant x,y,z,w>nan,0,0,0</constant>\n"
            "<hyperplane w>inf</hyperplane>\n"
            "<light x,y,z,power,intensity>0,0,-1e6,1e40,-5</light>\n"
            "<render iterations, epsilon>99999999999,0</render>\n";
        FractalParams expected = state_->record.live();
        std::istringstream in(text);
        QCOMPARE(loadParams(in, expected), kParamFileLines);
        const ScratchFolder folder;
        const std::string path = folder.filePath("far.j4d");
        std::ofstream(path, std::ios::binary) << text;
        dialogs_.fileAnswer = path;
        commands_->run(CommandId::LoadParameters);
        QVERIFY(dialogs_.messages.empty());
        QVERIFY(!paramsDiffer(expected, state_->record.live()));
        QCOMPARE(state_->record.live().power, 3);
        QCOMPARE(state_->record.live().angle, 0.5f);
        QCOMPARE(requests_, 1);

        // A value beyond the int range reads as the lowest position, as
        // NaN does, whichever its sign.
        const std::vector<std::pair<const char*, int>> positions{
            {"trackbar1009", 60},   {"trackbar1042", 100},  {"trackbar1025", -200}, {"trackbar1029", 0},
            {"trackbar1031", -100}, {"trackbar1035", -100}, {"trackbar1010", -100}, {"trackbar1044", -70},
            {"trackbar1027", 0},    {"trackbar1004", 0},    {"trackbar1051", 3}};
        for (const auto& [name, position] : positions) {
            QCOMPARE(slider(name)->value(), position);
        }
        QCOMPARE(dialog_->findChild<QLabel*>("label1008")->text(), QString("View distance: 1000000.0"));

        // Lines in another order: nothing loads, and the user is told.
        std::ofstream(path, std::ios::binary | std::ios::trunc) << text.substr(text.find("<camera")) << text;
        commands_->run(CommandId::LoadParameters);
        QVERIFY(!paramsDiffer(expected, state_->record.live()));
        QCOMPARE(dialogs_.messages, std::vector<std::string>{"Parameter file " + path +
                                                             ": only 0 of its 7 lines could be read; the other "
                                                             "values are unchanged"});
    }

    // Load parameters and drops: what each kind of file changes.
    void pngsAndDropsLoadAllOrNothing_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<bool>("dropped");
        QTest::addColumn<bool>("recordChanges");
        QTest::addColumn<bool>("gradientChanges");
        QTest::addColumn<QString>("message");
        QTest::newRow("Tessaform PNG loaded") << "own.png" << false << true << true << "";
        QTest::newRow("Tessaform PNG dropped") << "own.png" << true << true << true << "";
        QTest::newRow("Tessaform OpenEXR loaded") << "own.exr" << false << true << true << "";
        QTest::newRow("Tessaform OpenEXR dropped") << "own.exr" << true << true << true << "";
        QTest::newRow(".j4d dropped") << "set.j4d" << true << true << false << "";
        QTest::newRow("plain PNG dropped: the gradient") << "plain.png" << true << false << true << "";
        QTest::newRow("plain PNG loaded")
            << "plain.png" << false << false << false << "the image carries no tessaform-parameters";
        QTest::newRow("damaged Tessaform PNG dropped")
            << "cut.png" << true << false << false << "a text chunk is cut short";
        QTest::newRow("text dropped") << "notes.txt" << true << false << false << "Could not load image";
    }

    void pngsAndDropsLoadAllOrNothing()
    {
        QFETCH(QString, file);
        QFETCH(bool, dropped);
        QFETCH(bool, recordChanges);
        QFETCH(bool, gradientChanges);
        QFETCH(QString, message);
        const ScratchFolder folder;
        FractalParams saved = defaultParams();
        saved.power = 4;
        saved.constant.w = -0.0f;
        const std::vector<std::uint8_t> rgb{9, 8, 7, 250, 128, 1};
        const std::uint32_t pixel = 0x00102030u;
        const std::vector<PngText> texts = imageMetadata(saved, gradientFromRgbBytes(rgb));
        QVERIFY(writeImageFile(folder.filePath("own.png"), &pixel, 1, 1, texts).ok());
        QVERIFY(writeImageFileByRows(folder.filePath("own.exr"), 1, 1, {16, true}, texts, [&](ImageRowWriter& writer) {
                    const DeepPixel deep;
                    return writer.writeRow(&pixel, &deep);
                }).ok());
        const std::string own = fileBytes(folder.filePath("own.png"));
        writeFileBytes(folder.filePath("cut.png"), own.substr(0, own.find("tessaform-gradient")));
        QVERIFY(writeImageFile(folder.filePath("plain.png"), &pixel, 1, 1).ok());
        FractalParams red = defaultParams();
        red.background = {1.0f, 0.0f, 0.0f};
        QVERIFY(writeParamsFile(folder.filePath("set.j4d"), red).ok());
        writeFileBytes(folder.filePath("notes.txt"), "notes");

        const FractalParams before = state_->record.live();
        const std::shared_ptr<const Gradient> gradientBefore = state_->record.gradient();
        const std::string path = folder.filePath(file.toStdString());
        if (dropped) {
            commands_->openDroppedFile(path);
        } else {
            dialogs_.fileAnswer = path;
            commands_->run(CommandId::LoadParameters);
            QCOMPARE(dialogs_.openRequest.filters, std::vector<std::string>({"*.j4d;*.png;*.exr;*.toml"}));
        }
        QCOMPARE(paramsDiffer(before, state_->record.live()), recordChanges);
        QCOMPARE(state_->record.gradient() != gradientBefore, gradientChanges);
        QCOMPARE(dialogs_.messages.size(), message.isEmpty() ? 0u : 1u);
        if (!message.isEmpty()) {
            QVERIFY2(dialogs_.messages[0].find(message.toStdString()) != std::string::npos,
                     dialogs_.messages[0].c_str());
        }
        if (file.startsWith("own.")) {
            QVERIFY(!paramsDiffer(saved, state_->record.live()));
            QCOMPARE(state_->record.gradient()->count(), 2);
            QCOMPARE(slider("trackbar1051")->value(), 4);
        }
        QCOMPARE(requests_, recordChanges || gradientChanges || message == "Could not load image" ? 1 : 0);
        // One step back undoes record and gradient together.
        dialog_->undo();
        QVERIFY(!paramsDiffer(before, state_->record.live()));
        QCOMPARE(state_->record.gradient(), gradientBefore);
    }

    void resetAndRandomAlwaysRequestAndSyncTheControls()
    {
        commands_->run(CommandId::ResetParameters);
        commands_->run(CommandId::ResetParameters);
        QCOMPARE(requests_, 2);

        state_->random.seed(7);
        commands_->run(CommandId::RandomParameters);
        FractalParams expected = defaultParams();
        RandomGenerator generator(7);
        randomizeConstant(expected, generator);
        QVERIFY(!paramsDiffer(expected, state_->record.live()));
        QCOMPARE(slider("trackbar1010")->value(), static_cast<int>(expected.constant.x * 100.0f));
        QCOMPARE(requests_, 3);
    }

    void gradientFileRequestsARenderEvenWhenItFails()
    {
        commands_->run(CommandId::LoadGradient);
        QCOMPARE(requests_, 0);

        const ScratchFolder folder;
        const QString notAnImage = QString::fromStdString(folder.filePath("notes.png"));
        std::ofstream(notAnImage.toStdString()) << "not a picture";
        dialogs_.fileAnswer = notAnImage.toStdString();
        commands_->run(CommandId::LoadGradient);
        QCOMPARE(dialogs_.openRequest.filters, std::vector<std::string>({"*.bmp;*.gif;*.jpg;*.png"}));
        QCOMPARE(dialogs_.messages, std::vector<std::string>{"Could not load image\n" + notAnImage.toStdString()});
        QCOMPARE(requests_, 1);
    }

    // The file dialog shows the description alone, and its patterns, which
    // the system's dialog may match case by case, take every usual spelling.
    void gradientFilterTakesEveryUsualSpelling()
    {
        const QString filter = fileDialogFilter({"*.bmp;*.gif;*.jpg;*.png"});
        QVERIFY2(filter.startsWith("*.bmp;*.gif;*.jpg;*.png ("), qPrintable(filter));
        const QStringList patterns = filter.section('(', 1).chopped(1).split(' ');
        const auto offered = [&patterns](const QString& name) {
            return std::any_of(patterns.begin(), patterns.end(), [&name](const QString& pattern) {
                return QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
                    .match(name)
                    .hasMatch();
            });
        };
        for (const char* name :
             {"a.bmp", "b.gif", "c.jpg", "d.jpeg", "e.png", "F.BMP", "G.GIF", "H.JPG", "I.JPEG", "J.PNG"}) {
            QVERIFY2(offered(name), name);
        }
        QVERIFY(!offered("notes.txt"));
    }

    // A filter's note is no pattern, and the filter the dialog was left on
    // is known again by its text.
    void filterWithANoteMatchesItsPatternAndIsKnownAgain()
    {
        const std::vector<std::string> filters{"*.png", "*.png (16-bit)", "*.exr"};
        QCOMPARE(fileDialogFilter({filters[1]}), QStringLiteral("*.png (16-bit) (*.png *.PNG)"));
        for (const std::string& filter : filters) {
            QCOMPARE(requestedFilter(filters, fileDialogFilter({filter})), filter);
        }
        QCOMPARE(requestedFilter(filters, QStringLiteral("*.jpg (*.jpg)")), filters.front());
    }

    void cancelledHighQualityStillTakesTheTypedSize()
    {
        field("field1032")->setText("640");
        field("field1049")->setText("481");
        commands_->run(CommandId::HighQuality);
        QCOMPARE(dialogs_.saveRequest.filters, std::vector<std::string>({"*.tga", "*.png", "*.png (16-bit)", "*.exr"}));
        QCOMPARE(dialogs_.saveRequest.initialName, std::string("Julia.tga"));
        QCOMPARE(state_->renderWidth, 640u);
        QCOMPARE(state_->renderHeight, 481u);
        QVERIFY(state_->outputPath.empty());
        dialog_->syncControls();
        QCOMPARE(field("field1032")->text(), QString("640"));
    }

    // The size fields are no part of the record: a command that replaces
    // the record leaves what was typed there.
    // A size typed but not yet rendered gives way to the last one rendered
    // when a command shows the whole record again.
    void commandsThatReplaceTheRecordShowTheRenderedSize()
    {
        field("field1032")->setText("640");
        for (const CommandId command : {CommandId::ResetParameters, CommandId::RandomParameters}) {
            commands_->run(command);
            QCOMPARE(field("field1032")->text(), QString("1024"));
        }
        QCOMPARE(state_->typedWidth, 1024u);
    }

    // A number beyond 32 bits in a size field reads as 0. No file is asked
    // for a size that cannot be rendered.
    void unusableSizesAreShownAndHighQualityStaysAvailable()
    {
        const ScratchFolder folder;
        dialogs_.fileAnswer = folder.filePath("out.tga");
        for (const auto& [width, height] : {std::pair{"0", "768"}, {"65536", "1"}, {"99999999999", "2"}}) {
            field("field1032")->setText(width);
            field("field1049")->setText(height);
            commands_->run(CommandId::HighQuality);
        }
        QCOMPARE(dialogs_.messages,
                 (std::vector<std::string>{"Cannot render 0 x 768: width and height must be 1 to 65535",
                                           "Cannot render 65536 x 1: width and height must be 1 to 65535",
                                           "Cannot render 0 x 2: width and height must be 1 to 65535"}));
        QCOMPARE(dialogs_.saveRequests, 0);
        QVERIFY(dialog_->findChild<QAction*>("command40003")->isEnabled());
        QVERIFY(!QFile::exists(QString::fromStdString(folder.filePath("out.tga"))));
    }

    void exitAndCancelEndTheDialogWithTheirIds()
    {
        commands_->run(CommandId::Exit);
        QCOMPARE(dialog_->result(), 40002);
        commands_->run(CommandId::Cancel);
        QCOMPARE(dialog_->result(), 2);
    }

private:
    QSlider* slider(const char* name) const { return dialog_->findChild<QSlider*>(name); }
    QLineEdit* field(const char* name) const { return dialog_->findChild<QLineEdit*>(name); }

    std::unique_ptr<ProgramState> state_;
    std::unique_ptr<QtRenderView> view_;
    std::unique_ptr<FrameRenderer> renderer_;
    std::unique_ptr<RenderScheduler> scheduler_;
    std::unique_ptr<SettingsDialog> dialog_;
    std::unique_ptr<Commands> commands_;
    ScriptedDialogs dialogs_;
    int requests_ = 0;
};

TESSAFORM_UI_TEST(CommandsTest);

}  // namespace tessaform

#include "CommandsTest.moc"
