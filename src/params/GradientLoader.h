#pragma once

#include <functional>
#include <string>

#include "params/Gradient.h"

namespace tessaform {

using MessageSink = std::function<void(const std::string& message)>;

inline constexpr const char* kCouldNotLoadImage = "Could not load image";

// Builds a table from the top row of the image at path and publishes it in
// slot. On failure the message goes to showMessage and the old table stays.
// Returns whether a new table was published.
bool loadGradient(const std::string& path, GradientSlot& slot, const MessageSink& showMessage);

}  // namespace tessaform
