// korcommon.h — services of the suite's common library that the modules call.
//
// [X] ConvertList2String: one text from a LISP value
// [X] LoadResourceString: a string resource of a given library as a CString
// [ ] paths, grid, progress window (added as callers need them)
#pragma once

#include "kor/adslisp.h"
#include "mfc/afx.h"

// Turns a LISP value into one text. Accepted:
//  - a string: the string itself (also an empty one);
//  - an integer: its decimal digits; a real: up to six significant digits ("2.5", "3.0");
//  - a list of strings and numbers, nested lists included: the elements' texts joined in
//    order with no separator, so ("DB" "_" "WASSER") gives "DB_WASSER".
// Anything else (nil, T, dotted pairs, entity names, a list holding one of them) is no text:
// the result is false and `text` is left as it was.
bool ConvertList2String(const CKORAdsLispVar& value, CString& text);

// String `id` of `instance` (null: the current resource handle, then the resource chain).
// The third argument is reserved and must be null. A missing string gives the empty text.
CString LoadResourceString(UINT id, HINSTANCE instance, void* reserved);
