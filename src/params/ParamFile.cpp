#include "params/ParamFile.h"

#include <array>
#include <charconv>
#include <cstdint>
#include <initializer_list>
#include <ostream>
#include <string>
#include <string_view>
#include <variant>

#include "params/FormattedScan.h"

namespace tessaform {
namespace {

// Writing and reading share these formats, so the two directions cannot
// drift apart. The file order is not the record's slot order.
constexpr std::string_view kBackgroundLine = "<background r,g,b>%f,%f,%f</background>\n";
constexpr std::string_view kCameraLine = "<camera theta, phi, distance>%f,%f,%f</camera>\n";
constexpr std::string_view kShiftLine = "<shift x, y>%f,%f</shift>\n";
constexpr std::string_view kConstantLine = "<constant x,y,z,w>%f,%f,%f,%f</constant>\n";
constexpr std::string_view kHyperplaneLine = "<hyperplane w>%f</hyperplane>\n";
constexpr std::string_view kLightLine = "<light x,y,z,power,intensity>%f,%f,%f,%f,%f</light>\n";
constexpr std::string_view kRenderLine = "<render iterations, epsilon>%d,%f</render>\n";

using PrintValue = std::variant<float, std::int32_t>;

// C's "%f" of the value widened to double: six decimals rounded to nearest,
// never an exponent, "inf" and "nan" spelt as glibc does. to_chars ignores
// every locale, so the separator is always a full stop.
void appendValue(std::string& text, float value)
{
    std::array<char, 64> digits{};  // FLT_MAX has 39 integer digits
    const auto result =
        std::to_chars(digits.data(), digits.data() + digits.size(), double{value}, std::chars_format::fixed, 6);
    text.append(digits.data(), result.ptr);
}

void appendValue(std::string& text, std::int32_t value)
{
    std::array<char, 16> digits{};
    const auto result = std::to_chars(digits.data(), digits.data() + digits.size(), value);
    text.append(digits.data(), result.ptr);
}

// Each directive takes the next value, printed according to the value's own
// type; the line end is CR LF, as in files written on Windows in text mode.
void appendLine(std::string& text, std::string_view format, std::initializer_list<PrintValue> values)
{
    const PrintValue* value = values.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && value != values.end()) {
            std::visit([&text](auto v) { appendValue(text, v); }, *value++);
            ++i;
        } else if (format[i] == '\n') {
            text += "\r\n";
        } else {
            text += format[i];
        }
    }
}

}  // namespace

bool saveParams(std::ostream& out, const FractalParams& p)
{
    std::string text;
    appendLine(text, kBackgroundLine, {p.background.r, p.background.g, p.background.b});
    appendLine(text, kCameraLine, {p.theta, p.phi, p.distance});
    appendLine(text, kShiftLine, {p.lateralShift, p.verticalShift});
    appendLine(text, kConstantLine, {p.constant.x, p.constant.y, p.constant.z, p.constant.w});
    appendLine(text, kHyperplaneLine, {p.hyperplaneW});
    appendLine(text, kLightLine, {p.light.x, p.light.y, p.light.z, p.specular, p.intensity});
    appendLine(text, kRenderLine, {p.iterations, p.epsilon});
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    return out.good();
}

// The first line that does not match ends the load. The character that
// stopped it stays unread and every format starts with "<", so later lines
// could only be read if that character were itself a "<"; stopping here
// keeps the promise that nothing after a faulty line is loaded.
int loadParams(std::istream& in, FractalParams& p)
{
    if (!scanFormatted(in, kBackgroundLine, {&p.background.r, &p.background.g, &p.background.b})) return 0;
    if (!scanFormatted(in, kCameraLine, {&p.theta, &p.phi, &p.distance})) return 1;
    if (!scanFormatted(in, kShiftLine, {&p.lateralShift, &p.verticalShift})) return 2;
    if (!scanFormatted(in, kConstantLine, {&p.constant.x, &p.constant.y, &p.constant.z, &p.constant.w})) return 3;
    if (!scanFormatted(in, kHyperplaneLine, {&p.hyperplaneW})) return 4;
    if (!scanFormatted(in, kLightLine, {&p.light.x, &p.light.y, &p.light.z, &p.specular, &p.intensity})) return 5;
    if (!scanFormatted(in, kRenderLine, {&p.iterations, &p.epsilon})) return 6;
    return kParamFileLines;
}

}  // namespace tessaform
