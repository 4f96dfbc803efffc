#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessaform {

// A keyframe file needs keys of two parts (constant.x) and tables two deep
// ([[key]]); these bounds leave room for any way of writing that, while
// keeping the TOML reader's recursion, which follows every part and level,
// far from the end of the stack.
inline constexpr int kMostKeyParts = 16;
inline constexpr int kMostNestingLevels = 16;

struct NestingProblem {
    int line = 0;    // from 1
    int column = 0;  // from 1, in characters
    std::string what;
};

// Scans TOML text, outside its strings and comments, for a dotted run of
// more than kMostKeyParts parts or brackets and braces nested more than
// kMostNestingLevels deep; the first one found. It only counts, so text that
// is not TOML at all is left for the TOML reader to refuse.
std::optional<NestingProblem> findTooDeepNesting(std::string_view text);

}  // namespace tessaform
