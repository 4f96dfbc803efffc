#pragma once

#include <png.h>
#include <zlib.h>

#include <csetjmp>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "support/FileBytes.h"

namespace tessaform {

// A PNG as libpng reads it: every channel of every pixel, row by row.
struct DecodedPng {
    int width = 0;
    int height = 0;
    int bitDepth = 0;
    int colourType = 0;
    int channels = 0;
    std::vector<std::uint16_t> samples;

    std::uint16_t sample(int x, int y, int channel) const
    {
        return samples[(static_cast<std::size_t>(y) * static_cast<std::size_t>(width) + static_cast<std::size_t>(x)) *
                           static_cast<std::size_t>(channels) +
                       static_cast<std::size_t>(channel)];
    }
};

namespace png_decoding {

[[noreturn]] inline void jumpOnError(png_structp png, png_const_charp)
{
    png_longjmp(png, 1);
}

// The IDAT chunks joined, inflated by zlib on its own: it checks the stream's
// header and checksum, which libpng may pass over after the last row.
inline bool idatStreamIsWhole(const std::string& file, std::size_t inflatedSize)
{
    std::string stream;
    for (std::size_t at = 8; at + 12 <= file.size();) {
        const auto byte = [&](std::size_t i) {
            return static_cast<std::uint32_t>(static_cast<unsigned char>(file[i]));
        };
        const std::size_t length = byte(at) << 24 | byte(at + 1) << 16 | byte(at + 2) << 8 | byte(at + 3);
        if (file.compare(at + 4, 4, "IDAT") == 0) {
            stream += file.substr(at + 8, length);
        }
        at += 12 + length;
    }
    std::vector<Bytef> inflated(inflatedSize + 1);
    uLongf size = static_cast<uLongf>(inflated.size());
    return uncompress(inflated.data(), &size, reinterpret_cast<const Bytef*>(stream.data()),
                      static_cast<uLong>(stream.size())) == Z_OK &&
           size == inflatedSize;
}

inline bool readInto(std::FILE* file, DecodedPng& image, std::vector<png_byte>& row)
{
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, jumpOnError, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png)) != 0) {
        png_destroy_read_struct(&png, &info, nullptr);
        return false;
    }
    png_set_crc_action(png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
    png_set_benign_errors(png, 0);
    png_init_io(png, file);
    png_read_info(png, info);
    image.width = static_cast<int>(png_get_image_width(png, info));
    image.height = static_cast<int>(png_get_image_height(png, info));
    image.bitDepth = png_get_bit_depth(png, info);
    image.colourType = png_get_color_type(png, info);
    image.channels = png_get_channels(png, info);
    const std::size_t rowSamples = static_cast<std::size_t>(image.width) * static_cast<std::size_t>(image.channels);
    row.resize(png_get_rowbytes(png, info));
    image.samples.resize(rowSamples * static_cast<std::size_t>(image.height));
    for (int y = 0; y < image.height; ++y) {
        png_read_row(png, row.data(), nullptr);
        for (std::size_t i = 0; i < rowSamples; ++i) {
            image.samples[static_cast<std::size_t>(y) * rowSamples + i] =
                image.bitDepth == 16 ? static_cast<std::uint16_t>(row[2 * i] << 8 | row[2 * i + 1]) : row[i];
        }
    }
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return true;
}

}  // namespace png_decoding

// The file decoded through libpng, checksums and all; nothing when libpng or
// zlib refuses any of it.
inline std::optional<DecodedPng> decodePng(const std::string& path)
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return std::nullopt;
    }
    DecodedPng image;
    std::vector<png_byte> row;
    const bool read = png_decoding::readInto(file, image, row);
    std::fclose(file);
    if (!read ||
        !png_decoding::idatStreamIsWhole(fileBytes(path), static_cast<std::size_t>(image.height) * (row.size() + 1))) {
        return std::nullopt;
    }
    return image;
}

}  // namespace tessaform
