#include "params/FormattedScan.h"

#include <algorithm>
#include <cstdlib>
#include <istream>
#include <limits>
#include <optional>
#include <string>

#include <locale.h>  // newlocale, strtof_l

namespace tessaform {
namespace {

// Reads straight from the stream buffer: peeking leaves a character in the
// buffer, which is the one-character push-back that formatted input relies on.
// A file buffer throws when the device fails (EIO, a folder); as in
// formatted input, that ends the input and sets badbit instead.
class CharSource {
public:
    explicit CharSource(std::istream& in) : stream_(in), buffer_(in.good() ? in.rdbuf() : nullptr) {}

    // The next character as an unsigned byte value, or -1 at the end.
    int peek()
    {
        using Traits = std::istream::traits_type;
        Traits::int_type c = Traits::eof();
        try {
            c = buffer_ ? buffer_->sgetc() : Traits::eof();
        } catch (...) {
            fail();
        }
        if (Traits::eq_int_type(c, Traits::eof())) {
            stream_.setstate(std::ios_base::eofbit);
            return -1;
        }
        return static_cast<unsigned char>(Traits::to_char_type(c));
    }

    void consume()
    {
        try {
            buffer_->sbumpc();
        } catch (...) {
            fail();
        }
    }

    bool consumeIf(char expected)
    {
        if (peek() != static_cast<unsigned char>(expected)) return false;
        consume();
        return true;
    }

private:
    // Nothing more is read; setstate throws only where the caller asked the
    // stream to.
    void fail()
    {
        buffer_ = nullptr;
        stream_.setstate(std::ios_base::badbit);
    }

