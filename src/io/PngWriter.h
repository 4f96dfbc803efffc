#pragma once

#include <string>

namespace tessaform {

// One text chunk: a Latin-1 keyword of 1 to 79 characters and its text,
// deflated (zTXt) when compressed, plain (tEXt) otherwise.
struct PngText {
    std::string keyword;
    std::string text;
    bool compressed = false;
};

struct ImageFormat;

// 8- or 16-bit RGB, or RGBA with the background transparent, written row by
// row, top row first, with the text chunks before the pixels: the format that
// carries an image's parameters.
const ImageFormat& pngImageFormat();

}  // namespace tessaform
