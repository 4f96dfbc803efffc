#include "ui/SettingsDialog.h"

#include <QAction>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QEvent>
#include <QEventLoop>
#include <QFile>
#include <QGroupBox>
#include <QIcon>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <QSlider>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "jobs/ProgramTitle.h"
#include "session/SharedFrame.h"
#include "ui/CommandIds.h"
#include "ui/DialogLayout.h"
#include "ui/DialogUnits.h"
#include "ui/PreviewMouse.h"
#include "ui/PreviewPanel.h"
#include "ui/SliderTable.h"
#include "ui/UndoRedoActions.h"

// The icon lives in a static library, where nothing else would pull its
// resource data into the program.
static void loadUiResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace tessaform {

struct SettingsDialog::Controls {
    PreviewPanel* previewPanel = nullptr;
    QAction* highQuality = nullptr;
    QLineEdit* widthField = nullptr;
    QLineEdit* heightField = nullptr;
    std::array<QSlider*, kSliderCount> sliders{};  // in the order of sliderRows()
    std::map<int, QLabel*> labels;                 // by label id
    int labelWidth = 0;                            // the layout's, in pixels
    const QSlider* pressedSlider = nullptr;        // held by a mouse button
};

struct SettingsDialog::SliderPosition {
    const SliderRow& row;
    int position;
};

namespace {

// An item without a command is a separator.
struct MenuItem {
    std::optional<CommandId> commandId;
    const char* caption;
};

constexpr std::array<MenuItem, 6> kFileMenu{{
    {CommandId::ResetParameters, "Reset parameters"},
    {CommandId::RandomParameters, "Random parameters"},
    {CommandId::LoadParameters, "Load parameters"},
    {CommandId::SaveParameters, "Save parameters"},
    {std::nullopt, nullptr},
    {CommandId::Exit, "Exit"},
}};

// The frame line runs through the middle of the caption, as on the system
// the layout was drawn for, instead of beneath it, so that the first row
// clears the frame.
QString groupBoxStyle(const DialogBaseUnits& base)
{
    const QString frame = QStringLiteral("QGroupBox { border: 1px solid palette(mid); margin-top: %1px; }");
    const QString title = QStringLiteral("QGroupBox::title { subcontrol-origin: margin; left: %1px; padding: 0 2px; }");
    return frame.arg(mulDiv(4, base.vertical, 8)) + title.arg(base.horizontal);
}

// The first local file among the dropped URLs, or an empty string.
QString droppedFile(const QMimeData* data)
{
    for (const QUrl& url : data->urls()) {
        if (url.isLocalFile()) {
            return url.toLocalFile();
        }
    }
    return {};
}

QString idName(const char* prefix, int id)
{
    return QString::fromLatin1(prefix) + QString::number(id);
}

QLabel* makeStaticText(QWidget* client, const DialogBaseUnits& base, int id, const QString& text, const QRect& rect)
{
    auto* label = new QLabel(text, client);
    label->setObjectName(idName("label", id));
    label->setGeometry(dialogUnitsToPixels(rect, base));
    return label;
}

// A slider six dialog units tall can be thinner than the style draws its
// handle; it then grows evenly above and below its centre line.
QRect sliderGeometry(const QRect& dialogUnits, const DialogBaseUnits& base, int styleHeight)
{
    const QRect pixels = dialogUnitsToPixels(dialogUnits, base);
    const int growth = std::max(0, styleHeight - pixels.height());
    return pixels.adjusted(0, -(growth / 2), 0, growth - growth / 2);
}

QSlider* makeSlider(QWidget* client, const DialogBaseUnits& base, const SliderRow& row)
{
    auto* slider = new QSlider(Qt::Horizontal, client);
    slider->setObjectName(idName("trackbar", row.sliderId));
    slider->setTickPosition(QSlider::NoTicks);
    slider->setFocusPolicy(Qt::StrongFocus);
    slider->setRange(row.minimum, row.maximum);
    slider->setSingleStep(1);
    slider->setPageStep(1);
    const QRect rect(QPoint(row.x, row.sliderTop), kSliderSize);
    slider->setGeometry(sliderGeometry(rect, base, slider->sizeHint().height()));
    return slider;
}

QLineEdit* makeSizeField(QWidget* client, const DialogBaseUnits& base, const SizeFieldLayout& layout)
{
    makeStaticText(client, base, layout.captionId, QString::fromLatin1(layout.caption), layout.captionRect);
    auto* field = new QLineEdit(client);
    field->setObjectName(idName("field", layout.fieldId));
    field->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), field));
    field->setGeometry(dialogUnitsToPixels(layout.fieldRect, base));
    return field;
}

