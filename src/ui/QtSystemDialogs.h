#pragma once

#include <QWidget>

#include "ui/SystemDialogs.h"

namespace tessaform {

// The filter text of a Qt file dialog for the filters of a request: each
// description "*.bmp;*.jpg" with the patterns it stands for, which also take
// the extensions in capitals and ".jpeg".
QString fileDialogFilter(const std::vector<std::string>& filters);
// The one of filters that the dialog's selected filter text shows; the
// first when none does.
std::string requestedFilter(const std::vector<std::string>& filters, const QString& selected);

class QtSystemDialogs : public SystemDialogs {
public:
    // owner: the window the file and colour dialogs belong to.
    explicit QtSystemDialogs(QWidget* owner = nullptr) : owner_(owner) {}

    void setOwner(QWidget* owner) { owner_ = owner; }

    std::optional<std::uint32_t> chooseColour(std::uint32_t initial,
                                              std::array<std::uint32_t, 16>& customColours) override;
    std::optional<std::string> chooseFileToOpen(const FileDialogRequest& request) override;
    std::optional<SaveChoice> chooseFileToSave(const FileDialogRequest& request) override;
    void showMessage(const std::string& text) override;

private:
    QWidget* owner_;
};

}  // namespace tessaform
