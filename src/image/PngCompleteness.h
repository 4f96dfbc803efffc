#pragma once

class QIODevice;

namespace tessaform {

// Within the decoder's size limits, followed by its chunks to the end chunk
// and decoded whole without an error, so that libpng has nothing to
// complain of on stderr when the decoder reads it.
bool pngIsWholeAndDecodable(QIODevice& device);

}  // namespace tessaform
