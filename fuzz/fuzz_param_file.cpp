// Feeds arbitrary bytes to the .j4d reader and checks what must hold for any
// file: the slots a file never carries stay as they were, whatever was read
// saves to seven complete lines that load back in full, and one save/load
// round brings any record to a fixed point.

#include <clocale>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <exception>
#include <locale>
#include <sstream>
#include <string>

#include "FuzzCheck.h"
#include "params/FractalParams.h"
#include "params/ParamFile.h"

namespace {

using tessaform::FractalParams;

// direction x, y, z, angle and power.
constexpr int kFirstUnstoredSlot = tessaform::slotAt(offsetof(FractalParams, direction));

// A NaN that no saved file can produce (a save writes "nan" or "-nan",
// without a payload), so a slot that still holds it was not read.
constexpr std::uint32_t kUnreadPattern = 0x7fa5a5a5;

bool sameSlot(const FractalParams& a, const FractalParams& b, int slot)
{
    const auto* left = reinterpret_cast<const unsigned char*>(&a) + 4 * slot;
    const auto* right = reinterpret_cast<const unsigned char*>(&b) + 4 * slot;
    return std::memcmp(left, right, 4) == 0;
}

bool unstoredSlotsMatch(const FractalParams& a, const FractalParams& b)
{
    for (int slot = kFirstUnstoredSlot; slot < tessaform::kParamSlotCount; ++slot) {
        if (!sameSlot(a, b, slot)) return false;
    }
    return true;
}

FractalParams unreadRecord()
{
    FractalParams params = tessaform::defaultParams();
    for (int slot = 0; slot < kFirstUnstoredSlot; ++slot) {
        std::memcpy(reinterpret_cast<unsigned char*>(&params) + 4 * slot, &kUnreadPattern, 4);
    }
    return params;
}

std::string savedText(const FractalParams& params)
{
    std::ostringstream out;
    FUZZ_CHECK(tessaform::saveParams(out, params));
    return out.str();
}

struct Loaded {
    FractalParams params;
    int lines;
};

Loaded loadedOnto(const std::string& text, FractalParams params)
{
    std::istringstream in(text);
    const int lines = tessaform::loadParams(in, params);
    return {params, lines};
}

// The record slots of each file line, in file order.
struct LineSlots {
    int first;
    int count;
};
constexpr LineSlots kLineSlots[tessaform::kParamFileLines] = {{0, 3},  {3, 3},  {16, 2}, {6, 4},
                                                              {10, 1}, {11, 5}, {18, 2}};

// Reading stops at the first line that does not match whole: that line may
// have stored some values, but no later line stores any.
bool laterLinesUntouched(const FractalParams& loaded, const FractalParams& before, int linesRead)
{
    for (int line = linesRead + 1; line < tessaform::kParamFileLines; ++line) {
        for (int slot = kLineSlots[line].first; slot < kLineSlots[line].first + kLineSlots[line].count; ++slot) {
            if (!sameSlot(loaded, before, slot)) return false;
        }
    }
    return true;
}

// A line that matched whole stored all of its values, whatever they were
// stored onto.
bool readLinesAgree(const FractalParams& a, const FractalParams& b, int linesRead)
{
    for (int line = 0; line < linesRead; ++line) {
        for (int slot = kLineSlots[line].first; slot < kLineSlots[line].first + kLineSlots[line].count; ++slot) {
            if (!sameSlot(a, b, slot)) return false;
        }
    }
    return true;
}

// Seven lines, each ended by CR LF, with no bare LF and no other control
// characters.
bool isSevenCrLfLines(const std::string& text)
{
    int lines = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == '\r') {
            if (i + 1 >= text.size() || text[i + 1] != '\n') return false;
            ++lines;
            ++i;
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) {
            return false;
        }
    }
    return lines == tessaform::kParamFileLines && text.size() >= 2 && text.compare(text.size() - 2, 2, "\r\n") == 0;
}

void checkInput(const std::string& input)
{
    const FractalParams defaults = tessaform::defaultParams();
    const Loaded fromInput = loadedOnto(input, defaults);
    FUZZ_CHECK(fromInput.lines >= 0 && fromInput.lines <= tessaform::kParamFileLines);
    FUZZ_CHECK(unstoredSlotsMatch(fromInput.params, defaults));
    FUZZ_CHECK(laterLinesUntouched(fromInput.params, defaults, fromInput.lines));
    // Loaded onto another record, the same input stops at the same line.
    const Loaded ontoUnread = loadedOnto(input, unreadRecord());
    FUZZ_CHECK(ontoUnread.lines == fromInput.lines);
    FUZZ_CHECK(laterLinesUntouched(ontoUnread.params, unreadRecord(), ontoUnread.lines));
    FUZZ_CHECK(readLinesAgree(fromInput.params, ontoUnread.params, fromInput.lines));

    const std::string text = savedText(fromInput.params);
    FUZZ_CHECK(isSevenCrLfLines(text));

    // Every stored slot comes back from the saved text, whatever it held.
    const Loaded roundTrip = loadedOnto(text, defaults);
    const Loaded roundTripOntoUnread = loadedOnto(text, unreadRecord());
    FUZZ_CHECK(roundTrip.lines == tessaform::kParamFileLines);
    FUZZ_CHECK(!tessaform::paramsDiffer(roundTrip.params, roundTripOntoUnread.params));
    FUZZ_CHECK(unstoredSlotsMatch(roundTrip.params, defaults));

    // Six decimals may round a value once; after that, saving and loading
    // change nothing, neither the text nor a bit of the record.
    const std::string textAgain = savedText(roundTrip.params);
    FUZZ_CHECK(textAgain == text);
    FUZZ_CHECK(!tessaform::paramsDiffer(loadedOnto(textAgain, defaults).params, roundTrip.params));
}

}  // namespace

// Under a locale with a decimal comma, so that any dependence on the
// process locale breaks the round trip.
extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8"}) {
        if (std::setlocale(LC_ALL, name) != nullptr) {
            try {
                std::locale::global(std::locale(name));
            } catch (const std::exception&) {
            }
            break;
        }
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    try {
        checkInput(std::string(reinterpret_cast<const char*>(data), size));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "exception escaped: %s\n", error.what());
        std::abort();
    }
    return 0;
}
