#include "params/ParamFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <limits>
#include <locale>
#include <sstream>
#include <stdexcept>
#include <string>

#include "params/FormattedScan.h"

namespace tessaform {
namespace {

constexpr float kUntouched = 12345.0f;

std::string unreadText(std::istringstream& in)
{
    in.clear();
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::uint32_t bitsOf(float value)
{
    return std::bit_cast<std::uint32_t>(value);
}

TEST(FormattedScanTest, FloatsReadAsStrtofDoesAndStopBeforeTheNextCharacter)
{
    // Exactly halfway between 1 and the next float: ties go to even, but a
    // non-zero digit however far out rounds up.
    const std::string halfway = "1.000000059604644775390625";
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const struct {
        std::string input;
        float expected;
        std::string rest;
    } cases[] = {{"1e3,", 1000.0f, ","},
                 {" \t\r\n-2.5E-1<", -0.25f, "<"},
                 {"+.5", 0.5f, ""},
                 {"5.x", 5.0f, "x"},
                 {"007", 7.0f, ""},
                 {"0.1", 0.1f, ""},
                 {"-0", -0.0f, ""},
                 {"0x1.8p1", 3.0f, ""},
                 {"0X.8z", 0.5f, "z"},
                 {"00x1", 0.0f, "x1"},
                 {"inf", INFINITY, ""},
                 {"-INFINITY!", -INFINITY, "!"},
                 {"-nan)", -nan, ")"},
                 {"NaN(" + std::string(1000, '7') + ")", nan, ""},
                 {"1e40", INFINITY, ""},
                 {"-1e40", -INFINITY, ""},
                 {"1e-50", 0.0f, ""},
                 {"1.4e-45", std::numeric_limits<float>::denorm_min(), ""},
                 {"1e99999999999999999999", INFINITY, ""},
                 {"1e-99999999999999999999", 0.0f, ""},
                 {halfway, 1.0f, ""},
                 {halfway + std::string(1000, '0') + "1", std::nextafter(1.0f, 2.0f), ""},
                 {std::string("1").append(10'000'000, '0').append("e-10000000"), 1.0f, ""},
                 {std::string("0.").append(10'000'000, '0').append("1e10000001"), 1.0f, ""},
                 {std::string{'2', '\0', '3'}, 2.0f, std::string{'\0', '3'}}};
    for (const auto& c : cases) {
        std::istringstream in(c.input);
        float value = kUntouched;
        const std::string shown = c.input.substr(0, 40);
        EXPECT_TRUE(scanFormatted(in, "%f", {&value})) << shown;
        EXPECT_EQ(bitsOf(value), bitsOf(c.expected)) << shown;
        EXPECT_EQ(unreadText(in), c.rest) << shown;
    }
}

// Text that could still have grown into a number but did not is a failure,
// with everything up to the character that stopped it consumed.
TEST(FormattedScanTest, UnfinishedNumbersFailAndStoreNothing)
{
    const struct {
        std::string input;
        std::string rest;
    } cases[] = {{"1e+x", "x"},  {"1ex", "x"},        {"-x", "x"},     {".x", "x"},   {".e5", "e5"},
                 {"+-1", "-1"},  {"0xg", "g"},        {"0x.p1", "p1"}, {"0x1p-", ""}, {"infin!", "!"},
                 {"nan(ab", ""}, {"nan(a b)", " b)"}, {"", ""},        {"<", "<"},    {"\x80\xff", "\x80\xff"}};
    for (const auto& c : cases) {
        std::istringstream in(c.input);
        float value = kUntouched;
        EXPECT_FALSE(scanFormatted(in, "%f", {&value})) << c.input;
        EXPECT_EQ(value, kUntouched) << c.input;
        EXPECT_EQ(unreadText(in), c.rest) << c.input;
    }
}

TEST(FormattedScanTest, IntegersSaturateAndStopAtAPoint)
{
    constexpr std::int32_t kMax = std::numeric_limits<std::int32_t>::max();
    constexpr std::int32_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int32_t kUnset = -99;
    const std::string thirtyDigits(30, '9');
    const struct {
        std::string input;
        bool matched;
        std::int32_t expected;
        std::string rest;
    } cases[] = {{"42", true, 42, ""},
                 {" -17,", true, -17, ","},
                 {"+0", true, 0, ""},
                 {"16.5", true, 16, ".5"},
                 {"2147483648", true, kMax, ""},
                 {"-2147483648", true, kMin, ""},
                 {thirtyDigits, true, kMax, ""},
                 {"-" + thirtyDigits, true, kMin, ""},
                 {"-x", false, kUnset, "x"}};
    for (const auto& c : cases) {
        std::istringstream in(c.input);
        std::int32_t value = kUnset;
        EXPECT_EQ(scanFormatted(in, "%d", {&value}), c.matched) << c.input;
        EXPECT_EQ(value, c.expected) << c.input;
        EXPECT_EQ(unreadText(in), c.rest) << c.input;
    }
}

TEST(FormattedScanTest, ValuesBeforeAMismatchAreStored)
{
    float a = kUntouched;
    float b = kUntouched;
    std::istringstream in("<ab>5;6");
    EXPECT_FALSE(scanFormatted(in, "<a b>%f,%f", {&a, &b}));
    EXPECT_EQ(a, 5.0f);
    EXPECT_EQ(b, kUntouched);
    EXPECT_EQ(unreadText(in), ";6");
}

// ---------------------------------------------------------------------------

const std::string kDefaultFile =
    "<background r,g,b>0.400000,0.500000,0.600000</background>\r\n"
    "<camera theta, phi, distance>0.000000,5.969026,4.000000</camera>\r\n"
    "<shift x, y>-0.150000,0.000000</shift>\r\n"
    "<constant x,y,z,w>-0.568627,0.653846,0.000000,0.000000</constant>\r\n"
    "<hyperplane w>0.000000</hyperplane>\r\n"
    "<light x,y,z,power,intensity>-1.000000,-1.000000,1.000000,20.000000,1.500000</light>\r\n"
    "<render iterations, epsilon>16,0.001000</render>\r\n";

// Slot numbers in the order the file carries them.
constexpr std::array<int, 20> kFileSlots = {0, 1, 2, 3, 4, 5, 16, 17, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 18, 19};

using SlotBits = std::array<std::uint32_t, kParamSlotCount>;

// Every slot differs from the defaults and from anything a test file holds.
FractalParams sentinelParams()
{
    std::array<float, kParamSlotCount> slots{};
    for (int i = 0; i < kParamSlotCount; ++i) slots[i] = 100.0f + static_cast<float>(i);
    FractalParams p = std::bit_cast<FractalParams>(slots);
    p.iterations = 999;
    p.power = 7;
    return p;
}

// What the default file loads: phi has lost its digits past the sixth decimal.
FractalParams defaultFileValues()
{
    FractalParams p = defaultParams();
    p.phi = 5.969026f;
    return p;
}

FractalParams loadText(const std::string& text)
{
    FractalParams p = sentinelParams();
    std::istringstream in(text);
    loadParams(in, p);
    return p;
}

std::string saveText(const FractalParams& p)
{
    std::ostringstream out;
    EXPECT_TRUE(saveParams(out, p));
    return out.str();
}

std::string replaced(std::string text, const std::string& from, const std::string& to)
{
    return text.replace(text.find(from), from.size(), to);
}

// Values, in file order, that took the default file's value, counted up to
// the first that did not.
int leadingLoadedCount(const FractalParams& loaded)
{
    const auto bits = std::bit_cast<SlotBits>(loaded);
    const auto wanted = std::bit_cast<SlotBits>(defaultFileValues());
    int count = 0;
    while (count < static_cast<int>(kFileSlots.size()) && bits[kFileSlots[count]] == wanted[kFileSlots[count]]) {
        ++count;
    }
    return count;
}

// Whether the slots from file position `from` on, and those the file never
// carries, kept their starting values.
bool restUntouched(const FractalParams& loaded, int from)
{
    const auto bits = std::bit_cast<SlotBits>(loaded);
    const auto start = std::bit_cast<SlotBits>(sentinelParams());
    const auto loadedEnd = kFileSlots.begin() + std::min<int>(from, kFileSlots.size());
    for (int i = 0; i < kParamSlotCount; ++i) {
        if (std::find(kFileSlots.begin(), loadedEnd, i) == loadedEnd && bits[i] != start[i]) return false;
    }
    return true;
}

TEST(ParamFileTest, DefaultRecordWritesExactText)
{
    EXPECT_EQ(saveText(defaultParams()), kDefaultFile);
}

TEST(ParamFileTest, RoundTripKeepsSixDecimalsAndLeavesUncarriedSlots)
{
    EXPECT_EQ(leadingLoadedCount(loadText(saveText(defaultParams()))), 20);
    EXPECT_TRUE(restUntouched(loadText(saveText(defaultParams())), 20));

    FractalParams p = defaultParams();
    p.epsilon = 1e-7f;
    p.background = {INFINITY, -std::numeric_limits<float>::quiet_NaN(), -0.0f};
    p.iterations = -5;
    const std::string text = saveText(p);
    EXPECT_EQ(text.substr(0, text.find('\r')), "<background r,g,b>inf,-nan,-0.000000</background>");
    EXPECT_NE(text.find("<render iterations, epsilon>-5,0.000000</render>"), std::string::npos);
    const FractalParams loaded = loadText(text);
    EXPECT_EQ(bitsOf(loaded.background.r), bitsOf(INFINITY));
    EXPECT_EQ(bitsOf(loaded.background.g), bitsOf(p.background.g));
    EXPECT_EQ(bitsOf(loaded.background.b), bitsOf(-0.0f));
    EXPECT_EQ(loaded.iterations, -5);
    EXPECT_EQ(loaded.epsilon, 0.0f);
}

TEST(ParamFileTest, MalformedFilesLoadUpToTheFirstFault)
{
    const std::string lfOnly = replaced(replaced(kDefaultFile, "\r\n<camera", "\n<camera"), "\r\n<shift", "\n<shift");
    const std::string indented =
        replaced(replaced(kDefaultFile, "\r\n<shift", "\r\n\r\n \t<shift"), "\r\n<render", "\n\n\n   <render");
    const struct {
        const char* name;
        std::string text;
        int loaded;
    } cases[] = {
        {"LF line ends", lfOnly, 20},
        {"no final line end", kDefaultFile.substr(0, kDefaultFile.size() - 2), 20},
        {"text after the last line", kDefaultFile + "junk\x01<background", 20},
        {"blank lines and indents", indented, 20},
        {"tag without blanks", replaced(kDefaultFile, "theta, phi, distance", "theta,phi,distance"), 20},
        {"blank before the first tag", " " + kDefaultFile, 0},
        {"blank line first", "\r\n" + kDefaultFile, 0},
        {"third line missing", replaced(kDefaultFile, "<shift x, y>-0.150000,0.000000</shift>\r\n", ""), 6},
        {"letter for a value", replaced(kDefaultFile, "0.400000,0.500000", "0.400000,x.500000"), 1},
        {"fraction in the count", replaced(kDefaultFile, ">16,", ">16.5,"), 19},
        // The "<" that stops the background line would let the camera line
        // match, yet nothing after a faulty line may load.
        {"fault at a tag", replaced(kDefaultFile, "0.600000</background>", ""), 2},
    };
    for (const auto& c : cases) {
        const FractalParams loaded = loadText(c.text);
        EXPECT_EQ(leadingLoadedCount(loaded), c.loaded) << c.name;
        EXPECT_TRUE(restUntouched(loaded, c.loaded)) << c.name;
    }
}

TEST(ParamFileTest, TruncationAnywhereLoadsAPrefixOfTheValues)
{
    int previous = 0;
    for (std::size_t length = 0; length <= kDefaultFile.size(); ++length) {
        const FractalParams loaded = loadText(kDefaultFile.substr(0, length));
        const int count = leadingLoadedCount(loaded);
        EXPECT_GE(count, previous) << length;
        // Only the value being cut may hold something else ("0." of "0.400000").
        EXPECT_TRUE(restUntouched(loaded, count + 1)) << length;
        previous = count;
    }
    EXPECT_EQ(previous, 20);
}

class LocaleGuard {
public:
    LocaleGuard() : cLocale_(std::setlocale(LC_ALL, nullptr)) {}
    ~LocaleGuard()
    {
        std::setlocale(LC_ALL, cLocale_.c_str());
        std::locale::global(cppLocale_);
    }

private:
    std::string cLocale_;
    std::locale cppLocale_;
};

bool germanLocaleExists()
{
    try {
        std::locale german("de_DE.UTF-8");
        return true;
    } catch (const std::runtime_error&) {
        return false;
    }
}

TEST(ParamFileTest, CommaLocalesChangeNothing)
{
    if (!germanLocaleExists()) GTEST_SKIP() << "de_DE.UTF-8 is not installed";
    const SlotBits expected = std::bit_cast<SlotBits>(loadText(kDefaultFile));
    {
        LocaleGuard guard;
        ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
        EXPECT_EQ(saveText(defaultParams()), kDefaultFile);
        EXPECT_EQ(std::bit_cast<SlotBits>(loadText(kDefaultFile)), expected);
    }
    {
        LocaleGuard guard;
        std::locale::global(std::locale("de_DE.UTF-8"));
        EXPECT_EQ(saveText(defaultParams()), kDefaultFile);
        EXPECT_EQ(std::bit_cast<SlotBits>(loadText(kDefaultFile)), expected);
    }
}

TEST(ParamFileTest, SaveReportsAFailedStream)
{
    std::ostringstream broken;
    broken.setstate(std::ios_base::badbit);
    EXPECT_FALSE(saveParams(broken, defaultParams()));
}

}  // namespace
}  // namespace tessaform
