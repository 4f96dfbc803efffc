#pragma once

class QSize;

namespace tessaform {

// Whether an image of this size fits the image reader's allocation limit,
// which guards against decompression bombs. Applied to the full size even
// where a decoder would allocate less (a clipped read), and before any
// decoding starts.
bool fitsAllocationLimit(const QSize& size);

}  // namespace tessaform
