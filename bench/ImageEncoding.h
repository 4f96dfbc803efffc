#pragma once

namespace tessaform::bench {

// Writing a rendered 2048 x 1536 image as TGA, PNG, and 16-bit PNG with
// alpha, to a temporary file: megapixels a second and the file's size.
void registerImageEncodingBenchmarks();

}  // namespace tessaform::bench