// An empty field, anything but digits, or a number beyond 32 bits gives 0.
std::uint32_t readUnsigned(const QLineEdit& field)
{
    const std::string text = field.text().toStdString();
    const char* end = text.data() + text.size();
    std::uint32_t value = 0;
    const auto result = std::from_chars(text.data(), end, value);
    return result.ec == std::errc() && result.ptr == end ? value : 0;
}

void showPosition(QSlider& slider, int position)
{
    // Setting controls from the record must not write back into it.
    const QSignalBlocker blocker(slider);
    slider.setValue(position);
}

}  // namespace

SettingsDialog::SettingsDialog(ProgramState& state, std::function<void()> requestRender, QWidget* parent)
    : QDialog(parent), controls_(std::make_unique<Controls>()), state_(state), requestRender_(std::move(requestRender))
{
    loadUiResources();
    const DialogBaseUnits base = dialogBaseUnits(fontMetrics());
    auto* client = new QWidget(this);
    client->setFixedSize(dialogUnitsToPixels(kClientSize, base));
    makeClientControls(client, base);
    makeHistoryActions();
    connectPreviewMouse();
    connect(&state_.record, &LiveRecord::changed, this, &SettingsDialog::showChange);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->setMenuBar(makeMenuBar());
    layout->addWidget(client);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

SettingsDialog::~SettingsDialog() = default;

void SettingsDialog::setCommandHandler(CommandHandler handler)
{
    commandHandler_ = std::move(handler);
}

void SettingsDialog::setDropHandler(DropHandler handler)
{
    dropHandler_ = std::move(handler);
    setAcceptDrops(true);
}

void SettingsDialog::dragEnterEvent(QDragEnterEvent* event)
{
    if (!droppedFile(event->mimeData()).isEmpty()) {
        event->acceptProposedAction();
    }
}

// The first file of several; the handler runs after the drop has ended, so
// that a message box it shows does not hold the dragging application.
void SettingsDialog::dropEvent(QDropEvent* event)
{
    const QString file = droppedFile(event->mimeData());
    if (file.isEmpty() || !dropHandler_) {
        return;
    }
    event->acceptProposedAction();
    QMetaObject::invokeMethod(
        this, [this, path = QFile::encodeName(file).toStdString()] { dropHandler_(path); }, Qt::QueuedConnection);
}

void SettingsDialog::initialize()
{
    setWindowTitle(QString::fromStdString(programTitle()));
    setWindowIcon(QIcon(QStringLiteral(":/tessaform/icon.png")));
    createPreviewFrame();
    syncControls();
}

std::shared_ptr<SharedFrame> SettingsDialog::previewFrame() const
{
    return controls_->previewPanel->frame();
}

PreviewPanel* SettingsDialog::previewPanel() const
{
    return controls_->previewPanel;
}

void SettingsDialog::syncControls()
{
    const FractalParams& params = state_.record.live();
    const std::span<const SliderRow> rows = sliderRows();
    for (std::size_t index = 0; index < rows.size(); ++index) {
        showPosition(*controls_->sliders[index], positionFromValue(rows[index], params));
    }
    controls_->widthField->setText(QString::number(state_.renderWidth));
    controls_->heightField->setText(QString::number(state_.renderHeight));
    updateAllLabels();
}

void SettingsDialog::updateAllLabels()
{
    for (const auto& entry : labelUpdaters()) {
        updateLabel(entry.first);
    }
}

// An empty field or a number beyond 32 bits reads as 0.
void SettingsDialog::readTypedSize()
{
    state_.typedWidth = readUnsigned(*controls_->widthField);
    state_.typedHeight = readUnsigned(*controls_->heightField);
}

void SettingsDialog::setHighQualityEnabled(bool enabled)
{
    controls_->highQuality->setEnabled(enabled);
}

int SettingsDialog::runUntilDone()
{
    QEventLoop loop;
    connect(this, &QDialog::finished, &loop, &QEventLoop::exit);
    show();
    return loop.exec(QEventLoop::DialogExec);
}

void SettingsDialog::reject()
{
    done(idNumber(CommandId::Cancel));
}

// Enter reaches here through QDialog; it must not end the dialog.
void SettingsDialog::accept() {}

void SettingsDialog::undo()
{
    state_.record.undo();
}

void SettingsDialog::redo()
{
    state_.record.redo();
}

// Only sliders are watched. Whatever a slider does while a mouse button
// holds it (a drag, repeated page steps) is the one step its press began.
bool SettingsDialog::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (controls_->pressedSlider == nullptr) {
                markStep();
            }
            controls_->pressedSlider = qobject_cast<const QSlider*>(watched);
            break;
        case QEvent::MouseButtonRelease:
            controls_->pressedSlider = nullptr;
            break;
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

QMenuBar* SettingsDialog::makeMenuBar()
{
    auto* menuBar = new QMenuBar(this);
    const auto addCommand = [this](QMenu* menu, CommandId commandId, const char* caption) {
        QAction* action = menu->addAction(QString::fromLatin1(caption));
        action->setObjectName(idName("command", idNumber(commandId)));
        connect(action, &QAction::triggered, this, [this, commandId] { runCommand(commandId); });
        return action;
    };
    QMenu* fileMenu = menuBar->addMenu(QStringLiteral("File"));
    for (const MenuItem& item : kFileMenu) {
        if (!item.commandId) {
            fileMenu->addSeparator();
        } else {
            addCommand(fileMenu, *item.commandId, item.caption);
        }
    }
    QMenu* renderMenu = menuBar->addMenu(QStringLiteral("Render"));
    controls_->highQuality = addCommand(renderMenu, CommandId::HighQuality, "High quality");
    addCommand(renderMenu, CommandId::Animation, "Animation...");
    addCommand(renderMenu, CommandId::LiveView, "Live view")->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    addCommand(renderMenu, CommandId::Looks, "Looks...");
    return menuBar;
}

// Shortcuts of the dialog's own, outside the menu bar.
void SettingsDialog::makeHistoryActions()
{
    addUndoRedoActions(
        *this, [this] { undo(); }, [this] { redo(); });
}

void SettingsDialog::connectPreviewMouse()
{
    steerByMouse(*new PreviewMouse(*controls_->previewPanel), *this, kPreviewPanelId);
}

// Created in tab order; a group box comes before its controls so that it
// stays beneath them.
void SettingsDialog::makeClientControls(QWidget* client, const DialogBaseUnits& base)
{
    for (const ButtonLayout& layout : kButtons) {
        auto* button = new QPushButton(QString::fromLatin1(layout.caption), client);
        button->setObjectName(idName("button", idNumber(layout.id)));
        button->setAutoDefault(false);
        button->setDefault(false);
        button->setGeometry(dialogUnitsToPixels(layout.rect, base));
        connect(button, &QPushButton::clicked, this, [this, id = layout.id] { runCommand(id); });
    }

    controls_->previewPanel = new PreviewPanel(client);
    controls_->previewPanel->setObjectName(idName("panel", kPreviewPanelId));
    controls_->previewPanel->setGeometry(dialogUnitsToPixels(kPreviewPanelRect, base));

    const QString frameStyle = groupBoxStyle(base);
    for (const GroupBoxLayout& layout : kGroupBoxes) {
        auto* groupBox = new QGroupBox(QString::fromLatin1(layout.caption), client);
        groupBox->setStyleSheet(frameStyle);
        groupBox->setGeometry(dialogUnitsToPixels(layout.rect, base));
        makeSliderGroup(client, base, layout.group);
        if (layout.group == SliderGroup::Render) {
            makeSizeFields(client, base);
        }
    }
}

void SettingsDialog::makeSliderGroup(QWidget* client, const DialogBaseUnits& base, SliderGroup group)
{
    controls_->labelWidth = dialogUnitsToPixels(kSliderLabelSize, base).width();
    const std::span<const SliderRow> rows = sliderRows();
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const SliderRow& row = rows[index];
        if (row.group != group) {
            continue;
        }
        const QRect labelRect(QPoint(row.x, row.labelTop), kSliderLabelSize);
        controls_->labels[row.labelId] = makeStaticText(
            client, base, row.labelId, QString::fromUtf8(row.caption.data(), row.caption.size()), labelRect);
        QSlider* slider = makeSlider(client, base, row);
        // Every user action and the end of a drag count, even when the position
        // stays, so that a value off the slider's scale is replaced as soon as
        // the slider is touched. Positions set by syncControls are no action.
        connect(slider, &QSlider::actionTriggered, this, [this, &row, slider] { onSliderAction(row, *slider); });
        connect(slider, &QSlider::sliderReleased, this,
                [this, &row, slider] { onSliderMoved(row, slider->sliderPosition()); });
        slider->installEventFilter(this);
        controls_->sliders[index] = slider;
    }
}

