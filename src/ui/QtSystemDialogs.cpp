#include "ui/QtSystemDialogs.h"

#include <QColorDialog>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

namespace tessaform {
namespace {

// Each pattern also in capitals, and JPEG's longer extension beside its
// short one: names from cameras and other systems.
QStringList patternsOf(const QString& description)
{
    QStringList patterns;
    const QString withoutNote = description.section(QStringLiteral(" ("), 0, 0);
    for (const QString& pattern : withoutNote.split(';')) {
        patterns << pattern;
        if (pattern == QStringLiteral("*.jpg")) {
            patterns << QStringLiteral("*.jpeg");
        }
    }
    for (const QString& pattern : QStringList(patterns)) {
        if (pattern.toUpper() != pattern) {
            patterns << pattern.toUpper();
        }
    }
    return patterns;
}

std::optional<std::string> chosenPath(const QString& path)
{
    if (path.isEmpty()) {
        return std::nullopt;
    }
    return QFile::encodeName(path).toStdString();
}

}  // namespace

std::string requestedFilter(const std::vector<std::string>& filters, const QString& selected)
{
    for (const std::string& filter : filters) {
        if (fileDialogFilter({filter}) == selected) {
            return filter;
        }
    }
    return filters.front();
}

// Qt separates patterns with blanks where the description uses ';', and
// filters with ";;".
QString fileDialogFilter(const std::vector<std::string>& filters)
{
    QStringList texts;
    for (const std::string& filter : filters) {
        const QString description = QString::fromStdString(filter);
        texts.append(description + " (" + patternsOf(description).join(' ') + ")");
    }
    return texts.join(";;");
}

std::optional<std::uint32_t> QtSystemDialogs::chooseColour(std::uint32_t initial,
                                                           std::array<std::uint32_t, 16>& customColours)
{
    for (int index = 0; index < QColorDialog::customCount(); ++index) {
        QColorDialog::setCustomColor(index, QColor::fromRgb(customColours[static_cast<std::size_t>(index)]));
    }
    const QColor chosen = QColorDialog::getColor(QColor::fromRgb(initial), owner_);
    for (int index = 0; index < QColorDialog::customCount(); ++index) {
        customColours[static_cast<std::size_t>(index)] = QColorDialog::customColor(index).rgb() & 0xFFFFFFu;
    }
    if (!chosen.isValid()) {
        return std::nullopt;
    }
    return chosen.rgb() & 0xFFFFFFu;
}

// The filters show their descriptions alone, without the longer pattern
// lists behind them.
std::optional<std::string> QtSystemDialogs::chooseFileToOpen(const FileDialogRequest& request)
{
    return chosenPath(QFileDialog::getOpenFileName(owner_, QString(), QString::fromStdString(request.initialName),
                                                   fileDialogFilter(request.filters), nullptr,
                                                   QFileDialog::HideNameFilterDetails));
}

std::optional<SaveChoice> QtSystemDialogs::chooseFileToSave(const FileDialogRequest& request)
{
    QString selected = fileDialogFilter({request.filters.front()});
    const std::optional<std::string> path = chosenPath(
        QFileDialog::getSaveFileName(owner_, QString(), QString::fromStdString(request.initialName),
                                     fileDialogFilter(request.filters), &selected, QFileDialog::HideNameFilterDetails));
    if (!path) {
        return std::nullopt;
    }
    return SaveChoice{*path, requestedFilter(request.filters, selected)};
}

void QtSystemDialogs::showMessage(const std::string& text)
{
    // An empty title would be replaced by the program's name; a blank is as
    // near to no caption as the window system allows.
    QMessageBox box(QMessageBox::NoIcon, QStringLiteral(" "), QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
}

}  // namespace tessaform
