#pragma once

#include <QWidget>

#include "ui/SystemDialogs.h"

namespace tessaform {

class QtSystemDialogs : public SystemDialogs {
public:
    // owner: the window the file and colour dialogs belong to.
    explicit QtSystemDialogs(QWidget* owner = nullptr) : owner_(owner) {}

    void setOwner(QWidget* owner) { owner_ = owner; }

    std::optional<std::uint32_t> chooseColour(std::uint32_t initial,
                                              std::array<std::uint32_t, 16>& customColours) override;
    std::optional<std::string> chooseFileToOpen(const FileDialogRequest& request) override;
    std::optional<std::string> chooseFileToSave(const FileDialogRequest& request) override;
    void showMessage(const std::string& text) override;

private:
    QWidget* owner_;
};

}  // namespace tessaform
