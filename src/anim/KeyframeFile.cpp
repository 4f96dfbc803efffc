#include "anim/KeyframeFile.h"

#include <toml++/toml.h>

#include <array>
#include <bit>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <string_view>

#include "anim/TomlNesting.h"
#include "params/BoundedFileRead.h"
#include "params/ParamFields.h"
#include "params/ParamText.h"
#include "params/PrintableText.h"

namespace tessaform {
namespace {

constexpr std::array<std::pair<std::string_view, Interpolation>, 3> kModeNames{{
    {"smooth", Interpolation::Smooth},
    {"linear", Interpolation::Linear},
    {"step", Interpolation::Step},
}};

// A failure that knows where in the file it was found.
class Reader {
public:
    Reader(std::string sourceName, std::string folder, const ParamsFileLoader& loadFrom)
        : sourceName_(std::move(sourceName)), folder_(std::move(folder)), loadFrom_(loadFrom)
    {
    }

    KeyframeLoad read(const toml::table& file);

private:
    Failure failureAt(const toml::node& node, const std::string& what) const { return failureAt(node.source(), what); }

    Failure failureAt(const toml::source_region& where, const std::string& what) const
    {
        if (where.begin.line == 0) {
            return Failure{sourceName_ + ": " + what};
        }
        return Failure{sourceName_ + ":" + std::to_string(where.begin.line) + ":" + std::to_string(where.begin.column) +
                       ": " + what};
    }

    Result<void> readFps(const toml::node& node, Animation& animation) const;
    Result<void> readInterpolation(const toml::node& node, Animation& animation) const;
    Result<void> readKeys(const toml::node& node, Animation& animation);
    Result<Keyframe> readKey(const toml::table& table, const Keyframe* previous);
    Result<void> storeField(const std::string& name, const toml::node& value, FractalParams& params) const;

    template <typename Visit>
    Result<void> forEachField(const toml::table& table, const std::string& prefix, Visit visit) const;

