#pragma once

namespace tessaform {

// Row-major 4 x 4 matrix for row vectors (v' = v * M): element (i, j) is
// m[4 * i + j], and a translation would sit in row 3.
struct Matrix4 {
    float m[16];

    float at(int row, int column) const { return m[4 * row + column]; }
    float& at(int row, int column) { return m[4 * row + column]; }
};

}  // namespace tessaform
