#include "ui/KeyTable.h"

#include <QHeaderView>
#include <QSignalBlocker>
#include <string>

#include "anim/KeyEdits.h"

namespace tessaform {
namespace {

enum Column { kFrameColumn, kChangesColumn };

QString changesText(const Animation& animation, std::size_t index)
{
    const std::vector<std::string_view> names = changedFields(animation, index);
    if (names.empty()) {
        return index == 0 ? QStringLiteral("defaults") : QStringLiteral("no change");
    }
    std::string text;
    for (const std::string_view name : names) {
        text.append(text.empty() ? "" : ", ").append(name);
    }
    return QString::fromStdString(text);
}

QTableWidgetItem* frameItem(int frame)
{
    auto* item = new QTableWidgetItem;
    // A number, so that the editor is a spin box.
    item->setData(Qt::EditRole, frame);
    return item;
}

QTableWidgetItem* changesItem(const QString& text)
{
    auto* item = new QTableWidgetItem(text);
    item->setFlags(item->flags() & ~Qt::ItemIsEditable);
    item->setToolTip(text);
    return item;
}

}  // namespace

KeyTable::KeyTable(QWidget* parent) : QTableWidget(0, 2, parent)
{
    setObjectName(QStringLiteral("keys"));
    setHorizontalHeaderLabels({QStringLiteral("Frame"), QStringLiteral("Changes")});
    horizontalHeader()->setStretchLastSection(true);
    verticalHeader()->hide();
    // Rows as tall as their text or chooser, so that more keys show at once.
    verticalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed);
    // Told once the editor has closed: the keys are then shown anew, which
    // replaces the edited item.
    connect(this, &QTableWidget::itemChanged, this, [this](QTableWidgetItem* item) {
        if (item->column() != kFrameColumn) {
            return;
        }
        const auto index = static_cast<std::size_t>(item->row());
        const int frame = item->data(Qt::EditRole).toInt();
        QMetaObject::invokeMethod(
            this, [this, index, frame] { emit frameEdited(index, frame); }, Qt::QueuedConnection);
    });
}

void KeyTable::showKeys(const Animation& animation, std::optional<int> selectedFrame)
{
    const QSignalBlocker blocker(this);
    setRowCount(static_cast<int>(animation.keys.size()));
    for (std::size_t index = 0; index < animation.keys.size(); ++index) {
        const int row = static_cast<int>(index);
        setItem(row, kFrameColumn, frameItem(animation.keys[index].frame));
        setItem(row, kChangesColumn, changesItem(changesText(animation, index)));
    }
    selectKey(selectedFrame ? keyAtFrame(animation, *selectedFrame) : std::nullopt);
}

void KeyTable::selectKey(std::optional<std::size_t> index)
{
    const QSignalBlocker blocker(this);
    clearSelection();
    if (index) {
        selectRow(static_cast<int>(*index));
    }
}

std::optional<std::size_t> KeyTable::selectedKey() const
{
    const QModelIndexList rows = selectionModel()->selectedRows();
    if (rows.isEmpty()) {
        return std::nullopt;
    }
    return static_cast<std::size_t>(rows.front().row());
}

}  // namespace tessaform
