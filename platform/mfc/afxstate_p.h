// afxstate_p.h — everything the MFC layer keeps between calls, in one object (what MFC keeps
// in its module and thread state). For the layer's own sources.
//
// Lifetime. The state is made on first use and is never destroyed: libraries unregister
// their resources, and Qt destroys widgets (which the handle maps hear of), while the process
// exits, after static destructors may already have run.
//
// Two kinds of content:
//   kept for the process   what libraries register while they are loaded: the module state,
//                          the resource tables and chain, custom control classes, and the
//                          arguments the GUI application object holds on to;
//   per session            what windows, dialogs and callers leave: the handle maps, the
//                          running dialogs and their listeners, icons and font caches.
#pragma once

#include "mfc/afxhost.h"
#include "mfc/afxqt_p.h"

#include <QFont>
#include <QHash>
#include <QString>

#include <map>
#include <memory>
#include <set>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

namespace afxqt {

struct State {
    // ---- kept for the process -------------------------------------------------------------
    AFX_MODULE_STATE moduleState;
    struct RegisteredResources {
        HINSTANCE instance;
        const AfxResourceTable* table;
    };
    std::vector<RegisteredResources> resourceTables;  // every library that linked resources in
    std::vector<CDynLinkLibrary*> resourceChain;      // MFC's resource chain, newest first
    std::vector<std::pair<HMODULE, CDynLinkLibrary*>> ownedLibraries;  // deleted at module term
    std::map<std::wstring, ControlFactory> controlClasses;  // by lower-case class name
    std::wstring applicationName;  // message box captions; the program's file name by default
    // QApplication keeps references to argc and argv for its whole life.
    std::string appArg0;
    int appArgc = 1;
    char* appArgv[2] = {nullptr, nullptr};

    // ---- per session ----------------------------------------------------------------------
    // What the layer knows of a widget, in one entry: a widget's creation, lookups and
    // destruction each touch one map.
    struct Handle {
        WindowInfo info;
        bool registered = false;    // info holds: the layer made the window or was told of it
        CWnd* permanent = nullptr;  // attached by the program
    };
    QHash<const QWidget*, Handle> handles;          // whose destruction the maps hear of
    QHash<const QWidget*, CWnd*> temporaryObjects;  // made by FromHandle, owned here

    std::vector<CDialog*> modalStack;  // running DoModal calls, innermost last
    std::vector<std::pair<int, AfxDialogListener>> dialogListeners;
    int lastListenerToken = 0;
    unsigned lastModalSerial = 0;

    using SharedIconKey = std::tuple<HINSTANCE, UINT, int, int>;  // library, id, cx, cy
    std::map<SharedIconKey, std::unique_ptr<HICON__>> sharedIcons;  // live until reset
    std::set<HICON> ownedIcons;  // loaded without LR_SHARED, freed by DestroyIcon

    QString sansFamily;                    // the installed sans font standing in for Windows'
    QHash<QString, QString> fontFamilies;  // template font name -> installed family
    // Font -> dialog base units, for a program's few dialog fonts: compared, not keyed (a
    // font's key is dear to make, and a dialog asks for its units as it opens).
    std::vector<std::pair<QFont, QSize>> baseUnits;
};

State& state();

}  // namespace afxqt
