// afx.h — the core of our MFC stand-in: text, text arrays, module state, extension modules
// and string resources. The window side (CWnd, CDialog, controls) is in afxwin.h.
//
// Stands in for: MFC's afx.h / afxdll_.h and the Win32 string-resource calls.
// [X] CString: counted wide text, printf-style Format (%s is wide text, as in MFC's Unicode
//     build; numbers in the C locale, "3.14"), Trim / TrimLeft / TrimRight, comparisons, LoadString, concatenation
// [X] CStringArray
// [X] the module state's current resource handle (AfxGetModuleState, AfxGetResourceHandle,
//     AfxSetResourceHandle)
// [X] extension modules: AFX_EXTENSION_MODULE, AfxInitExtensionModule, CDynLinkLibrary (joins
//     the resource chain), AfxTermExtensionModule
// [X] LoadStringW over the string table a library links in (see afxres.h)
// [X] CObject and runtime classes: CRuntimeClass (CreateObject, IsDerivedFrom), RUNTIME_CLASS,
//     DECLARE_DYNAMIC / IMPLEMENT_DYNAMIC, DECLARE_DYNCREATE / IMPLEMENT_DYNCREATE, IsKindOf,
//     DYNAMIC_DOWNCAST
// [ ] collections other than CStringArray, serialization, exceptions
#pragma once

#include "win/wintypes.h"

#include <cstdarg>
#include <string>
#include <vector>

// ---- objects and runtime classes ------------------------------------------------------------
class CObject;

// What a class declared with DECLARE_DYNAMIC knows of itself: its name, size, base class and,
// for DECLARE_DYNCREATE, how to make one with its default constructor.
struct CRuntimeClass {
    const char* m_lpszClassName;
    int m_nObjectSize;
    UINT m_wSchema;                  // 0xFFFF: not serializable
    CObject* (*m_pfnCreateObject)();  // null unless DECLARE_DYNCREATE
    CRuntimeClass* m_pBaseClass;     // null for CObject

    // A new object of the class (the caller owns it); null, with a message on stderr, for a
    // class that is not dynamically creatable.
    CObject* CreateObject() const;
    // True for this class and every class derived from it.
    BOOL IsDerivedFrom(const CRuntimeClass* pBaseClass) const;
};

#define RUNTIME_CLASS(class_name) (const_cast<CRuntimeClass*>(&class_name::class##class_name))

#define DECLARE_DYNAMIC(class_name)                   \
public:                                               \
    static const CRuntimeClass class##class_name;     \
    CRuntimeClass* GetRuntimeClass() const override;

#define DECLARE_DYNCREATE(class_name) \
    DECLARE_DYNAMIC(class_name)       \
    static CObject* CreateObject();

#define AFX_IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, pfnNew)                        \
    const CRuntimeClass class_name::class##class_name = {#class_name, sizeof(class_name), 0xFFFF, \
                                                         pfnNew, RUNTIME_CLASS(base_class_name)}; \
    CRuntimeClass* class_name::GetRuntimeClass() const { return RUNTIME_CLASS(class_name); }

#define IMPLEMENT_DYNAMIC(class_name, base_class_name) \
    AFX_IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, nullptr)

#define IMPLEMENT_DYNCREATE(class_name, base_class_name)                   \
    CObject* class_name::CreateObject() { return new class_name; }         \
    AFX_IMPLEMENT_RUNTIMECLASS_(class_name, base_class_name, &class_name::CreateObject)

// The root of the classes that carry runtime-class information.
class CObject {
public:
    virtual ~CObject() = default;
    virtual CRuntimeClass* GetRuntimeClass() const;
    // True when the object's class is pClass or derived from it.
    BOOL IsKindOf(const CRuntimeClass* pClass) const;

    static const CRuntimeClass classCObject;

protected:
    CObject() = default;
};

// The object as class_name when it is one (IsKindOf), else null.
#define DYNAMIC_DOWNCAST(class_name, object)                                                   \
    ((object) && (object)->IsKindOf(RUNTIME_CLASS(class_name)) ? static_cast<class_name*>(object) \
                                                               : nullptr)

// ---- text ---------------------------------------------------------------------------------------
class CString {
public:
    CString() = default;
    CString(const wchar_t* text) : m_s(text ? text : L"") {}
    CString(const wchar_t* text, int length) : m_s(text ? std::wstring(text, length) : L"") {}
    CString(wchar_t ch, int repeat = 1) : m_s(repeat > 0 ? repeat : 0, ch) {}
    CString(const std::wstring& s) : m_s(s) {}

    operator const wchar_t*() const { return m_s.c_str(); }
    const wchar_t* GetString() const { return m_s.c_str(); }
    const std::wstring& str() const { return m_s; }

    int GetLength() const { return static_cast<int>(m_s.size()); }
    bool IsEmpty() const { return m_s.empty(); }
    void Empty() { m_s.clear(); }
    wchar_t GetAt(int i) const { return m_s.at(i); }
    wchar_t operator[](int i) const { return m_s.at(i); }

