#include "jobs/ImageMetadata.h"

#include <algorithm>
#include <cstdio>
#include <string_view>

#include "io/ExrTextReader.h"
#include "io/PngTextReader.h"
#include "jobs/ProgramTitle.h"
#include "params/ParamText.h"

namespace tessaform {
namespace {

// The one chunk with the keyword; a second one would leave it open which
// of the two the image was rendered from.
Result<std::string_view> onlyText(std::span<const PngText> texts, std::string_view keyword)
{
    const PngText* found = nullptr;
    for (const PngText& text : texts) {
        if (text.keyword == keyword) {
            if (found != nullptr) {
                return Failure{std::string(keyword) + " is given twice"};
            }
            found = &text;
        }
    }
    if (found == nullptr) {
        return Failure{"the image carries no " + std::string(keyword)};
    }
    return std::string_view(found->text);
}

bool startsWith(const std::string& path, bool (*recognised)(std::FILE*))
{
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        return false;
    }
    const bool found = recognised(file);
    std::fclose(file);
    return found;
}

}  // namespace

std::vector<PngText> imageMetadata(const FractalParams& params, const Gradient& gradient)
{
    return {
        {kSoftwareKeyword, programNameAndVersion(), false},
        {kParamsKeyword, paramsAsText(params), false},
        {kGradientKeyword, gradientAsHex(gradient), true},
    };
}

Result<ImageParams> imageParamsFromTexts(std::span<const PngText> texts)
{
    const Result<std::string_view> paramsText = onlyText(texts, kParamsKeyword);
    if (!paramsText) {
        return Failure{paramsText.error()};
    }
    const Result<std::string_view> gradientText = onlyText(texts, kGradientKeyword);
    if (!gradientText) {
        return Failure{gradientText.error()};
    }
    Result<FractalParams> params = paramsFromText(*paramsText);
    if (!params) {
        return Failure{params.error()};
    }
    Result<Gradient> gradient = gradientFromHex(*gradientText);
    if (!gradient) {
        return Failure{gradient.error()};
    }
    return ImageParams{*params, std::make_shared<const Gradient>(std::move(gradient).value())};
}

Result<ImageParams> readImageParams(const std::string& path)
{
    const std::string context = "Could not read parameters from " + path + ": ";
    const Result<std::vector<PngText>> texts = isExrFile(path) ? readExrTexts(path) : readPngTexts(path);
    if (!texts) {
        return Failure{context + texts.error()};
    }
    Result<ImageParams> params = imageParamsFromTexts(*texts);
    if (!params) {
        return Failure{context + params.error()};
    }
    return params;
}

bool isPngFile(const std::string& path)
{
    return startsWith(path, startsWithPngSignature);
}

bool isExrFile(const std::string& path)
{
    return startsWith(path, startsWithExrMagic);
}

bool isParameterImage(const std::string& path)
{
    return isPngFile(path) || isExrFile(path);
}

bool carriesParameters(const std::string& path)
{
    const Result<std::vector<PngText>> texts = readPngTexts(path);
    if (!texts) {
        return true;
    }
    return std::any_of(texts->begin(), texts->end(),
                       [](const PngText& text) { return text.keyword == kParamsKeyword; });
}

}  // namespace tessaform