// The render size follows every edit of the fields, so that whoever
// renders reads it without asking this window.
void SettingsDialog::makeSizeFields(QWidget* client, const DialogBaseUnits& base)
{
    controls_->widthField = makeSizeField(client, base, kWidthField);
    controls_->heightField = makeSizeField(client, base, kHeightField);
    for (QLineEdit* field : {controls_->widthField, controls_->heightField}) {
        connect(field, &QLineEdit::textChanged, this, &SettingsDialog::readTypedSize);
    }
}

void SettingsDialog::createPreviewFrame()
{
    PreviewPanel& panel = *controls_->previewPanel;
    // Made once: renders keep drawing into the buffer they were given.
    if (panel.frame()) {
        return;
    }
    const QSize size = panel.sizeInDevicePixels();
    panel.setFrame(SharedFrame::create(size.width(), size.height()));
}

// Keys and the wheel come in bursts, each burst one step; what the mouse
// does while it holds the slider belongs to the step its press began.
void SettingsDialog::onSliderAction(const SliderRow& row, const QSlider& slider)
{
    if (controls_->pressedSlider != &slider) {
        markBurstStep(row.sliderId);
    }
    onSliderMoved(row, slider.sliderPosition());
}

void SettingsDialog::onSliderMoved(const SliderRow& row, int position)
{
    const SliderPosition moved{row, position};
    storePositions({&moved, 1});
}

