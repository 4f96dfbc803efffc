#pragma once

namespace tessaform {

// Image decoders chatter on stderr about broken files ("libpng error: ...");
// the command reports such failures in its own single line instead.
void silenceToolkitMessages();

}  // namespace tessaform
