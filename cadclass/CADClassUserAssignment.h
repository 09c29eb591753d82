// CAD-class assignment: classifies a selection of drawing entities with one CAD class of the
// suite's class catalogue, which the user chooses in CDlgCADClassUserAssignment.
//
// Exported from korDialog for the suite's modules; this is the header they include. Use:
//
//     CCATDBSelectionEntities entities(selectionSet);
//     CCADClassUserAssignment worker(entities, L"Titel", L"Punkt");   // title, type filter
//     worker.Run();
//
// Run shows a progress window with five bars (total, choice, removal, assignment, standard
// values) and does four steps in that order: the user chooses a class and confirms it; the
// attributes of the entities' previous classification are removed; "CAD-Class",
// "CAD-Class_M" (1) and "CAD-Class-Name" are written to every entity; the catalogue fills the
// class's standard values. Cancelling the dialog, answering No, or stopping in the progress
// window skips every later step. Each entity is written in one piece, so a stop never leaves
// an entity half classified.
#pragma once

#include "cadclass/DlgCADClassUserAssignment.h"
#include "catdb/catdb.h"
#include "korent/korent.h"

#include <string>

class CKORGuiProgress;
class CCATDBCADClass;

class KOR_CADCLASS_EXPORT CCADClassUserAssignment {
public:
    // `entities` must outlive the worker. An empty title gives the standard caption; a type
    // filter names a catalogue type whose classes alone are offered (empty: every class that
    // is not an area class).
    CCADClassUserAssignment(CCATDBSelectionEntities& entities, std::wstring title, std::wstring typeFilter);
    CCADClassUserAssignment(const CCADClassUserAssignment&) = default;
    CCADClassUserAssignment(CCADClassUserAssignment&&) = default;
    ~CCADClassUserAssignment();

    void Run();

    bool SelectCADClass(void* bar);
    bool RemoveAttributes(void* bar);
    bool SetCADClass(void* bar);
    bool UpdateAttributes(void* bar);

private:
    bool ExecutionStopped();
    static bool ProgressAbbruchProc(CKORGuiProgress* progress, long long context);

    CKORGuiProgress* m_pProgress = nullptr;
    CCATDBCADClass* m_pCADClass = nullptr;
    bool m_bStopped = false;
    bool m_bFailed = false;
    CCATDBSelectionEntities* m_pSelectionEntities;
    CKORAdsSelectionSet m_SelectionSet;
    std::wstring m_strTypeFilter;
    std::wstring m_strDlgTitle;
};
