// What every LISP handler is built on: the resource override, the string and icon loaders
// and the answer to a failed argument check.
#include "frame/Module.h"

CKorResourceOverride::CKorResourceOverride()
    : m_previous(AfxGetModuleState()->m_hCurrentResourceHandle)
{
    AfxGetModuleState()->m_hCurrentResourceHandle = korDialogExtension.moduleResource;
}

CKorResourceOverride::~CKorResourceOverride()
{
    AfxGetModuleState()->m_hCurrentResourceHandle = m_previous;
}

CString LoadModuleString(UINT id, HINSTANCE instance)
{
    CKorResourceOverride override;
    HINSTANCE from = instance ? instance : AfxGetModuleState()->m_hCurrentResourceHandle;
    wchar_t buffer[1024];
    buffer[0] = 0;
    LoadStringW(from, id, buffer, 1024);
    return CString(buffer);
}

HICON LoadModuleIcon(UINT id, int size, HINSTANCE instance)
{
    return static_cast<HICON>(LoadImageW(instance ? instance : korDialogInstance(), MAKEINTRESOURCEW(id), IMAGE_ICON,
                                         size, size, LR_SHARED));
}

void SetWindowIcons(CWnd& window, HICON icon)
{
    window.SendMessage(WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
    window.SendMessage(WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

int KorParameterError(int code, const wchar_t* format, ...)
{
    CKORAdsLispVar result;
    CKORAdsLisp::SetQ(result, CKORAdsLisp::List(CKORAdsLispVar(code)));
    CKORAdsLisp::Return(result);
    va_list ap;
    va_start(ap, format);
    korDialogLog.AusgabeLangV(L"DialogReturn", format, ap);
    va_end(ap);
    return RSERR;
}
