// matchlike.h — the match of a search field: does a list line match what the user typed?
//
// [X] case-insensitive by Unicode simple case folding (ICU): A-Z, Latin-1 with Ä/ä Ö/ö Ü/ü
//     (ß stays ß, ẞ matches ß), Latin Extended-A and -B, Greek, Cyrillic ...
// [X] a plain text matches anywhere in the line
// [X] wildcards: '*' any run of characters (also none), '?' exactly one character
// [X] linear time in the line's length, no allocation per call
// [ ] escaping '*' and '?' (a '?' in the pattern matches a '?' in the line anyway)
// [ ] canonical equivalence: a precomposed "ü" does not match "u" + combining diaeresis
//
// The rule. The pattern is searched as a part of the line, as if it began and ended with '*':
// "rohr" matches "Wasserrohr DN 150", "dn*guss" matches "Leitung DN 150 Guss", "d?150"
// matches "DN150" and "D-150". To tie a pattern to the start or the end of a line there is
// no syntax: a search field narrows a list, and a part of a name is what people type.
// The empty pattern (or a null one) matches every line, a null line included; a null line
// matches no other pattern. A pattern of stars alone matches every non-null line.
//
// Cost. The folded pattern of the last call is kept per thread, so typing into a search
// field over a long list folds and compiles the pattern once per keystroke, not once per
// line. The parts between stars are found from left to right, each by a bit-parallel scan
// (parts of up to 64 characters; a longer part is checked further at each place where its
// first 64 characters match): every character of the line is looked at about once.
#pragma once

#include "mfc/afx.h"

// True when `text` matches `pattern` by the rule above.
bool MatchLike(const wchar_t* pattern, const wchar_t* text);

// The case folding MatchLike compares with: Unicode simple case folding of one character
// ('Ä' -> 'ä', 'ẞ' -> 'ß', 'ß' stays 'ß').
wchar_t MatchLikeFold(wchar_t c);
