// Module state, extension modules, the resource chain and the resource tables.
#include "mfc/afxstate_p.h"

#include <dlfcn.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>

namespace {

using Registered = afxqt::State::RegisteredResources;

const AfxResourceTable* tableOf(HINSTANCE instance)
{
    for (const auto& r : afxqt::state().resourceTables)
        if (r.instance == instance)
            return r.table;
    return nullptr;
}

}  // namespace

AFX_MODULE_STATE* AfxGetModuleState() { return &afxqt::state().moduleState; }

HINSTANCE AfxGetResourceHandle() { return AfxGetModuleState()->m_hCurrentResourceHandle; }
void AfxSetResourceHandle(HINSTANCE resource) { AfxGetModuleState()->m_hCurrentResourceHandle = resource; }
HINSTANCE AfxGetInstanceHandle() { return AfxGetModuleState()->m_hCurrentInstanceHandle; }

HINSTANCE AfxInstanceOf(const void* addressInLibrary)
{
    Dl_info info{};
    if (!dladdr(addressInLibrary, &info))
        return nullptr;
    return static_cast<HINSTANCE>(info.dli_fbase);
}

BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module)
{
    if (state.bInitialized)
        return TRUE;
    if (!module)
        return FALSE;
    state.hModule = module;
    state.hResource = module;
    state.bInitialized = TRUE;
    return TRUE;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all)
{
    (void)all;
    if (!state.bInitialized)
        return;
    auto& owned = afxqt::state().ownedLibraries;
    for (auto it = owned.begin(); it != owned.end();) {
        if (it->first == state.hModule) {
            CDynLinkLibrary* lib = it->second;
            it = owned.erase(it);
            delete lib;
        } else {
            ++it;
        }
    }
    state.bInitialized = FALSE;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system)
    : m_hModule(state.hModule), m_hResource(state.hResource)
{
    (void)system;
    afxqt::State& s = afxqt::state();
    s.resourceChain.insert(s.resourceChain.begin(), this);
    s.ownedLibraries.emplace_back(m_hModule, this);
}

CDynLinkLibrary::~CDynLinkLibrary()
{
    auto& chain = afxqt::state().resourceChain;
    chain.erase(std::remove(chain.begin(), chain.end(), this), chain.end());
}

std::vector<HINSTANCE> AfxResourceChain()
{
    std::vector<HINSTANCE> out;
    for (CDynLinkLibrary* lib : afxqt::state().resourceChain)
        out.push_back(lib->m_hResource);
    return out;
}

void AfxRegisterResources(const void* anchor, const AfxResourceTable* table)
{
    afxqt::state().resourceTables.push_back(Registered{AfxInstanceOf(anchor), table});
}

void AfxUnregisterResources(const AfxResourceTable* table)
{
    auto& t = afxqt::state().resourceTables;
    t.erase(std::remove_if(t.begin(), t.end(), [&](const Registered& r) { return r.table == table; }),
            t.end());
}

const AfxDialogTemplate* AfxFindDialogTemplate(HINSTANCE instance, UINT id)
{
    const AfxResourceTable* t = tableOf(instance);
    if (!t)
        return nullptr;
    for (size_t i = 0; i < t->dialogCount; ++i)
        if (t->dialogs[i].id == id)
            return &t->dialogs[i];
    return nullptr;
}

const AfxStringResource* AfxFindStringResource(HINSTANCE instance, UINT id)
{
    const AfxResourceTable* t = tableOf(instance);
    if (!t)
        return nullptr;
    for (size_t i = 0; i < t->stringCount; ++i)
        if (t->strings[i].id == id)
            return &t->strings[i];
    return nullptr;
}

const AfxIconResource* AfxFindIconResource(HINSTANCE instance, UINT id, int size)
{
    const AfxResourceTable* t = tableOf(instance);
    if (!t)
        return nullptr;
    const AfxIconResource* best = nullptr;
    for (size_t i = 0; i < t->iconCount; ++i) {
        const AfxIconResource& icon = t->icons[i];
        if (icon.id != id)
            continue;
        if (!best) {
            best = &icon;
            continue;
        }
        int d = std::abs(icon.size - size), bd = std::abs(best->size - size);
        if (d < bd || (d == bd && icon.size > best->size))
            best = &icon;
    }
    return best;
}

namespace {

// The order MFC searches: current resource handle, the chain, then any other library.
template <typename Found>
HINSTANCE searchResourceHandles(Found found)
{
    HINSTANCE current = AfxGetResourceHandle();
    if (current && found(current))
        return current;
    for (HINSTANCE h : AfxResourceChain())
        if (found(h))
            return h;
    for (const auto& r : afxqt::state().resourceTables)
        if (found(r.instance))
            return r.instance;
    return nullptr;
}

}  // namespace

HINSTANCE AfxFindDialogResourceHandle(UINT id)
{
    return searchResourceHandles([id](HINSTANCE h) { return AfxFindDialogTemplate(h, id) != nullptr; });
}

int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax)
{
    if (!buffer || bufferMax <= 0)
        return 0;
    const AfxStringResource* s = AfxFindStringResource(instance, id);
    if (!s)
        return 0;
    size_t n = std::min(std::wcslen(s->text), static_cast<size_t>(bufferMax - 1));
    std::wmemcpy(buffer, s->text, n);
    buffer[n] = 0;
    return static_cast<int>(n);
}

BOOL CString::LoadString(UINT id)
{
    HINSTANCE h = searchResourceHandles(
        [id](HINSTANCE inst) { return AfxFindStringResource(inst, id) != nullptr; });
    if (!h)
        return FALSE;
    *this = AfxFindStringResource(h, id)->text;
    return TRUE;
}

// ---- runtime classes --------------------------------------------------------------------------

const CRuntimeClass CObject::classCObject = {"CObject", sizeof(CObject), 0xFFFF, nullptr, nullptr};

CRuntimeClass* CObject::GetRuntimeClass() const { return RUNTIME_CLASS(CObject); }

BOOL CObject::IsKindOf(const CRuntimeClass* pClass) const
{
    return GetRuntimeClass()->IsDerivedFrom(pClass);
}

CObject* CRuntimeClass::CreateObject() const
{
    if (!m_pfnCreateObject) {
        std::fprintf(stderr, "CreateObject: class %s is not dynamically creatable (no DECLARE_DYNCREATE)\n",
                     m_lpszClassName ? m_lpszClassName : "?");
        return nullptr;
    }
    return m_pfnCreateObject();
}

BOOL CRuntimeClass::IsDerivedFrom(const CRuntimeClass* pBaseClass) const
{
    if (!pBaseClass)
        return FALSE;
    for (const CRuntimeClass* c = this; c; c = c->m_pBaseClass)
        if (c == pBaseClass)
            return TRUE;
    return FALSE;
}
