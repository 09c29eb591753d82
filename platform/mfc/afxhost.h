// afxhost.h — the window layer as the host program and the tests see it: the application
// object, handles for the host's own windows, and the modal dialogs as they come and go.
// Modules do not include this; they only see afxwin.h. The host's windows themselves (its
// main window, the drawing view) are the host's: it makes them with Qt and hands their
// handles to the layer.
#pragma once

#include "mfc/afxwin.h"

#include <functional>
#include <string>
#include <vector>

class QWidget;

// Creates the GUI application object if it does not exist yet; every window call does this
// itself, so a run that opens no window starts no GUI. Without DISPLAY and WAYLAND_DISPLAY
// (and no QT_QPA_PLATFORM of the user's) Qt's offscreen platform is chosen; a display that is
// named but cannot be opened falls back to the offscreen platform with one warning on stderr.
// False with a message when no GUI can be started.
bool AfxHostInitUI(std::string* error = nullptr);
// True once the GUI application object exists.
bool AfxHostUIStarted();

// The name shown as the main window's title and on message boxes; default: the program's
// file name.
void AfxHostSetApplicationName(const std::wstring& name);
std::wstring AfxHostApplicationName();

// The handle of a window the host made itself (its main window, the drawing view), so that
// dialogs can be parented to it; and back.
HWND AfxHostHandleOf(QWidget* window);
QWidget* AfxHostWidgetOf(HWND window);

// Dialogs as they open (shown, after OnInitDialog) and close (the modal loop has ended, the
// window still exists). Listeners are called in the order they were added.
enum class AfxDialogEvent { Opened, Closed };
using AfxDialogListener = std::function<void(CDialog& dialog, AfxDialogEvent event)>;
int AfxAddDialogListener(AfxDialogListener listener);  // returns a token for removal
void AfxRemoveDialogListener(int token);

// The modal dialogs running now, the innermost (the one the user can reach) last.
std::vector<CDialog*> AfxModalDialogs();
CDialog* AfxActiveModalDialog();
// A unique number for each run of DoModal (0 when the dialog is not running).
unsigned AfxModalSerial(const CDialog* dialog);

// Processes pending window events once (for hosts and tests between steps); with no dialog
// running it is idle time, and the temporary window objects of CWnd::FromHandle are freed.
void AfxHostProcessEvents();
