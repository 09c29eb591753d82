// korTextLast.so — an application for the load bench: (kor_TextLast db table count file)
// runs `count` text lookups over identifiers 1..1000 of `table` in `db`, whose Text is
// "Text <Identifier>", checks every answer, writes the time of each lookup (nanoseconds, one
// unsigned 32-bit number each) to `file` and returns (correct wrong failed).
//
// A lookup is what korDialog's label lookup does, through the same public calls of the suite's
// libraries: resolve "DB_<db>" and the table (GetKorPath), then one query on the resolved
// table (kor_reltab::Query).
#include "ads/adslib.h"
#include "db/kordb.h"
#include "kor/korcommon.h"

#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

bool lookUp(const CString& database, const CString& table, int identifier, CString& text)
{
    CString key, resolved, query;
    key.Format(L"DB_%s", database.GetString());
    if (!GetKorPath(key, table, CString(), CString(L"Fehler beim Aufruf von %s"), resolved))
        return false;
    query.Format(L"SELECT Text FROM \"%s\" WHERE ( Identifier = %d )", resolved.GetString(), identifier);
    CKORRltbRecordset records;
    if (!kor_reltab::Query(query, records))
        return false;
    text = records.GetFieldChar(L"Text", 1);
    return true;
}

constexpr int kFunctionCode = 1;
const ACHAR* const kFunctionName = L"kor_TextLast";
constexpr int kIdentifiers = 1000;

int textLast()
{
    const resbuf* a = acedGetArgs();
    const resbuf* args[4] = {};
    for (int i = 0; i < 4 && a; ++i, a = a->rbnext)
        args[i] = a;
    if (!args[3] || args[0]->restype != RTSTR || args[1]->restype != RTSTR || args[3]->restype != RTSTR ||
        (args[2]->restype != RTSHORT && args[2]->restype != RTLONG)) {
        acutPrintf(L"\n; Fehler: (kor_TextLast \"DB\" \"TABELLE\" ANZAHL \"DATEI\")");
        return acedRetNil(), RTNORM;
    }
    CString database(args[0]->resval.rstring), table(args[1]->resval.rstring);
    long count = args[2]->restype == RTSHORT ? args[2]->resval.rint : args[2]->resval.rlong;
    std::vector<uint32_t> times;
    times.reserve(count);
    long correct = 0, wrong = 0, failed = 0;
    unsigned id = static_cast<unsigned>(::getpid());
    for (long i = 0; i < count; ++i) {
        id = id * 1103515245u + 12345u;
        int identifier = static_cast<int>((id >> 8) % kIdentifiers) + 1;
        CString text;
        auto t0 = std::chrono::steady_clock::now();
        bool ok = lookUp(database, table, identifier, text);
        auto t1 = std::chrono::steady_clock::now();
        times.push_back(static_cast<uint32_t>(std::chrono::duration_cast<std::chrono::nanoseconds>(t1 - t0).count()));
        if (!ok)
            ++failed;
        else if (text.str() == L"Text " + std::to_wstring(identifier))
            ++correct;
        else
            ++wrong;
    }
    std::string path;
    for (const wchar_t* p = args[3]->resval.rstring; *p; ++p)
        path += static_cast<char>(*p);
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(times.data(), sizeof(uint32_t), times.size(), f);
        std::fclose(f);
    }
    resbuf* list = acutBuildList(RTLB, RTLONG, static_cast<int>(correct), RTLONG, static_cast<int>(wrong), RTLONG,
                                 static_cast<int>(failed), RTLE, 0);
    acedRetList(list);
    acutRelRb(list);
    return RTNORM;
}

AcRxDynamicLinker* dynamicLinker()
{
    AcRxObject* obj = acrxSysRegistry() ? acrxSysRegistry()->at(L"DynamicLinker") : nullptr;
    if (!obj || !obj->isA()->isDerivedFrom(AcRxDynamicLinker::desc()))
        return nullptr;
    return static_cast<AcRxDynamicLinker*>(obj);
}

}  // namespace

extern "C" AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId)
{
    switch (msg) {
    case AcRx::kInitAppMsg:
        if (AcRxDynamicLinker* linker = dynamicLinker()) {
            linker->unlockApplication(appId);
            linker->registerAppMDIAware(appId);
        }
        break;
    case AcRx::kLoadDwgMsg:
        if (acedDefun(kFunctionName, kFunctionCode) == RTNORM)
            acedRegFunc(&textLast, kFunctionCode);
        break;
    case AcRx::kUnloadDwgMsg:
        acedUndef(kFunctionName, kFunctionCode);
        break;
    default:
        break;
    }
    return AcRx::kRetOK;
}

extern "C" int acrxGetApiVersion() { return ACRX_API_VERSION; }
