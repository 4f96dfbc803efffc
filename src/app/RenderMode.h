#pragma once

namespace tessaform {

// Preview renders draw into the dialog's panel; high-quality renders into
// a window of their own, and save a file when they finish.
enum class RenderMode { Preview, HighQuality };

}  // namespace tessaform
