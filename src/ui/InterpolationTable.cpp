#include "ui/InterpolationTable.h"

#include <QComboBox>
#include <QHeaderView>
#include <array>

#include "anim/KeyEdits.h"

namespace tessaform {
namespace {

// In the order the combo boxes list them.
constexpr std::array<std::pair<Interpolation, const char*>, 3> kModes{{
    {Interpolation::Smooth, "smooth"},
    {Interpolation::Linear, "linear"},
    {Interpolation::Step, "step"},
}};

constexpr int kRowsShown = 6;

}  // namespace

InterpolationTable::InterpolationTable(QWidget* parent) : QTableWidget(0, 2, parent)
{
    setObjectName(QStringLiteral("interpolation"));
    setHorizontalHeaderLabels({QStringLiteral("Field"), QStringLiteral("Moves")});
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    // Rows as tall as their text or chooser, so that more keys show at once.
    verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
}

void InterpolationTable::showModes(const Animation& animation)
{
    const std::vector<const ParamField*> fields = movingFields(animation);
    setRowCount(static_cast<int>(fields.size()));
    for (std::size_t index = 0; index < fields.size(); ++index) {
        const ParamField& field = *fields[index];
        const int row = static_cast<int>(index);
        setItem(row, 0,
                new QTableWidgetItem(QString::fromUtf8(field.name.data(), static_cast<int>(field.name.size()))));
        setCellWidget(row, 1, modeChooser(field, animation.interpolation[static_cast<std::size_t>(field.slot)]));
    }
}

// Rows are as tall as a chooser, whether or not any is shown yet.
QSize InterpolationTable::sizeHint() const
{
    const int rowHeight = QComboBox().sizeHint().height() + (showGrid() ? 1 : 0);
    return {QTableWidget::sizeHint().width(),
            horizontalHeader()->sizeHint().height() + kRowsShown * rowHeight + 2 * frameWidth()};
}

QWidget* InterpolationTable::modeChooser(const ParamField& field, Interpolation mode)
{
    auto* chooser = new QComboBox;
    chooser->setObjectName(QString::fromUtf8(field.name.data(), static_cast<int>(field.name.size())));
    for (const auto& [value, name] : kModes) {
        if (!fieldOnlySteps(field) || value == Interpolation::Step) {
            chooser->addItem(QString::fromLatin1(name), static_cast<int>(value));
        }
    }
    chooser->setCurrentIndex(chooser->findData(static_cast<int>(mode)));
    chooser->setEnabled(!fieldOnlySteps(field));
    connect(chooser, &QComboBox::activated, this, [this, &field, chooser] {
        emit modeChosen(field, static_cast<Interpolation>(chooser->currentData().toInt()));
    });
    return chooser;
}

}  // namespace tessaform
