#include "io/ImageFormats.h"

#include <algorithm>
#include <array>
#include <cctype>

#include "io/ExrWriter.h"
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
        const bool vowel = std::string_view("AEIOU").find(format.name.front()) != std::string_view::npos;
        choice += (vowel ? " for an " : " for a ") + std::string(format.name) + " that also carries its parameters";
    }
    return choice;
}

void addDialogFilters(const ImageFormat& format, std::vector<std::string>& filters)
{
    for (const DialogChoice& choice : format.dialogChoices) {
        filters.emplace_back(choice.filter);
    }
}

template <typename Wanted>
std::vector<const ImageFormat*> formatsWhere(Wanted wanted)
{
    std::vector<const ImageFormat*> chosen;
    for (const ImageFormat* format : imageFormats()) {
        if (wanted(*format)) {
            chosen.push_back(format);
        }
    }
    return chosen;
}

}  // namespace

ImageEncoding ImageFormat::defaultEncoding() const
{
    return dialogChoices.empty() ? ImageEncoding{} : dialogChoices.front().encoding;
}

bool ImageFormat::rowsNeedDeepValues(const ImageEncoding& encoding) const
{
    return needsDeepRows != nullptr && needsDeepRows(encoding);
}

std::span<const ImageFormat* const> imageFormats()
{
    static const std::array<const ImageFormat*, 3> formats{&tgaImageFormat(), &pngImageFormat(), &exrImageFormat()};
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

ImageEncoding encodingForFilter(std::string_view filter)
{
    for (const ImageFormat* format : imageFormats()) {
        for (const DialogChoice& choice : format->dialogChoices) {
            if (choice.filter == filter) {
                return choice.encoding;
            }
        }
    }
    return {};
}

ImageEncoding encodingForSave(const std::string& fileName, std::string_view filter)
{
    const ImageFormat& format = imageFormatFor(fileName);
    const ImageEncoding chosen = encodingForFilter(filter);
    const bool offered = std::any_of(format.dialogChoices.begin(), format.dialogChoices.end(),
                                     [&](const DialogChoice& choice) { return choice.encoding == chosen; });
    return offered ? chosen : format.defaultEncoding();
}

std::vector<std::string> imageSaveFilters(const std::string& initialName)
{
    const ImageFormat& initial = imageFormatFor(initialName);
    std::vector<std::string> filters;
    addDialogFilters(initial, filters);
    for (const ImageFormat* format : imageFormats()) {
        if (format != &initial) {
            addDialogFilters(*format, filters);
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

std::vector<const ImageFormat*> imageFormatsOffering(int bitDepth)
{
    return formatsWhere([&](const ImageFormat& format) {
        return std::find(format.bitDepths.begin(), format.bitDepths.end(), bitDepth) != format.bitDepths.end();
    });
}

std::vector<const ImageFormat*> imageFormatsWithAlpha()
{
    return formatsWhere([](const ImageFormat& format) { return format.alpha != AlphaChannel::None; });
}

std::string extensionsOf(std::span<const ImageFormat* const> formats)
{
    std::string names;
    for (std::size_t index = 0; index < formats.size(); ++index) {
        if (index > 0) {
            names += index + 1 == formats.size() ? " or " : ", ";
        }
        names += formats[index]->extension;
    }
    return names;
}

}  // namespace tessaform
