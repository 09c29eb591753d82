// Wildcard.h — AutoLISP's wild-card patterns (wcmatch, lisp::wildcardMatch) over wide text,
// for selection filters and the application lists of entget.
#pragma once

#include <string_view>

namespace korcad {

// Case-sensitive as wcmatch is; `ignoreCase` for filters on names (layers, types, applications).
bool wildcardMatch(std::wstring_view text, std::wstring_view pattern, bool ignoreCase = false);

}  // namespace korcad
