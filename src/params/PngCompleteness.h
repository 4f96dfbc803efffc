#pragma once

class QIODevice;

namespace tessaform {

// Within the decoder's size limit and followed by its chunks to the end
// chunk, so that libpng has nothing to complain of on stderr.
bool pngIsWholeAndDecodable(QIODevice& device);

}  // namespace tessaform
