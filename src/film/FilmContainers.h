#pragma once

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <iterator>
#include <string>
#include <string_view>

namespace tessaform {

struct VideoCodec {
    const char* encoder;
    const char* name;
    int worstQuality;
    const char* options;
};

// x264's balanced preset; VP9 spreads the rows of each frame over threads,
// which it otherwise would not.
inline constexpr VideoCodec kH264{"libx264", "H.264", 51, "preset=medium"};
inline constexpr VideoCodec kVp9{"libvpx-vp9", "VP9", 63, "row-mt=1"};

struct FilmContainer {
    std::string_view extension;
    const char* muxer;
    const VideoCodec* codec;
    const char* options;
};

// An MP4's index goes to the front, so that playback can start before the
// whole file has arrived.
inline constexpr FilmContainer kFilmContainers[] = {
    {".mp4", "mp4", &kH264, "movflags=+faststart"},
    {".mkv", "matroska", &kH264, ""},
    {".webm", "webm", &kVp9, ""},
};

// The container a film's name asks for by its extension, in any case; null
// for a name that is not a film's.
inline const FilmContainer* filmContainerFor(const std::string& path)
{
    std::string extension = std::filesystem::path(path).extension().string();
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    const auto* found = std::find_if(std::begin(kFilmContainers), std::end(kFilmContainers),
                                     [&](const FilmContainer& container) { return container.extension == extension; });
    return found != std::end(kFilmContainers) ? found : nullptr;
}

}  // namespace tessaform
