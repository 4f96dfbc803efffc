#include "params/ParamText.h"

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <limits>

#include "params/ParamFields.h"
#include "params/PrintableText.h"

namespace tessaform {
namespace {

constexpr std::string_view kNanPrefix = "nan(0x";
constexpr std::size_t kNanDigits = 8;
constexpr std::string_view kHexDigits = "0123456789abcdef";

std::string nanText(float value)
{
    std::array<char, kNanDigits + 1> digits{};
    std::snprintf(digits.data(), digits.size(), "%08x", std::bit_cast<std::uint32_t>(value));
    return std::string(kNanPrefix) + digits.data() + ")";
}

Result<float> parseNanText(std::string_view text)
{
    if (text.size() != kNanPrefix.size() + kNanDigits + 1 || text.back() != ')') {
        return Failure{"bad number '" + printableText(text) + "'"};
    }
    std::uint32_t bits = 0;
    const char* begin = text.data() + kNanPrefix.size();
    const char* end = begin + kNanDigits;
    const auto [stop, error] = std::from_chars(begin, end, bits, 16);
    const float value = std::bit_cast<float>(bits);
    if (error != std::errc() || stop != end || !std::isnan(value)) {
        return Failure{"bad number '" + printableText(text) + "'"};
    }
    return value;
}

Result<std::int32_t> parseExactInteger(std::string_view text)
{
    std::int32_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end) {
        return Failure{"bad whole number '" + printableText(text) + "'"};
    }
    return value;
}

std::string slotText(const FractalParams& params, const ParamField& field)
{
    if (field.kind == FieldKind::Integer) {
        return std::to_string(readIntegerSlot(params, field.slot));
    }
    return exactFloatText(readFloatSlot(params, field.slot));
}

Result<void> storeSlotText(FractalParams& params, const ParamField& field, std::string_view text)
{
    if (field.kind == FieldKind::Integer) {
        const Result<std::int32_t> value = parseExactInteger(text);
        if (!value) {
            return Failure{std::string(field.name) + ": " + value.error()};
        }
        writeIntegerSlot(params, field.slot, *value);
        return {};
    }
    const Result<float> value = parseExactFloat(text);
    if (!value) {
        return Failure{std::string(field.name) + ": " + value.error()};
    }
    writeFloatSlot(params, field.slot, *value);
    return {};
}

// A look at its default is left out, so that a record with the looks off
// reads and writes exactly as before the looks existed.
bool carriedAsText(const FractalParams& params, const ParamField& field)
{
    static const FractalParams defaults = defaultParams();
    return !isLookSlot(field.slot) || std::bit_cast<std::uint32_t>(readFloatSlot(params, field.slot)) !=
                                          std::bit_cast<std::uint32_t>(readFloatSlot(defaults, field.slot));
}

int hexValue(char digit)
{
    const std::size_t at = kHexDigits.find(digit);
    return at == std::string_view::npos ? -1 : static_cast<int>(at);
}

}  // namespace

std::string exactFloatText(float value)
{
    if (std::isnan(value)) {
        return nanText(value);
    }
    std::array<char, 32> buffer{};
    const auto [end, error] = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), end);
}

Result<float> parseExactFloat(std::string_view text)
{
    if (text.starts_with(kNanPrefix)) {
        return parseNanText(text);
    }
    float value = 0.0f;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop != end || std::isnan(value)) {
        return Failure{"bad number '" + printableText(text) + "'"};
    }
    return value;
}

Result<float> parseTypedFloat(std::string_view text)
{
    if (text == "nan" || text == "-nan") {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        return text.front() == '-' ? -nan : nan;
    }
    return parseExactFloat(text);
}

std::string paramsAsText(const FractalParams& params)
{
    std::string text;
    for (const ParamField& field : paramFields()) {
        if (!carriedAsText(params, field)) {
            continue;
        }
        text.append(field.name);
        text.push_back('=');
        text.append(slotText(params, field));
        text.push_back('\n');
    }
    return text;
}

Result<FractalParams> paramsFromText(std::string_view text)
{
    FractalParams params = defaultParams();
    std::array<bool, kParamSlotCount> seen{};
    while (!text.empty()) {
        const std::size_t lineEnd = text.find('\n');
        if (lineEnd == std::string_view::npos) {
            return Failure{"the parameters end in the middle of a line"};
        }
        const std::string_view line = text.substr(0, lineEnd);
        text.remove_prefix(lineEnd + 1);
        const std::size_t equals = line.find('=');
        const ParamField* field = equals == std::string_view::npos ? nullptr : findParamField(line.substr(0, equals));
        if (field == nullptr) {
            return Failure{"unknown parameter line '" + printableText(line.substr(0, 40)) + "'"};
        }
        if (seen[static_cast<std::size_t>(field->slot)]) {
            return Failure{std::string(field->name) + " is given twice"};
        }
        seen[static_cast<std::size_t>(field->slot)] = true;
        if (const Result<void> stored = storeSlotText(params, *field, line.substr(equals + 1)); !stored) {
            return Failure{stored.error()};
        }
    }
    for (const ParamField& field : paramFields()) {
        if (!seen[static_cast<std::size_t>(field.slot)] && !isLookSlot(field.slot)) {
            return Failure{std::string(field.name) + " is missing"};
        }
    }
    if (params.power < 2 || params.power > 5) {
        return Failure{"power must be 2, 3, 4 or 5, not " + std::to_string(params.power)};
    }
    return params;
}

std::string gradientAsHex(const Gradient& gradient)
{
    std::string hex;
    hex.reserve(static_cast<std::size_t>(gradient.count()) * 6);
    for (const Colour& colour : gradient.entries()) {
        for (const float channel : {colour.r, colour.g, colour.b}) {
            const auto byte = static_cast<unsigned>(std::lround(channel * 255.0f));
            hex.push_back(kHexDigits[(byte >> 4) & 0xFu]);
            hex.push_back(kHexDigits[byte & 0xFu]);
        }
    }
    return hex;
}

Result<Gradient> gradientFromHex(std::string_view hex)
{
    if (hex.size() % 6 != 0) {
        return Failure{"the gradient is cut short"};
    }
    std::vector<std::uint8_t> rgb;
    rgb.reserve(hex.size() / 2);
    for (std::size_t at = 0; at < hex.size(); at += 2) {
        const int high = hexValue(hex[at]);
        const int low = hexValue(hex[at + 1]);
        if (high < 0 || low < 0) {
            return Failure{"the gradient holds a character that is not a hex digit"};
        }
        rgb.push_back(static_cast<std::uint8_t>(high << 4 | low));
    }
    return gradientFromRgbBytes(rgb);
}

}  // namespace tessaform
