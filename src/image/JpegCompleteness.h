#pragma once

class QIODevice;

namespace tessaform {

// A JPEG cut short still decodes, with the missing part made up as flat
// grey, so a file cut within its top row would give invented colours. The
// file is whole when its segments, followed from the start, reach the
// end-of-image marker.
bool jpegReachesItsEnd(QIODevice& device);

}  // namespace tessaform
