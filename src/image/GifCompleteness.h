#pragma once

class QIODevice;

namespace tessaform {

// The first frame is what the decoder gives; it must cover the screen (or
// bring no colour table of its own) and be whole.
bool gifFirstFrameIsUsable(QIODevice& device);

}  // namespace tessaform
