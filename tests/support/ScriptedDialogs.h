#pragma once

#include <string>
#include <vector>

#include "ui/SystemDialogs.h"

namespace tessaform {

// Answers the system dialogs as a test script says, and remembers what
// was asked.
class ScriptedDialogs : public SystemDialogs {
public:
    std::optional<std::uint32_t> chooseColour(std::uint32_t initial, std::array<std::uint32_t, 16>&) override
    {
        initialColour = initial;
        return confirmUnchanged ? initial : colourAnswer;
    }

    std::optional<std::string> chooseFileToOpen(const FileDialogRequest& request) override
    {
        openRequest = request;
        return fileAnswer;
    }

    std::optional<SaveChoice> chooseFileToSave(const FileDialogRequest& request) override
    {
        saveRequest = request;
        ++saveRequests;
        if (!fileAnswer) {
            return std::nullopt;
        }
        return SaveChoice{*fileAnswer, filterAnswer.empty() ? request.filters.front() : filterAnswer};
    }

    void showMessage(const std::string& text) override { messages.push_back(text); }

    bool confirmUnchanged = false;
    std::optional<std::uint32_t> colourAnswer;
    std::uint32_t initialColour = 0;
    std::optional<std::string> fileAnswer;
    std::string filterAnswer;  // empty: the first filter offered
    FileDialogRequest openRequest;
    FileDialogRequest saveRequest;
    int saveRequests = 0;
    std::vector<std::string> messages;
};

}  // namespace tessaform