    std::string sourceName_;
    std::string folder_;
    const ParamsFileLoader& loadFrom_;
    bool unreadable_ = false;
};

template <typename Visit>
Result<void> Reader::forEachField(const toml::table& table, const std::string& prefix, Visit visit) const
{
    for (const auto& [key, node] : table) {
        const std::string name = prefix + std::string(key.str());
        if (const toml::table* inner = node.as_table()) {
            if (Result<void> visited = forEachField(*inner, name + ".", visit); !visited) {
                return visited;
            }
            continue;
        }
        if (Result<void> visited = visit(name, node); !visited) {
            return visited;
        }
    }
    return {};
}

Result<void> Reader::readFps(const toml::node& node, Animation& animation) const
{
    const std::optional<double> fps = node.value<double>();
    if (!fps || !isFilmFrameRate(*fps)) {
        return failureAt(node, "fps must be " + filmFrameRateRangeText());
    }
    animation.fps = *fps;
    return {};
}

Result<void> Reader::readInterpolation(const toml::node& node, Animation& animation) const
{
    const toml::table* table = node.as_table();
    if (table == nullptr) {
        return failureAt(node, "interpolation must be a table of field = \"smooth\", \"linear\" or \"step\"");
    }
    return forEachField(*table, "", [&](const std::string& name, const toml::node& value) -> Result<void> {
        const ParamField* field = findParamField(name);
        if (field == nullptr) {
            return failureAt(value, "unknown field '" + printableText(name) + "'");
        }
        const std::optional<std::string_view> text = value.value<std::string_view>();
        const auto mode = std::find_if(kModeNames.begin(), kModeNames.end(),
                                       [&](const auto& entry) { return text && entry.first == *text; });
        if (mode == kModeNames.end()) {
            return failureAt(value, name + " must be \"smooth\", \"linear\" or \"step\"");
        }
        if (name == "power" && mode->second != Interpolation::Step) {
            return failureAt(value, "power can only step");
        }
        animation.interpolation[static_cast<std::size_t>(field->slot)] = mode->second;
        return {};
    });
}

Result<void> Reader::storeField(const std::string& name, const toml::node& value, FractalParams& params) const
{
    const ParamField* field = findParamField(name);
    if (field == nullptr) {
        return failureAt(value, "unknown field '" + printableText(name) + "'");
    }
    if (field->kind == FieldKind::Integer) {
        const std::optional<std::int64_t> number = value.value_exact<std::int64_t>();
        if (!number || *number < std::numeric_limits<std::int32_t>::min() ||
            *number > std::numeric_limits<std::int32_t>::max()) {
            return failureAt(value, name + " takes a whole number");
        }
        if (name == "power" && (*number < 2 || *number > 5)) {
            return failureAt(value, "power must be 2, 3, 4 or 5, not " + std::to_string(*number));
        }
        writeIntegerSlot(params, field->slot, static_cast<std::int32_t>(*number));
        return {};
    }
    // Text carries what a TOML number cannot: a NaN's bit pattern.
    if (const std::optional<std::string_view> text = value.value<std::string_view>()) {
        const Result<float> number = parseTypedFloat(*text);
        if (!number) {
            return failureAt(value, name + ": " + number.error());
        }
        writeFloatSlot(params, field->slot, *number);
        return {};
    }
    if (!value.is_number()) {
        return failureAt(value, name + " takes a number");
    }
    writeFloatSlot(params, field->slot, static_cast<float>(*value.value<double>()));
    return {};
}

Result<Keyframe> Reader::readKey(const toml::table& table, const Keyframe* previous)
{
    const toml::node* frameNode = table.get("frame");
    const std::optional<std::int64_t> frame = frameNode ? frameNode->value_exact<std::int64_t>() : std::nullopt;
    if (!frame || *frame < 0 || *frame > std::numeric_limits<int>::max()) {
        return failureAt(
            frameNode ? frameNode->source() : table.source(),
            "each key needs a frame, a whole number from 0 to " + std::to_string(std::numeric_limits<int>::max()));
    }
    if (previous != nullptr && *frame <= previous->frame) {
        return failureAt(*frameNode, "frame " + std::to_string(*frame) + " does not come after frame " +
                                         std::to_string(previous->frame));
    }
    Keyframe key{static_cast<int>(*frame), previous ? previous->params : defaultParams()};
    if (const toml::node* from = table.get("from")) {
        const std::optional<std::string> name = from->value<std::string>();
        if (!name) {
            return failureAt(*from, "from must be the name of a .j4d or PNG file");
        }
        const std::string path = (std::filesystem::path(folder_) / *name).string();
        Result<FractalParams> loaded = loadFrom_(path, key.params);
        if (!loaded) {
            unreadable_ = true;
            return failureAt(*from, loaded.error());
        }
        key.params = *loaded;
    }
    Result<void> stored =
        forEachField(table, "", [&](const std::string& name, const toml::node& value) -> Result<void> {
            if (name == "frame" || name == "from") {
                return {};
            }
            return storeField(name, value, key.params);
        });
    if (!stored) {
        return Failure{stored.error()};
    }
    return key;
}

Result<void> Reader::readKeys(const toml::node& node, Animation& animation)
{
    const toml::array* keys = node.as_array();
    if (keys == nullptr || !keys->is_array_of_tables()) {
        return failureAt(node, "keys are written as [[key]] tables");
    }
    for (const toml::node& entry : *keys) {
        Result<Keyframe> key = readKey(*entry.as_table(), animation.keys.empty() ? nullptr : &animation.keys.back());
        if (!key) {
            return Failure{key.error()};
        }
        animation.keys.push_back(*key);
    }
    return {};
}

KeyframeLoad Reader::read(const toml::table& file)
{
    Animation animation;
    animation.interpolation = defaultInterpolation();
    for (const auto& [name, node] : file) {
        Result<void> done = name == "fps"             ? readFps(node, animation)
                            : name == "interpolation" ? readInterpolation(node, animation)
                            : name == "key"
                                ? readKeys(node, animation)
                                : Result<void>(failureAt(node, "unknown entry '" + printableText(name.str()) + "'"));
        if (!done) {
            return {Failure{done.error()}, unreadable_ ? KeyframeProblem::Unreadable : KeyframeProblem::Invalid};
        }
    }
    if (animation.keys.empty()) {
        return {Failure{sourceName_ + ": the file has no [[key]]"}, KeyframeProblem::Invalid};
    }
    return {animation, KeyframeProblem::None};
}

// The shortest text that a TOML reader, which reads a double, turns back
// into the same float; a NaN goes as text with its bits.
std::string tomlFloat(float value)
{
    if (std::isnan(value)) {
        return "\"" + exactFloatText(value) + "\"";
    }
    if (std::isinf(value)) {
        return value > 0 ? "inf" : "-inf";
    }
    std::string text = exactFloatText(value);
    if (std::bit_cast<std::uint32_t>(static_cast<float>(std::strtod(text.c_str(), nullptr))) !=
        std::bit_cast<std::uint32_t>(value)) {
        std::array<char, 40> exact{};
        std::snprintf(exact.data(), exact.size(), "%.17g", static_cast<double>(value));
        text = exact.data();
    }
    if (text.find_first_of(".en") == std::string::npos) {
        text += ".0";
    }
    return text;
}

std::string fieldText(const FractalParams& params, const ParamField& field)
{
    if (field.kind == FieldKind::Integer) {
        return std::to_string(readIntegerSlot(params, field.slot));
    }
    return tomlFloat(readFloatSlot(params, field.slot));
}

bool slotsDiffer(const FractalParams& a, const FractalParams& b, int slot)
{
    return std::memcmp(reinterpret_cast<const char*>(&a) + 4 * slot, reinterpret_cast<const char*>(&b) + 4 * slot, 4) !=
           0;
}

std::string modeName(Interpolation mode)
{
    for (const auto& [name, value] : kModeNames) {
        if (value == mode) {
            return std::string(name);
        }
    }
    return {};
}

}  // namespace

KeyframeLoad parseKeyframeText(std::string_view text, const std::string& sourceName, const std::string& folder,
                               const ParamsFileLoader& loadFrom)
{
    if (const std::optional<NestingProblem> nesting = findTooDeepNesting(text)) {
        return {Failure{sourceName + ":" + std::to_string(nesting->line) + ":" + std::to_string(nesting->column) +
                        ": " + nesting->what},
                KeyframeProblem::Invalid};
    }
    toml::table file;
    try {
        file = toml::parse(text, sourceName);
    } catch (const toml::parse_error& error) {
        const toml::source_position& at = error.source().begin;
        return {Failure{sourceName + ":" + std::to_string(at.line) + ":" + std::to_string(at.column) + ": " +
                        std::string(error.description())},
                KeyframeProblem::Invalid};
    }
    Reader reader(sourceName, folder, loadFrom);
    return reader.read(file);
}

KeyframeLoad readKeyframeFile(const std::string& path, const ParamsFileLoader& loadFrom)
{
    const Result<std::string> text = readBoundedFile(path);
    if (!text) {
        return {Failure{"Could not read keyframe file " + path + ": " + text.error()}, KeyframeProblem::Unreadable};
    }
    return parseKeyframeText(*text, path, std::filesystem::path(path).parent_path().string(), loadFrom);
}

std::string keyframeFileText(const Animation& animation)
{
    std::array<char, 32> fps{};
    const auto [fpsEnd, fpsError] = std::to_chars(fps.data(), fps.data() + fps.size(), animation.fps);
    std::string text = "fps = " + std::string(fps.data(), fpsEnd) + "\n";
    const std::array<Interpolation, kParamSlotCount> defaults = defaultInterpolation();
    std::string modes;
    for (const ParamField& field : paramFields()) {
        const auto slot = static_cast<std::size_t>(field.slot);
        if (animation.interpolation[slot] != defaults[slot]) {
            // Appended piece by piece: GCC 12 warns falsely of overlap for "..." + string.
            modes.append("\"").append(field.name).append("\" = \"");
            modes.append(modeName(animation.interpolation[slot])).append("\"\n");
        }
    }
    if (!modes.empty()) {
        text += "\n[interpolation]\n" + modes;
    }
    FractalParams previous = defaultParams();
    for (const Keyframe& key : animation.keys) {
        text += "\n[[key]]\nframe = " + std::to_string(key.frame) + "\n";
        for (const ParamField& field : paramFields()) {
            if (slotsDiffer(key.params, previous, field.slot)) {
                text += std::string(field.name) + " = " + fieldText(key.params, field) + "\n";
            }
        }
        previous = key.params;
    }
    return text;
}

}  // namespace tessaform
