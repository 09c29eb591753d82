// What the window tests share: running a dialog with a scripted user, temporary folders.
#pragma once

#include "mfc/afxwin.h"

#include <functional>
#include <string>

namespace uitest {

// Runs dlg modally; `user` acts on it once it shows. A dialog still open 10 s after that is
// closed with -99 and the test fails, so no test can hang.
INT_PTR runModal(CDialog& dlg, const std::function<void(CDialog&)>& user);

// A fresh empty folder under the system's temp folder.
std::string freshDir(const std::string& tag);

// Points XDG_CONFIG_HOME at a fresh folder for the life of the object.
class ScopedConfigHome {
public:
    ScopedConfigHome();
    ~ScopedConfigHome();
    const std::string& path() const { return m_path; }

private:
    std::string m_path, m_previous;
    bool m_hadPrevious = false;
};

// korcad's main window over "Zeichnung1.dwg", made once: the parent the module's dialogs get.
HWND mainWindow();

CRect windowRect(const CWnd& w);
CRect clientRectOf(const CDialog& dlg, UINT id);  // a control's rectangle in client coordinates
UINT focusedId();                                  // control id of the focused control, 0 if none
// Lets events run until the dialog's window is the active one; false if it is not after 30 s
// (a bound against a window that never becomes active, not a wait: it returns at once when it is).
bool waitUntilActive(const CDialog& dlg);

}  // namespace uitest
