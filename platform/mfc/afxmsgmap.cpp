// CCmdTarget's message maps (the lookup of a handler by message, control id and notification)
// and registered window messages.
#include "mfc/afxlist_p.h"
#include "mfc/afxstate_p.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGroupBox>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cwchar>
#include <map>
#include <string>

// ---- message maps -------------------------------------------------------------------------

IMPLEMENT_DYNAMIC(CCmdTarget, CObject)
IMPLEMENT_DYNCREATE(CWnd, CCmdTarget)

const AFX_MSGMAP* CCmdTarget::GetThisMessageMap()
{
    static const AFX_MSGMAP_ENTRY entries[] = {{0, 0, 0, 0, nullptr, nullptr}};
    static const AFX_MSGMAP map = {nullptr, &entries[0]};
    return &map;
}

const AFX_MSGMAP* CCmdTarget::GetMessageMap() const { return GetThisMessageMap(); }

BOOL CCmdTarget::OnCmdMsg(UINT nID, int nCode)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage; ++e) {
            if (e->nMessage == WM_COMMAND && e->nCode == static_cast<UINT>(nCode) && e->nID <= nID &&
                nID <= e->nLastID) {
                if (e->pfnRange)
                    (this->*(e->pfnRange))(nID);
                else
                    (this->*(e->pfn))();
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL CCmdTarget::OnMsgMap(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result)
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr) {
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage; ++e) {
            if (e->nMessage == message && e->nCode == AFX_MSG_ENTRY_MESSAGE && e->pfnMessage) {
                LRESULT r = (this->*(e->pfnMessage))(wParam, lParam);
                if (result)
                    *result = r;
                return TRUE;
            }
        }
    }
    return FALSE;
}

BOOL CCmdTarget::HasMessageEntry(UINT message) const
{
    for (const AFX_MSGMAP* map = GetMessageMap(); map;
         map = map->pfnGetBaseMap ? map->pfnGetBaseMap() : nullptr)
        for (const AFX_MSGMAP_ENTRY* e = map->lpEntries; e->nMessage; ++e)
            if (e->nMessage == message)
                return TRUE;
    return FALSE;
}

UINT RegisterWindowMessageW(LPCWSTR name)
{
    if (!name || !*name)
        return 0;
    static std::map<std::wstring, UINT> registered;
    auto [it, added] = registered.emplace(name, 0);
    if (added)
        it->second = 0xC000u + static_cast<UINT>(registered.size() - 1);
    return it->second;
}

