#include "io/ImageFormats.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "io/PngWriter.h"
#include "io/TgaWriter.h"

namespace tessaform {
namespace {

bool endsWithInAnyCase(const std::string& name, std::string_view lowerCaseEnding)
{
    if (name.size() < lowerCaseEnding.size()) {
        return false;
    }
    return std::equal(lowerCaseEnding.begin(), lowerCaseEnding.end(), name.end() - lowerCaseEnding.size(),
                      [](char a, char b) { return a == std::tolower(static_cast<unsigned char>(b)); });
}

std::string outputChoice(const ImageFormat& format)
{
    std::string choice(format.extension);
    if (format.carriesParameters) {
        choice += " for a " + std::string(format.name) + " that also carries its parameters";
    }
    return choice;
}

}  // namespace

std::string ImageFormat::dialogFilter() const
{
    std::string filter = "*";
    filter += extension;
    return filter;
}

std::span<const ImageFormat* const> imageFormats()
{
    static const std::array<const ImageFormat*, 2> formats{&tgaImageFormat(), &pngImageFormat()};
    return formats;
}

const ImageFormat& imageFormatFor(const std::string& fileName)
{
    const auto formats = imageFormats();
    const auto named = std::find_if(formats.begin(), formats.end(), [&](const ImageFormat* format) {
        return endsWithInAnyCase(fileName, format->extension);
    });
    return named != formats.end() ? **named : *formats.front();
}

ImageEncoding encodingForFilter(std::string_view)
{
    return {};
}

std::vector<std::string> imageSaveFilters(const std::string& initialName)
{
    const ImageFormat& initial = imageFormatFor(initialName);
    std::vector<std::string> filters{initial.dialogFilter()};
    for (const ImageFormat* format : imageFormats()) {
        if (format != &initial) {
            filters.push_back(format->dialogFilter());
        }
    }
    return filters;
}

std::string imageOutputChoices()
{
    const auto formats = imageFormats();
    std::string choices;
    for (std::size_t index = 0; index < formats.size(); ++index) {
        if (index > 0) {
            choices += index + 1 == formats.size() ? ", or " : ", ";
        }
        choices += outputChoice(*formats[index]);
    }
    return choices;
}

}  // namespace tessaform
