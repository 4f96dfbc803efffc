#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tessaform {

struct FileDialogRequest {
    // Each both the filter's description and its patterns, e.g. "*.j4d" or
    // "*.bmp;*.png", perhaps with a note, "*.png (16-bit)"; the first is
    // chosen at the start.
    std::vector<std::string> filters;
    std::string initialName;
};

// A file chosen to save, and the filter the user left the dialog on, which
// may say more than the name does (e.g. "*.png (16-bit)").
struct SaveChoice {
    std::string path;
    std::string filter;
};

// The system's own dialogs, behind an interface so that every command can
// run without a person in front of the screen.
class SystemDialogs {
public:
    virtual ~SystemDialogs() = default;

    // Colours are 0x00RRGGBB. customColours is read and written back, so
    // the user's custom colours last for the run.
    virtual std::optional<std::uint32_t> chooseColour(std::uint32_t initial,
                                                      std::array<std::uint32_t, 16>& customColours) = 0;
    // The file must exist.
    virtual std::optional<std::string> chooseFileToOpen(const FileDialogRequest& request) = 0;
    // Asks before replacing an existing file; adds no extension.
    virtual std::optional<SaveChoice> chooseFileToSave(const FileDialogRequest& request) = 0;
    // A modal box with no caption and an OK button.
    virtual void showMessage(const std::string& text) = 0;
};

}  // namespace tessaform
