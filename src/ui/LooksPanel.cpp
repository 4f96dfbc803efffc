#include "ui/LooksPanel.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QSlider>
#include <algorithm>

#include "session/LiveRecord.h"
#include "ui/UndoRedoActions.h"

namespace tessaform {
namespace {

using enum SliderScale;

// Shadow, occlusion and fog run 0 to 1 (fog to 2) in hundredths; softness to
// 5 in tenths; the occlusion radius from a hundredth to half the fractal's
// radius.
constexpr std::array<SliderRow, kLookSliderCount> kLookRows{{
    {1101, 1100, "Shadow", SliderGroup::Light, 0, 0, 0, "shadow", 0, 100, Hundredths, 2},
    {1103, 1102, "Shadow softness", SliderGroup::Light, 0, 0, 0, "shadowSoftness", 0, 50, Tenths, 1},
    {1105, 1104, "Occlusion", SliderGroup::Light, 0, 0, 0, "occlusion", 0, 100, Hundredths, 2},
    {1107, 1106, "Occlusion radius", SliderGroup::Light, 0, 0, 0, "occlusionRadius", 1, 100, Hundredths, 2},
    {1109, 1108, "Fog", SliderGroup::Light, 0, 0, 0, "fog", 0, 200, Hundredths, 2},
}};

std::size_t lookIndex(std::string_view field)
{
    const auto found =
        std::find_if(kLookRows.begin(), kLookRows.end(), [field](const SliderRow& row) { return row.field == field; });
    return static_cast<std::size_t>(found - kLookRows.begin());
}

}  // namespace

std::span<const SliderRow> lookSliderRows()
{
    return kLookRows;
}

LooksPanel::LooksPanel(LiveRecord& record, QWidget* parent) : QWidget(parent, Qt::Tool), record_(record)
{
    setWindowTitle(QStringLiteral("Looks"));
    setObjectName(QStringLiteral("looks"));
    auto* layout = new QGridLayout(this);
    for (std::size_t index = 0; index < kLookRows.size(); ++index) {
        const SliderRow& row = kLookRows[index];
        auto* label = new QLabel(this);
        label->setObjectName(QStringLiteral("label%1").arg(row.labelId));
        auto* slider = new QSlider(Qt::Horizontal, this);
        slider->setObjectName(QStringLiteral("trackbar%1").arg(row.sliderId));
        slider->setRange(row.minimum, row.maximum);
        slider->setMinimumWidth(200);
        const int gridRow = static_cast<int>(index) * 2;
        layout->addWidget(label, gridRow, 0);
        layout->addWidget(slider, gridRow + 1, 0);
        // As in the settings window: every user action and the end of a
        // drag count; positions set from the record are no action.
        connect(slider, &QSlider::actionTriggered, this, [this, &row, slider] { onSliderAction(row, *slider); });
        connect(slider, &QSlider::sliderReleased, this, [this, &row, slider] { store(row, slider->sliderPosition()); });
        slider->installEventFilter(this);
        sliders_[index] = slider;
        labels_[index] = label;
    }
    addUndoRedoActions(
        *this, [this] { record_.undo(); }, [this] { record_.redo(); });
    connect(&record_, &LiveRecord::changed, this, &LooksPanel::showRecord);
    showRecord(RecordChange{{}, true});
}

QSlider* LooksPanel::slider(std::string_view field) const
{
    return sliders_.at(lookIndex(field));
}

QLabel* LooksPanel::label(std::string_view field) const
{
    return labels_.at(lookIndex(field));
}

// Keys and the wheel come in bursts, each burst one step; a press begins a
// step of its own.
void LooksPanel::onSliderAction(const SliderRow& row, const QSlider& slider)
{
    if (pressed_ != &slider) {
        record_.markBurstStep(row.sliderId);
    }
    store(row, slider.sliderPosition());
}

void LooksPanel::store(const SliderRow& row, int position)
{
    record_.setFields({row.field}, [&](FractalParams& params) { storePosition(row, position, params); });
}

void LooksPanel::showRecord(const RecordChange& change)
{
    const FractalParams& params = record_.live();
    for (std::size_t index = 0; index < kLookRows.size(); ++index) {
        const SliderRow& row = kLookRows[index];
        const bool touched = change.wholeRecord ||
                             std::find(change.fields.begin(), change.fields.end(), row.field) != change.fields.end();
        if (!touched) {
            continue;
        }
        labels_[index]->setText(QString::fromStdString(labelText(row, params)));
        // A slider being dragged keeps the thumb where the mouse holds it.
        if (sliders_[index] != pressed_) {
            sliders_[index]->setValue(std::clamp(positionFromValue(row, params), row.minimum, row.maximum));
        }
    }
}

bool LooksPanel::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            if (pressed_ == nullptr) {
                record_.markStep();
            }
            pressed_ = qobject_cast<const QSlider*>(watched);
            break;
        case QEvent::MouseButtonRelease:
            pressed_ = nullptr;
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace tessaform
