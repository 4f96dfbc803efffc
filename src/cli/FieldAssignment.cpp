#include "cli/FieldAssignment.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "params/ParamFields.h"
#include "params/ParamText.h"
#include "render/Renderer.h"

namespace tessaform {
namespace {

template <typename Number>
struct ParsedNumber {
    Number value{};
    std::errc error = std::errc::invalid_argument;
};

// from_chars ignores the locale, so "0.5" means one half everywhere. The
// whole text must be the number.
template <typename Number>
ParsedNumber<Number> parseWhole(std::string_view text)
{
    ParsedNumber<Number> parsed;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, parsed.value);
    parsed.error = stop == end ? error : std::errc::invalid_argument;
    return parsed;
}

std::string quoted(std::string_view text)
{
    std::string result(1, '\'');
    result.append(text);
    result.push_back('\'');
    return result;
}

template <typename Number>
std::string describeBadNumber(const ParamField& field, std::string_view text, const ParsedNumber<Number>& parsed)
{
    if (parsed.error == std::errc::result_out_of_range) {
        return quoted(text) + " is out of range for " + std::string(field.name);
    }
    const char* kind = field.kind == FieldKind::Integer ? " takes a whole number, not " : " takes a number, not ";
    return std::string(field.name) + kind + quoted(text);
}

Result<FieldAssignment> parseIntegerField(const ParamField& field, std::string_view text)
{
    const auto number = parseWhole<std::int32_t>(text);
    if (number.error != std::errc()) {
        return Failure{describeBadNumber(field, text, number)};
    }
    if (field.name == "power" && !isSupportedPower(number.value)) {
        return Failure{"power must be 2, 3, 4 or 5, not " + std::to_string(number.value)};
    }
    return FieldAssignment{field.slot, number.value};
}

// A NaN keeps the bits its text names, read as keyframe files read it; of
// the other spellings from_chars takes, only the plain nan and -nan are kept.
Result<FieldAssignment> parseFloatField(const ParamField& field, std::string_view text)
{
    const auto number = parseWhole<float>(text);
    if (number.error != std::errc()) {
        return Failure{describeBadNumber(field, text, number)};
    }
    if (!std::isnan(number.value)) {
        return FieldAssignment{field.slot, number.value};
    }
    const Result<float> nan = parseTypedFloat(text);
    if (!nan) {
        return Failure{std::string(field.name) + " takes a number, not " + quoted(text) +
                       " (a NaN is written nan, or with its bits, as " +
                       exactFloatText(std::numeric_limits<float>::quiet_NaN()) + ")"};
    }
    return FieldAssignment{field.slot, *nan};
}

}  // namespace

Result<FieldAssignment> parseFieldAssignment(std::string_view text)
{
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        return Failure{"--set expects NAME=VALUE, not " + quoted(text)};
    }
    const std::string_view name = text.substr(0, equals);
    const std::string_view value = text.substr(equals + 1);
    const ParamField* field = findParamField(name);
    if (field == nullptr) {
        return Failure{"unknown field " + quoted(name)};
    }
    return field->kind == FieldKind::Integer ? parseIntegerField(*field, value) : parseFloatField(*field, value);
}

void applyFieldAssignment(FractalParams& params, const FieldAssignment& assignment)
{
    if (const auto* integer = std::get_if<std::int32_t>(&assignment.value)) {
        writeIntegerSlot(params, assignment.slot, *integer);
    } else {
        writeFloatSlot(params, assignment.slot, std::get<float>(assignment.value));
    }
}

}  // namespace tessaform
