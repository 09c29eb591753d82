// TextLookup.h — display texts from the text tables of the suite's databases, addressed by
// database name, table name and the record's Identifier.
#pragma once

#include "mfc/afx.h"

// Reads the field Text of the record whose Identifier is `identifier` in `table` of
// `database` into `text`. With an empty database or table name, or a `text` that already holds
// something, nothing is looked up and the answer is true. False when the table cannot be
// resolved or the query fails; `text` is then untouched. Nothing is cached here.
bool GetStringFromFragBoxIdentifier(const CString& database, const CString& table, int identifier, CString& text);
