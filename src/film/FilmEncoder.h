#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "base/Result.h"
#include "film/FilmContainers.h"

namespace tessaform {

// One film to encode into a file the caller has created and will put in
// place: the encoder only writes it.
struct FilmEncoding {
    std::string file;
    // The name the user gave, for messages.
    std::string target;
    const FilmContainer* container = nullptr;
    int width = 0;
    int height = 0;
    double fps = 30.0;
    int quality = 23;
};

class FilmEncoder {
public:
    virtual ~FilmEncoder() = default;

    // One frame of 0x00RRGGBB pixels, top row first.
    virtual Result<void> writeFrame(const std::uint32_t* pixels) = 0;
    // Flushes the encoder, writes the trailer and closes the file.
    virtual Result<void> finish() = 0;
};

// What the film writer library hands out, under kFilmEncoderEntrySymbol.
// The version guards against a library left from another build.
struct FilmEncoderEntry {
    int version;
    Result<std::unique_ptr<FilmEncoder>> (*open)(const FilmEncoding& encoding);
};

inline constexpr int kFilmEncoderVersion = 1;
inline constexpr const char* kFilmEncoderEntrySymbol = "tessaform_film_encoder_entry";
inline constexpr const char* kFilmEncoderLibraryName = "libtessaform-film.so";

}  // namespace tessaform
