// Argument lists for the module's functions as a LISP program builds them, and the sample database.
#pragma once

#include "db/kordb.h"
#include "kor/adslisp.h"

#include <initializer_list>

namespace dialogtest {

// (a b c ...): each value one element, a list value too.
inline CKORAdsLispVar list(std::initializer_list<CKORAdsLispVar> items)
{
    CKORAdsLispVar l;
    for (const CKORAdsLispVar& v : items)
        l.Append(CKORAdsLisp::List(v));
    return l;
}

// ("key" . "value")
inline CKORAdsLispVar pair(const wchar_t* key, const wchar_t* value)
{
    return CKORAdsLispVar(CKORAdsLisp::Cons(CKORAdsLispVar(key), CKORAdsLispVar(value)));
}

// The sample database WASSER, whose TEXTE holds e.g. 1 Überdeckung [m], 2 Material,
// 3 Nennweite [mm], 4 Länge [m], 5 Baujahr, for the life of the object.
struct SampleWasser {
    SampleWasser()
    {
        kordb::closeAll();
        kordb::clearHostDatabases();
        ok = kordb::setDatabase("WASSER", KOR_SAMPLE_DB_DIR "/wasser.sqlite");
    }
    ~SampleWasser()
    {
        kordb::clearHostDatabases();
        kordb::closeAll();
    }
    bool ok = false;
};

}  // namespace dialogtest