    // printf-style formatting. %s and %c take wide text and characters, as in MFC's
    // Unicode build; %hs takes narrow text. A failed format leaves the text empty.
    void Format(const wchar_t* format, ...);
    void FormatV(const wchar_t* format, va_list args);

    CString& Trim();
    CString& TrimLeft();
    CString& TrimRight();
    int CompareNoCase(const wchar_t* other) const;

    // Loads a string resource: the current resource handle first, then the resource chain.
    // False (and the text unchanged) when no library holds the id.
    BOOL LoadString(UINT id);

    CString& operator=(const wchar_t* text)
    {
        m_s = text ? text : L"";
        return *this;
    }
    CString& operator+=(const CString& other)
    {
        m_s += other.m_s;
        return *this;
    }
    CString& operator+=(const wchar_t* text)
    {
        m_s += text ? text : L"";
        return *this;
    }
    CString& operator+=(wchar_t ch)
    {
        m_s += ch;
        return *this;
    }

    friend CString operator+(const CString& a, const CString& b) { return CString(a.m_s + b.m_s); }
    friend CString operator+(const CString& a, const wchar_t* b) { return a + CString(b); }
    friend CString operator+(const wchar_t* a, const CString& b) { return CString(a) + b; }
    friend bool operator==(const CString& a, const CString& b) { return a.m_s == b.m_s; }
    friend bool operator==(const CString& a, const wchar_t* b) { return a.m_s == (b ? b : L""); }
    friend bool operator!=(const CString& a, const CString& b) { return !(a == b); }
    friend bool operator!=(const CString& a, const wchar_t* b) { return !(a == b); }
    friend bool operator<(const CString& a, const CString& b) { return a.m_s < b.m_s; }

private:
    std::wstring m_s;
};

class CStringArray {
public:
    int GetSize() const { return static_cast<int>(m_items.size()); }
    int GetCount() const { return GetSize(); }
    int GetUpperBound() const { return GetSize() - 1; }
    bool IsEmpty() const { return m_items.empty(); }
    int Add(const CString& s)
    {
        m_items.push_back(s);
        return GetSize() - 1;
    }
    const CString& GetAt(int i) const { return m_items.at(i); }
    CString& ElementAt(int i) { return m_items.at(i); }
    void SetAt(int i, const CString& s) { m_items.at(i) = s; }
    const CString& operator[](int i) const { return m_items.at(i); }
    CString& operator[](int i) { return m_items.at(i); }
    void InsertAt(int i, const CString& s) { m_items.insert(m_items.begin() + i, s); }
    void RemoveAt(int i, int count = 1)
    {
        m_items.erase(m_items.begin() + i, m_items.begin() + i + count);
    }
    void RemoveAll() { m_items.clear(); }
    void Append(const CStringArray& other)
    {
        m_items.insert(m_items.end(), other.m_items.begin(), other.m_items.end());
    }

private:
    std::vector<CString> m_items;
};

// ---- module state and extension modules -----------------------------------------------

struct AFX_MODULE_STATE {
    HINSTANCE m_hCurrentInstanceHandle = nullptr;
    HINSTANCE m_hCurrentResourceHandle = nullptr;
};
// One module state per process: the host's. Extension modules share it, as in MFC.
AFX_MODULE_STATE* AfxGetModuleState();
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE resource);
HINSTANCE AfxGetInstanceHandle();

struct AFX_EXTENSION_MODULE {
    BOOL bInitialized = FALSE;
    HMODULE hModule = nullptr;
    HMODULE hResource = nullptr;
};

// Records the module and its resources (the library itself holds them); false for a null
// module. A record already initialised stays as it is.
BOOL AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
// Takes the module's CDynLinkLibrary objects out of the resource chain and deletes them.
void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state, BOOL all = FALSE);

// Constructing one puts the extension module into MFC's resource chain, which string and
// template lookups walk after the current resource handle. MFC owns the object.
class CDynLinkLibrary {
public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state, BOOL system = FALSE);
    virtual ~CDynLinkLibrary();
    HMODULE m_hModule;
    HMODULE m_hResource;
};
// The resource chain, most recently added first.
std::vector<HINSTANCE> AfxResourceChain();

// The instance handle of the library that contains the given address.
HINSTANCE AfxInstanceOf(const void* addressInLibrary);

// ---- string resources -------------------------------------------------------------------
// Copies string `id` of `instance` into buffer (at most bufferMax - 1 characters and the
// terminating 0) and returns the number of characters copied; 0 when the string is missing.
int LoadStringW(HINSTANCE instance, UINT id, LPWSTR buffer, int bufferMax);

// UTF-8 <-> wide text for the platform layers, by the one codec (text/text.h): ill-formed
// input and surrogates become U+FFFD.
std::string AfxToUtf8(const wchar_t* text);
std::wstring AfxFromUtf8(const std::string& text);
