#pragma once

#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "base/Result.h"
#include "io/ImageRowWriter.h"
#include "io/PngWriter.h"

namespace tessaform {

// What a file holds beyond its format's kind: the user's choice where the
// format offers one.
struct ImageEncoding {
    int bitDepth = 8;    // bits per colour channel
    bool alpha = false;  // the background transparent

    bool operator==(const ImageEncoding&) const = default;
};

// Whether a format keeps alpha.
enum class AlphaChannel { None, Optional, Always };

// One entry of a save dialog's filter list and the encoding it stands for.
struct DialogChoice {
    std::string_view filter;  // e.g. "*.png (16-bit)"
    ImageEncoding encoding;
};

struct ImageShape {
    int width = 0;
    int height = 0;
    RowOrder order = RowOrder::TopFirst;
    ImageEncoding encoding;
};

using RowWriterOpener = Result<std::unique_ptr<ImageRowWriter>> (*)(const std::string& fileName,
                                                                    const ImageShape& shape,
                                                                    std::span<const PngText> texts);

// One image file format the programs write.
struct ImageFormat {
    std::string_view name;
    // With its dot, in lower case; names match it in any case.
    std::string_view extension;
    // Whether the texts given to the writer (the parameters) reach the file.
    bool carriesParameters = false;
    RowOrder storedOrder = RowOrder::TopFirst;
    RowWriterOpener openRowWriter = nullptr;
    // Whether rows must come with their float values in this encoding;
    // null: never.
    bool (*needsDeepRows)(const ImageEncoding& encoding) = nullptr;
    // The bit depths a user may choose among; empty where the format has
    // its own (OpenEXR's half floats).
    std::span<const int> bitDepths;
    AlphaChannel alpha = AlphaChannel::None;
    // The encodings it is written in, each with its save dialog filter;
    // the first is the one a plain name gets.
    std::span<const DialogChoice> dialogChoices;

    ImageEncoding defaultEncoding() const;
    bool rowsNeedDeepValues(const ImageEncoding& encoding) const;
};

// Every format, the one a name of no known extension is written in first.
std::span<const ImageFormat* const> imageFormats();

// The format fileName's extension names, or the first format.
const ImageFormat& imageFormatFor(const std::string& fileName);

// The encoding a save dialog's filter (one of imageSaveFilters) stands for,
// e.g. 16 bits for "*.png (16-bit)".
ImageEncoding encodingForFilter(std::string_view filter);

// What a file saved through a dialog is written in: the filter's encoding
// where the name's format offers it, else that format's default, since the
// name, not the filter, picks the format.
ImageEncoding encodingForSave(const std::string& fileName, std::string_view filter);

// Every format's filters, those of initialName's format first, so that the
// dialog starts on it.
std::vector<std::string> imageSaveFilters(const std::string& initialName);

// The output names an option takes, for help texts: ".tga, or .png for a
// PNG that also carries its parameters".
std::string imageOutputChoices();

// The formats whose user may choose bitDepth, and those that keep alpha.
std::vector<const ImageFormat*> imageFormatsOffering(int bitDepth);
std::vector<const ImageFormat*> imageFormatsWithAlpha();

// Their extensions for a message: ".png or .exr".
std::string extensionsOf(std::span<const ImageFormat* const> formats);

}  // namespace tessaform
