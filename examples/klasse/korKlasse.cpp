// korKlasse — a module of the suite that classifies drawing entities with korDialog's CAD-class
// assignment. Load it with (arxload "korKlasse"); it defines
//
//     (kor_KlasseZuordnen [titel [typ]])
//
// which lets the user select entities in the drawing and then runs the assignment: the class
// dialog (with the caption `titel` and, when `typ` names a catalogue type, only that type's
// classes), the question, and the progress window. It answers the number of entities it
// classified (0 when the user cancelled, said No or stopped; an entity that could not be
// classified is reported on the command line and not counted), nil when the selection was
// cancelled or empty, and nil with a message for arguments that are not strings.
#include "ads/adslib.h"
#include "cadclass/CADClassUserAssignment.h"

#include <string>

namespace {

constexpr int kFunctionCode = 1;
const ACHAR* const kFunctionName = L"kor_KlasseZuordnen";

// The optional string arguments; false (with a message) for anything else.
bool readArguments(std::wstring& title, std::wstring& typeFilter)
{
    std::wstring* targets[] = {&title, &typeFilter};
    int i = 0;
    for (const resbuf* arg = acedGetArgs(); arg; arg = arg->rbnext, ++i) {
        if (i >= 2) {
            acutPrintf(L"\n; Fehler: kor_KlasseZuordnen erwartet höchstens zwei Argumente (Titel, Typ)");
            return false;
        }
        if (arg->restype == RTNIL)
            continue;
        if (arg->restype != RTSTR) {
            acutPrintf(L"\n; Fehler: kor_KlasseZuordnen: Argument %d ist kein Text", i + 1);
            return false;
        }
        *targets[i] = arg->resval.rstring ? arg->resval.rstring : L"";
    }
    return true;
}

int klasseZuordnen()
{
    std::wstring title, typeFilter;
    if (!readArguments(title, typeFilter))
        return acedRetNil(), RTNORM;

    ads_name set;
    if (acedSSGet(nullptr, nullptr, nullptr, nullptr, set) != RTNORM) {
        acutPrintf(L"\nKeine Objekte gewählt.");
        return acedRetNil(), RTNORM;
    }
    CKORAdsSelectionSet selection(set);  // frees the set when the last copy goes
    CCATDBSelectionEntities entities(selection);
    CCADClassUserAssignment worker(entities, title, typeFilter);
    worker.Run();
    return acedRetInt(static_cast<int>(worker.GetClassifiedCount())), RTNORM;
}

AcRxDynamicLinker* dynamicLinker()
{
    AcRxObject* obj = acrxSysRegistry() ? acrxSysRegistry()->at(L"DynamicLinker") : nullptr;
    if (!obj || !obj->isA()->isDerivedFrom(AcRxDynamicLinker::desc()))
        return nullptr;
    return static_cast<AcRxDynamicLinker*>(obj);
}

void defineFunctions()
{
    if (acedDefun(kFunctionName, kFunctionCode) == RTNORM)
        acedRegFunc(&klasseZuordnen, kFunctionCode);
}

}  // namespace

ACRX_ENTRY_POINT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId)
{
    switch (msg) {
    case AcRx::kInitAppMsg:
        if (AcRxDynamicLinker* linker = dynamicLinker()) {
            linker->unlockApplication(appId);
            linker->registerAppMDIAware(appId);
        }
        break;
    case AcRx::kLoadDwgMsg:
        defineFunctions();
        break;
    case AcRx::kUnloadDwgMsg:
        acedUndef(kFunctionName, kFunctionCode);
        break;
    default:
        break;
    }
    return AcRx::kRetOK;
}

ACRX_ENTRY_POINT int acrxGetApiVersion() { return ACRX_API_VERSION; }
