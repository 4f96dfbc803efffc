#pragma once

#include <memory>
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

    // The save dialog's filter, e.g. "*.tga".
    std::string dialogFilter() const;
};

// Every format, the one a name of no known extension is written in first.
std::span<const ImageFormat* const> imageFormats();

// The format fileName's extension names, or the first format.
const ImageFormat& imageFormatFor(const std::string& fileName);

// The encoding a save dialog's filter (one of imageSaveFilters) stands for,
// e.g. 16 bits for "*.png (16-bit)".
ImageEncoding encodingForFilter(std::string_view filter);

// Every format's filter, the one initialName is written in first, so that
// the dialog starts on it.
std::vector<std::string> imageSaveFilters(const std::string& initialName);

// The output names an option takes, for help texts: ".tga, or .png for a
// PNG that also carries its parameters".
std::string imageOutputChoices();

}  // namespace tessaform
