// korcommon.h — services of the suite's common library that the modules call.
//
// [X] ConvertList2String: one text from a LISP value
// [X] LoadResourceString: a string resource of a given library as a CString
// [X] GetKorPath: a database key and a table resolved to the name a query uses
// [X] NKORAdsSysCommonUtils::ResultBufferItem: a group of a result-buffer chain by its code
// The grid control and the progress window are in korgui/korgui.h and korgui/korprogress.h,
// the search-field match in kor/matchlike.h.
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

// Resolves a database key "DB_<name>" and a table name into `resolved`, the name a query of
// the relational-table library (kor_reltab::Query) places between double quotes after FROM.
// `reserved` is not used (pass an empty text). `errorFormat`, a format with one %s, frames
// the diagnostic written when the resolution fails ("Fehler beim Aufruf von %s" gives
// "Fehler beim Aufruf von GetKorPath: unknown database X ..."); empty: the bare diagnostic.
// False for an unknown key or database, a missing or unreadable database file, an unknown
// table or a refused name; `resolved` is then untouched. Which databases exist is configured
// in the db layer (db/kordb.h).
bool GetKorPath(const CString& key, const CString& table, const CString& reserved, const CString& errorFormat,
                CString& resolved);

namespace NKORAdsSysCommonUtils {
// The first result buffer of `chain` whose type (DXF group code) is `code`, or null. The
// buffer stays part of the chain.
resbuf* ResultBufferItem(resbuf* chain, int code);
}  // namespace NKORAdsSysCommonUtils
