#pragma once

namespace tessaform {

// Preview renders draw into the dialog's panel; high-quality renders into
// a window of their own, and save a file when they finish; film renders
// draw every frame of an animation into such a window, writing each.
enum class RenderMode { Preview, HighQuality, Film };

}  // namespace tessaform
