// The module's entry: library load and unload, and the CAD program's messages.
#include "frame/Module.h"

CDebugHilfe korDialogLog(L"korDialog", nullptr);
KorDialogExtension korDialogExtension;
CString korWindowPositionSection;

namespace {

HINSTANCE moduleInstance = nullptr;

// The dynamic linker of the system registry, if the registry holds one.
AcRxDynamicLinker* dynamicLinker()
{
    AcRxObject* obj = acrxSysRegistry() ? acrxSysRegistry()->at(L"DynamicLinker") : nullptr;
    if (!obj || !obj->isA()->isDerivedFrom(AcRxDynamicLinker::desc()))
        return nullptr;
    return static_cast<AcRxDynamicLinker*>(obj);
}

// What the loader's process attach and detach are on Windows: this object is constructed
// when the library is loaded and destroyed when it is unloaded. It is defined after the
// module log, so the log is there first and goes last.
struct LibraryLifetime {
    LibraryLifetime() { DllMain(AfxInstanceOf(&moduleInstance), DLL_PROCESS_ATTACH, nullptr); }
    ~LibraryLifetime() { DllMain(moduleInstance, DLL_PROCESS_DETACH, nullptr); }
} libraryLifetime;

}  // namespace

HINSTANCE korDialogInstance() { return moduleInstance; }

BOOL DllMain(HINSTANCE instance, DWORD reason, void* reserved)
{
    (void)reserved;
    KorDialogExtension& ext = korDialogExtension;
    if (reason == DLL_PROCESS_ATTACH) {
        moduleInstance = instance;
        korDialogLog.Initialisiere(instance);
        korDialogLog.AusgabeLang(L"InitExit", L"DLL_PROCESS_ATTACH\r\n");
        if (!ext.attached) {
            ext.attached = AfxInitExtensionModule(ext.module, instance) != FALSE;
            if (ext.attached) {
                ext.defaultResource = AfxGetModuleState()->m_hCurrentResourceHandle;
                ext.moduleResource = instance;
                ext.module.hResource = instance;
                new CDynLinkLibrary(ext.module);  // MFC owns it
            }
        }
    } else if (reason == DLL_PROCESS_DETACH) {
        if (ext.attached) {
            AfxTermExtensionModule(ext.module, FALSE);
            ext.defaultResource = nullptr;
            ext.moduleResource = nullptr;
            ext.attached = false;
        }
        korDialogLog.AusgabeLang(L"InitExit", L"DLL_PROCESS_DETACH\r\n");
    }
    return TRUE;
}

ACRX_ENTRY_POINT AcRx::AppRetCode acrxEntryPoint(AcRx::AppMsgCode msg, void* appId)
{
    switch (msg) {
    case AcRx::kInitAppMsg: {
        CKORDebugHelpFunction scope(korDialogLog, L"InitExit", L"AcRx::kInitAppMsg\r\n");
        if (AcRxDynamicLinker* linker = dynamicLinker())
            linker->unlockApplication(appId);
        if (AcRxDynamicLinker* linker = dynamicLinker())
            linker->registerAppMDIAware(appId);
        korWindowPositionSection = L"WindowPosition";
        break;
    }
    case AcRx::kUnloadAppMsg: {
        CKORDebugHelpFunction scope(korDialogLog, L"InitExit", L"AcRx::kUnloadAppMsg\r\n");
        break;
    }
    case AcRx::kLoadDwgMsg: {
        CKORDebugHelpFunction scope(korDialogLog, L"InitExit", L"AcRx::kLoadDwgMsg\r\n");
        LoadFunctions();
        break;
    }
    case AcRx::kUnloadDwgMsg: {
        CKORDebugHelpFunction scope(korDialogLog, L"InitExit", L"AcRx::kUnloadDwgMsg\r\n");
        UnloadFunctions();
        break;
    }
    case AcRx::kInvkSubrMsg:
        DoFunction();
        break;
    default:
        break;
    }
    return AcRx::kRetOK;
}

ACRX_ENTRY_POINT int acrxGetApiVersion() { return ACRX_API_VERSION; }
