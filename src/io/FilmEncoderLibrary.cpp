#include "io/FilmEncoderLibrary.h"

#include <dlfcn.h>

#include <string>
#include <system_error>

namespace tessaform {
namespace {

Failure unusable(const std::filesystem::path& library, const std::string& why)
{
    return Failure{"the film writer " + library.string() + " " + why + ": reinstall Tessaform"};
}

// dlerror's text, on one line.
std::string loaderError()
{
    const char* text = dlerror();
    std::string line = text != nullptr ? text : "unknown error";
    for (char& c : line) {
        if (c == '\n' || c == '\r') {
            c = ' ';
        }
    }
    return line;
}

}  // namespace

Result<const FilmEncoderEntry*> loadFilmEncoder(const std::filesystem::path& library)
{
    std::error_code error;
    if (!std::filesystem::is_regular_file(library, error)) {
        return unusable(library, "is missing");
    }
    // Never closed: the encoders it made, and FFmpeg's own state, live in it.
    void* handle = dlopen(library.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (handle == nullptr) {
        return unusable(library, "could not be loaded (" + loaderError() + ")");
    }
    const auto* entry = static_cast<const FilmEncoderEntry*>(dlsym(handle, kFilmEncoderEntrySymbol));
    if (entry == nullptr || entry->version != kFilmEncoderVersion) {
        return unusable(library, "is not this version's");
    }
    return entry;
}

}  // namespace tessaform
