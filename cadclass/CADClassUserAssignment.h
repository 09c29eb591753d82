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
// "CAD-Class_M" (1) and "CAD-Class-Name" are given to every entity; the catalogue fills the
// class's standard values. Cancelling the dialog, answering No, or stopping in the progress
// window skips every later step. The steps work in memory and the last writes each entity
// once, removal and new class together: an entity is classified whole or keeps what it had,
// after a stop as after a failure (its extended data would pass 16 KiB, it was erased, a
// standard value is refused). Every entity that could not be classified is reported on the
// command line and in the debug log (category "CADClass") with its handle.
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
    // The entities the last Run classified: 0 when it was cancelled or stopped.
    long GetClassifiedCount() const { return m_nClassified; }

    bool SelectCADClass(void* bar);
    bool RemoveAttributes(void* bar);
    bool SetCADClass(void* bar);
    bool UpdateAttributes(void* bar);

private:
    bool ExecutionStopped();
    void ReportFailures();
    static bool ProgressAbbruchProc(CKORGuiProgress* progress, long long context);

    CKORGuiProgress* m_pProgress = nullptr;
    CCATDBCADClass* m_pCADClass = nullptr;
    bool m_bStopped = false;
    bool m_bFailed = false;
    bool m_bWritten = false;  // the last step ran
    long m_nClassified = 0;
    CCATDBSelectionEntities* m_pSelectionEntities;
    CKORAdsSelectionSet m_SelectionSet;
    std::wstring m_strTypeFilter;
    std::wstring m_strDlgTitle;
};
