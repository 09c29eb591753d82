// Wildcard.h — AutoLISP's wild-card patterns (wcmatch), which selection filters and the
// application lists of entget use as well.
//
//   #  a digit            @  a letter             .  any character that is no letter or digit
//   *  any run, also none  ?  any one character    ~  at the start: not the pattern
//   [...]  one of these (ranges a-z)   [~...]  none of these   `  the next character as itself
//   ,  separates alternatives: the text matches if it matches one of them
#pragma once

#include <string>
#include <string_view>

namespace korcad {

// Case-sensitive as wcmatch is; `ignoreCase` for filters on names (layers, types, applications).
bool wildcardMatch(std::wstring_view text, std::wstring_view pattern, bool ignoreCase = false);

}  // namespace korcad
