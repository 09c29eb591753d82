// The text lookup: one display text from a text table of the suite's databases.
#include "texts/TextLookup.h"

#include "frame/Handler.h"
#include "res/resource.h"

#include "db/kordb.h"
#include "kor/korcommon.h"

bool GetStringFromFragBoxIdentifier(const CString& database, const CString& table, int identifier, CString& text)
{
    // No table named, or a text already there: nothing to look up.
    if (database.IsEmpty() || table.IsEmpty() || !text.IsEmpty())
        return true;

    CString errorFormat;
    {
        CKorResourceOverride override;
        errorFormat = LoadModuleString(IDS_DB_CALL_FAILED);
    }

    CString key;
    key.Format(L"DB_%s", database.GetString());
    CString resolved;
    if (!GetKorPath(key, table, CString(), errorFormat, resolved))
        return false;

    CString condition;
    condition.Format(L"Identifier = %d", identifier);
    CString query;
    query.Format(L"SELECT %s FROM \"%s\" WHERE ( %s )", L"Text", resolved.GetString(), condition.GetString());

    CKORRltbRecordset records;
    if (!kor_reltab::Query(query, records))
        return false;
    text = records.GetFieldChar(L"Text", 1);
    return true;
}
