#include "anim/TomlNesting.h"

#include <algorithm>

namespace tessaform {
namespace {

bool isBareKeyCharacter(char c)
{
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

bool isUtf8Continuation(char c)
{
    return (static_cast<unsigned char>(c) & 0xC0u) == 0x80u;
}

// A key's parts are bare words or quoted strings joined by dots, with
// blanks allowed around the dots. A number such as 1.5 reads as a run of two
// parts, which stays far below the bound.
class NestingScan {
public:
    explicit NestingScan(std::string_view text) : text_(text) {}

    std::optional<NestingProblem> run();

private:
    bool startsWith(std::string_view prefix) const { return text_.substr(at_).starts_with(prefix); }
    void advance(std::size_t count = 1);
    void skipComment();
    void skipString(std::string_view quote, bool escapes);
    void skipBareWord();
    bool countPart();
    void endRun() { parts_ = 0, afterDot_ = false; }
    bool enterLevel();

    NestingProblem problemAt(int line, int column, std::string what) const { return {line, column, std::move(what)}; }

    std::string_view text_;
    std::size_t at_ = 0;
    int line_ = 1;
    int column_ = 1;
    int parts_ = 0;
    bool afterDot_ = false;
    int runLine_ = 0;
    int runColumn_ = 0;
    int depth_ = 0;
    std::optional<NestingProblem> problem_;
};

void NestingScan::advance(std::size_t count)
{
    for (const std::size_t end = std::min(at_ + count, text_.size()); at_ < end; ++at_) {
        if (text_[at_] == '\n') {
            ++line_;
            column_ = 1;
        } else if (!isUtf8Continuation(text_[at_])) {
            ++column_;
        }
    }
}

void NestingScan::skipComment()
{
    while (at_ < text_.size() && text_[at_] != '\n') {
        advance();
    }
}

// A one-quote string ends at its line's end at the latest, as in TOML.
void NestingScan::skipString(std::string_view quote, bool escapes)
{
    advance(quote.size());
    while (at_ < text_.size() && !startsWith(quote)) {
        if (quote.size() == 1 && text_[at_] == '\n') {
            return;
        }
        advance(escapes && text_[at_] == '\\' ? 2 : 1);
    }
    advance(quote.size());
}

void NestingScan::skipBareWord()
{
    while (at_ < text_.size() && isBareKeyCharacter(text_[at_])) {
        advance();
    }
}

// False once the run has too many parts.
bool NestingScan::countPart()
{
    if (afterDot_) {
        ++parts_;
        afterDot_ = false;
    } else {
        parts_ = 1;
        runLine_ = line_;
        runColumn_ = column_;
    }
    if (parts_ > kMostKeyParts) {
        problem_ =
            problemAt(runLine_, runColumn_, "a key of more than " + std::to_string(kMostKeyParts) + " dotted parts");
        return false;
    }
    return true;
}

bool NestingScan::enterLevel()
{
    endRun();
    if (++depth_ > kMostNestingLevels) {
        problem_ = problemAt(line_, column_,
                             "tables and arrays nested more than " + std::to_string(kMostNestingLevels) + " deep");
        return false;
    }
    advance();
    return true;
}

std::optional<NestingProblem> NestingScan::run()
{
    while (at_ < text_.size() && !problem_) {
        const char c = text_[at_];
        if (c == '#') {
            endRun();
            skipComment();
        } else if (c == '"' || c == '\'' || isBareKeyCharacter(c)) {
            if (!countPart()) {
                break;
            }
            const std::string_view tripled = c == '"' ? R"(""")" : "'''";
            if (isBareKeyCharacter(c)) {
                skipBareWord();
            } else {
                skipString(startsWith(tripled) ? tripled : text_.substr(at_, 1), c == '"');
            }
        } else if (c == '.') {
            afterDot_ = parts_ > 0;
            advance();
        } else if (c == ' ' || c == '\t') {
            advance();
        } else if (c == '[' || c == '{') {
            enterLevel();
        } else {
            endRun();
            depth_ = c == ']' || c == '}' ? std::max(depth_ - 1, 0) : depth_;
            advance();
        }
    }
    return problem_;
}

}  // namespace

std::optional<NestingProblem> findTooDeepNesting(std::string_view text)
{
    return NestingScan(text).run();
}

}  // namespace tessaform
