#pragma once

namespace tessaform {

struct ImageFormat;

// OpenEXR for compositing: premultiplied linear RGBA as half floats, depth
// (Z) and world-space normals (N.X, N.Y, N.Z) as floats, ZIP-compressed
// blocks of 16 rows written as they fill, and each text as a string
// attribute. Rows must come top first, with their float values.
const ImageFormat& exrImageFormat();

}  // namespace tessaform
