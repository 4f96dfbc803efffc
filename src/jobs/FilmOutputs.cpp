#include "jobs/FilmOutputs.h"

#include <algorithm>

#include "io/AtomicReplace.h"
#include "io/ImageFormats.h"
#include "io/VideoWriter.h"

namespace tessaform {

Result<FilmOutputs> planFilmOutputs(const std::vector<std::string>& names, std::size_t frameCount)
{
    FilmOutputs outputs;
    for (const std::string& name : names) {
        if (namesVideo(name)) {
            outputs.films.push_back(name);
            continue;
        }
        Result<FrameNames> pattern = FrameNames::parse(name);
        if (!pattern) {
            return Failure{pattern.error()};
        }
        if (!pattern->numbered() && frameCount > 1) {
            return Failure{name + " names one file for " + std::to_string(frameCount) +
                           " frames; put a frame number in it, such as julia_%05d.png"};
        }
        outputs.images.push_back({*pattern, imageFormatFor(name).defaultEncoding()});
    }
    return outputs;
}

std::vector<std::string> filmOutputSaveFilters(const std::string& initialName)
{
    std::vector<std::string> filters = imageSaveFilters(initialName);
    const std::vector<std::string> films = filmSaveFilters();
    filters.insert(filters.end(), films.begin(), films.end());
    return filters;
}

Result<void> checkFilmOutputs(const FilmOutputs& outputs, const std::vector<int>& frames)
{
    // Frame numbers are not negative, so the largest has the longest name.
    const int firstFrame = frames.front();
    const int largestFrame = *std::max_element(frames.begin(), frames.end());
    for (const FrameImages& images : outputs.images) {
        for (const int frame : {firstFrame, largestFrame}) {
            if (Result<void> writable = checkReplaceable(images.names.nameFor(frame)); !writable) {
                return writable;
            }
        }
    }
    for (const std::string& film : outputs.films) {
        if (Result<void> writable = checkReplaceable(film); !writable) {
            return writable;
        }
    }
    return {};
}

}  // namespace tessaform