// Moves sliders as their keys would, from where they show, and stores the
// positions as one change.
void SettingsDialog::stepSliders(std::initializer_list<SliderSteps> steps)
{
    std::vector<SliderPosition> positions;
    for (const SliderSteps& step : steps) {
        const std::size_t index = sliderIndex(step.field);
        const SliderRow& row = sliderRows()[index];
        QSlider& slider = *controls_->sliders[index];
        const int start = stepStartPosition(row, state_.record.live(), slider.value());
        const int position = steppedPosition(row, start, step.steps);
        showPosition(slider, position);
        positions.push_back({row, position});
    }
    storePositions(positions);
}

// One record write, so one change and one difference test per notification.
void SettingsDialog::storePositions(std::span<const SliderPosition> positions)
{
    std::vector<std::string_view> fields;
    for (const SliderPosition& moved : positions) {
        fields.push_back(moved.row.field);
    }
    state_.record.setFields(std::move(fields), [&](FractalParams& params) {
        for (const auto& [row, position] : positions) {
            storePosition(row, position, params);
        }
    });
}

void SettingsDialog::markStep()
{
    state_.record.markStep();
}

void SettingsDialog::markBurstStep(int source)
{
    state_.record.markBurstStep(source);
}

// Fields set in place already show on their sliders; a replaced record is
// shown whole. The size fields are no part of the record; what was typed
// there stays.
void SettingsDialog::showChange(const RecordChange& change)
{
    if (change.wholeRecord) {
        if (change.keepsTypedSize) {
            state_.takeTypedSize();
        }
        syncControls();
    } else {
        updateFieldLabels(change.fields);
    }
    requestPreview(change);
}

void SettingsDialog::updateFieldLabels(const std::vector<std::string_view>& fields)
{
    for (const SliderRow& row : sliderRows()) {
        if (std::find(fields.begin(), fields.end(), row.field) != fields.end()) {
            updateLabel(row.labelId);
        }
    }
}

// A new gradient, or a change that asks for it, is drawn even where the
// record's bits are those drawn last.
void SettingsDialog::requestPreview(const RecordChange& change)
{
    if (change.gradient || change.redraw || state_.record.shared().liveDiffersFromSnapshot()) {
        requestRender_();
    }
}

// A label is as wide as the layout says, or wider when its text needs it
// (three-digit angles, values loaded from a file), so that no digit is cut.
void SettingsDialog::updateLabel(int labelId)
{
    const std::string text = labelUpdaters().at(labelId)(state_.record.live());
    QLabel& label = *controls_->labels.at(labelId);
    label.setText(QString::fromStdString(text));
    label.resize(std::max(controls_->labelWidth, label.sizeHint().width()), label.height());
}

void SettingsDialog::runCommand(CommandId commandId)
{
    if (commandHandler_) {
        commandHandler_(commandId);
    }
}

}  // namespace tessaform