    std::istream& stream_;
    std::streambuf* buffer_;
};

// The "C" locale's white space, whatever locale the process has set.
bool isWhiteSpace(int c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDecimalDigit(int c)
{
    return c >= '0' && c <= '9';
}

bool isHexDigit(int c)
{
    return isDecimalDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool isLetter(int c, char lowerCase)
{
    return c == lowerCase || c == lowerCase - 'a' + 'A';
}

bool isNanPayloadChar(int c)
{
    return isDecimalDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

void skipWhiteSpace(CharSource& source)
{
    while (isWhiteSpace(source.peek())) source.consume();
}

// Consumes the letters of `word` in either case, stopping at the first one
// that differs (which stays unread).
bool consumeWord(CharSource& source, std::string_view word)
{
    for (char letter : word) {
        if (!isLetter(source.peek(), letter)) return false;
        source.consume();
    }
    return true;
}

// Exponents beyond this already overflow or underflow every float, so
// larger ones are clamped instead of risking integer overflow.
constexpr std::int64_t kExponentLimit = 1'000'000'000;

std::int64_t clampExponent(std::int64_t exponent)
{
    return std::max(-kExponentLimit, std::min(exponent, kExponentLimit));
}

// Significant digits of a number of any length in bounded memory. Leading
// zeros only move the point; digits past kKeptDigits cannot change the
// rounding of a float except through whether any of them is non-zero, so
// they collapse into one trailing non-zero digit.
class Mantissa {
public:
    void addDigit(char digit, bool afterPoint)
    {
        if (digits_.empty() && digit == '0') {
            if (afterPoint) --pointPosition_;
            return;
        }
        if (!afterPoint) ++pointPosition_;
        if (digits_.size() < kKeptDigits) {
            digits_ += digit;
        } else if (digit != '0') {
            droppedNonZero_ = true;
        }
    }

    // The value is integerDigits() * base^scaleDigitCount(), which needs no
    // decimal point.
    std::string integerDigits() const { return digits_.empty() ? "0" : digits_ + (droppedNonZero_ ? "1" : ""); }

    std::int64_t scaleDigitCount() const
    {
        const auto written = static_cast<std::int64_t>(digits_.size() + (droppedNonZero_ ? 1 : 0));
        return digits_.empty() ? 0 : pointPosition_ - written;
    }

private:
    static constexpr std::size_t kKeptDigits = 800;
    std::string digits_;
    bool droppedNonZero_ = false;
    std::int64_t pointPosition_ = 0;  // value = 0.digits_ * base^pointPosition_
};

// Digits with an optional point; returns whether at least one digit came.
bool scanDigits(CharSource& source, Mantissa& mantissa, bool (*isDigit)(int))
{
    bool sawDigit = false;
    bool afterPoint = false;
    for (;;) {
        const int c = source.peek();
        if (isDigit(c)) {
            mantissa.addDigit(static_cast<char>(c), afterPoint);
            sawDigit = true;
        } else if (c == '.' && !afterPoint) {
            afterPoint = true;
        } else {
            return sawDigit;
        }
        source.consume();
    }
}

// An optional sign and at least one decimal digit, the magnitude held at
// limit so that no run of digits can overflow; nullopt once the digits are
// missing.
std::optional<std::int64_t> scanSignedDecimal(CharSource& source, std::int64_t limit)
{
    const bool negative = source.consumeIf('-');
    if (!negative) source.consumeIf('+');
    if (!isDecimalDigit(source.peek())) return std::nullopt;
    std::int64_t magnitude = 0;
    while (isDecimalDigit(source.peek())) {
        magnitude = std::min(magnitude * 10 + (source.peek() - '0'), limit);
        source.consume();
    }
    return negative ? -magnitude : magnitude;
}

std::optional<std::int64_t> scanExponent(CharSource& source)
{
    return scanSignedDecimal(source, kExponentLimit);
}

// The text strtof gets is "<digits>e<exponent>" or "0x<digits>p<exponent>":
// no decimal point, so no locale can read it differently. A leading zero
// already consumed counts as a digit, which makes "0", "0." and "0e5" numbers.
std::optional<std::string> scanPositional(CharSource& source, bool hex, bool sawLeadingZero)
{
    const char exponentLetter = hex ? 'p' : 'e';
    Mantissa mantissa;
    const bool sawDigit = scanDigits(source, mantissa, hex ? isHexDigit : isDecimalDigit);
    if (!sawDigit && !sawLeadingZero) return std::nullopt;
    std::int64_t exponent = 0;
    if (isLetter(source.peek(), exponentLetter)) {
        source.consume();
        const std::optional<std::int64_t> written = scanExponent(source);
        if (!written) return std::nullopt;
        exponent = *written;
    }
    const std::int64_t digitShift = mantissa.scaleDigitCount() * (hex ? 4 : 1);
    return (hex ? "0x" : "") + mantissa.integerDigits() + exponentLetter +
           std::to_string(clampExponent(digitShift + exponent));
}

std::optional<std::string> scanNumeral(CharSource& source)
{
    if (!source.consumeIf('0')) return scanPositional(source, false, false);
    if (!isLetter(source.peek(), 'x')) return scanPositional(source, false, true);
    source.consume();
    return scanPositional(source, true, false);
}

std::optional<std::string> scanInfinity(CharSource& source)
{
    if (!consumeWord(source, "inf")) return std::nullopt;
    if (isLetter(source.peek(), 'i') && !consumeWord(source, "inity")) return std::nullopt;
    return "inf";
}

// A payload longer than any that fits a float's mantissa is dropped rather
// than kept in full.
std::optional<std::string> scanNan(CharSource& source)
{
    constexpr std::size_t kPayloadLimit = 64;
    if (!consumeWord(source, "nan")) return std::nullopt;
    if (!source.consumeIf('(')) return "nan";
    std::string payload;
    bool payloadTooLong = false;
    while (isNanPayloadChar(source.peek())) {
        if (payload.size() < kPayloadLimit) {
            payload += static_cast<char>(source.peek());
        } else {
            payloadTooLong = true;
        }
        source.consume();
    }
    if (!source.consumeIf(')')) return std::nullopt;
    return payloadTooLong ? "nan" : "nan(" + payload + ")";
}

float convertInCLocale(const std::string& text)
{
    static const locale_t cLocale = newlocale(LC_ALL_MASK, "C", locale_t{});
    return cLocale ? strtof_l(text.c_str(), nullptr, cLocale) : std::strtof(text.c_str(), nullptr);
}

std::optional<float> scanFloat(CharSource& source)
{
    skipWhiteSpace(source);
    const bool negative = source.consumeIf('-');
    if (!negative) source.consumeIf('+');
    const int first = source.peek();
    const std::optional<std::string> text = isLetter(first, 'i')   ? scanInfinity(source)
                                            : isLetter(first, 'n') ? scanNan(source)
                                                                   : scanNumeral(source);
    if (!text) return std::nullopt;
    return convertInCLocale((negative ? "-" : "") + *text);
}

// Saturates: a count too large for 32 bits becomes the largest one rather
// than a wrapped, possibly negative value.
std::optional<std::int32_t> scanInteger(CharSource& source)
{
    constexpr std::int64_t kMagnitudeLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    skipWhiteSpace(source);
    const std::optional<std::int64_t> value = scanSignedDecimal(source, kMagnitudeLimit);
    if (!value) return std::nullopt;
    return static_cast<std::int32_t>(std::min(*value, kMagnitudeLimit - 1));
}

template <typename T>
bool storeScanned(CharSource& source, const ScanTarget& target, std::optional<T> (*scan)(CharSource&))
{
    T* const* slot = std::get_if<T*>(&target);
    if (!slot) return false;
    const std::optional<T> value = scan(source);
    if (value) **slot = *value;
    return value.has_value();
}

bool convertInto(CharSource& source, char directive, const ScanTarget& target)
{
    switch (directive) {
        case 'f':
            return storeScanned(source, target, scanFloat);
        case 'd':
            return storeScanned(source, target, scanInteger);
        default:
            return false;
    }
}

}  // namespace

bool scanFormatted(std::istream& in, std::string_view format, std::initializer_list<ScanTarget> targets)
{
    CharSource source(in);
    const ScanTarget* target = targets.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        const char f = format[i];
        if (isWhiteSpace(static_cast<unsigned char>(f))) {
            skipWhiteSpace(source);
        } else if (f == '%') {
            const char directive = ++i < format.size() ? format[i] : '\0';
            if (target == targets.end() || !convertInto(source, directive, *target++)) return false;
        } else if (!source.consumeIf(f)) {
            return false;
        }
    }
    return true;
}

}  // namespace tessaform
