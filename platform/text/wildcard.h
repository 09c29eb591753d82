// wildcard.h — AutoLISP's wild-card patterns, as wcmatch reads them: # a digit, @ a letter,
// . neither, * any run, ? any one character, ~ at the start of a pattern: not, [...] and
// [~...] sets with ranges, ` quotes the next character, ',' separates patterns of which one
// must match. The interpreter's wcmatch and the drawing's filters (layer names, entity types,
// application names) match with this one matcher.
#pragma once

#include <string_view>

namespace kortext {

// Case-sensitive as wcmatch is; `ignoreCase` compares as upper-case (see toUpper).
bool wildcardMatch(std::string_view utf8Text, std::string_view utf8Pattern, bool ignoreCase = false);
bool wildcardMatch(std::wstring_view text, std::wstring_view pattern, bool ignoreCase = false);

}  // namespace kortext
