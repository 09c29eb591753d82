// The CAD-class assignment worker.
#include "cadclass/CADClassUserAssignment.h"

#include "frame/Handler.h"
#include "korgui/korprogress.h"
#include "korres/korresstrings.h"
#include "res/resource.h"

#include <map>
#include <memory>
#include <utility>

namespace {

constexpr int kStatusRunning = CKORGuiProgress::StatusRunning;
constexpr int kStatusDone = CKORGuiProgress::StatusDone;
constexpr int kStatusFailed = CKORGuiProgress::StatusFailed;

// The progress window: one bar for the whole run and one for each of the four steps, each
// bar ranging 0 .. 13 until its step sets its own maximum.
constexpr int kBars = 5;
constexpr double kBarMaximum = 13.0;
constexpr double kTimeRefresh = 0.3;  // seconds between refreshes of the times

// The first catalogue type whose name equals `name`, compared without regard to case.
const CCATDBBase* findType(const CCATDBModel* model, const wchar_t* name)
{
    if (!model)
        return nullptr;
    for (const CCATDBBase* type : model->GetTypeList())
        if (type && type->GetName().CompareNoCase(name) == 0)
            return type;
    return nullptr;
}

}  // namespace

CCADClassUserAssignment::CCADClassUserAssignment(CCATDBSelectionEntities& entities, std::wstring title,
                                                 std::wstring typeFilter)
    : m_pSelectionEntities(&entities),
      m_SelectionSet(entities.GetSelectionSet()),
      m_strTypeFilter(std::move(typeFilter)),
      m_strDlgTitle(std::move(title))
{
}

CCADClassUserAssignment::~CCADClassUserAssignment() = default;

bool CCADClassUserAssignment::ExecutionStopped() { return m_bStopped || m_bFailed; }

bool CCADClassUserAssignment::ProgressAbbruchProc(CKORGuiProgress* progress, long long context)
{
    (void)progress;
    auto* worker = reinterpret_cast<CCADClassUserAssignment*>(static_cast<intptr_t>(context));
    if (AfxMessageBox(gstr_KORFLAECHENLMK_ERSTELLE_MESSAGE_BERECHNUNGABBRECHEN, MB_YESNO) == IDYES && worker)
        worker->m_bStopped = true;
    return true;
}

void CCADClassUserAssignment::Run()
{
    m_bStopped = m_bFailed = m_bWritten = false;
    m_nClassified = 0;
    // The window is the run's: it goes however the run ends, an exception included, and
    // the pointer the steps use is reset before.
    auto window = std::make_unique<CKORGuiProgress>(
        false /* normal frame */, true /* elapsed */, true /* remaining */, true /* icons */, true /* percent */,
        false /* not on top */, kTimeRefresh, kBars, nullptr, CKORGuiProgress::PositionCentred);
    struct ResetPointer {
        CKORGuiProgress*& pointer;
        ~ResetPointer() { pointer = nullptr; }
    } resetPointer{m_pProgress};
    m_pProgress = window.get();
    CKORGuiProgress::SetzeMinAnzahlSichtbareProgressBars(m_pProgress, kBars);
    CKORGuiProgress::AktiviereAbbruch(m_pProgress, &ProgressAbbruchProc,
                                      static_cast<long long>(reinterpret_cast<intptr_t>(this)));

    auto addBar = [this](const CString& start, const CString& end) {
        return CKORGuiProgress::AddiereProgressBar(m_pProgress, 0.0, kBarMaximum, 0.0, start, end, start,
                                                   CKORGuiProgress::StatusWaiting);
    };
    void* total = addBar(gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_TOTAL_START,
                         gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_TOTAL_ENDE);
    void* select = addBar(gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_SELECTCADCLASS_START,
                          gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_SELECTCADCLASS_ENDE);
    void* remove = addBar(gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_REMOVEATTRIBUTES_START,
                          gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_SETCADCLASS_ENDE);
    void* assign = addBar(gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_SETCADCLASS_START,
                          gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_SETCADCLASS_ENDE);
    void* update = addBar(gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_UPDATEATTRIBUTES_START,
                          gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_PROGRESS_SETCADCLASS_ENDE);

    const std::pair<void*, bool (CCADClassUserAssignment::*)(void*)> steps[] = {
        {select, &CCADClassUserAssignment::SelectCADClass},
        {remove, &CCADClassUserAssignment::RemoveAttributes},
        {assign, &CCADClassUserAssignment::SetCADClass},
        {update, &CCADClassUserAssignment::UpdateAttributes},
    };
    double totalPosition = 2.0;
    for (const auto& [bar, step] : steps) {
        CKORGuiProgress::SetzeProgressStartZeit(m_pProgress, bar);
        if (!ExecutionStopped() && (this->*step)(bar))
            CKORGuiProgress::SetzeProgressAktuellePosition(m_pProgress, total, totalPosition, 1.0, true);
        totalPosition += 1.0;
    }

    for (void* bar : {total, select, remove, assign, update})
        CKORGuiProgress::EntferneProgressBar(m_pProgress, bar, false);
    m_pProgress = nullptr;
    window.reset();
    if (m_bWritten)
        ReportFailures();
}

void CCADClassUserAssignment::ReportFailures()
{
    const std::vector<CCATDBEntityFailure>& failures = m_pSelectionEntities->GetFailures();
    if (failures.empty())
        return;
    CString line;
    for (const CCATDBEntityFailure& f : failures) {
        if (f.handle.IsEmpty())
            line.Format(LoadModuleString(IDS_CADCLASS_NOT_CLASSIFIED_AT), f.index + 1, f.reason.GetString());
        else
            line.Format(LoadModuleString(IDS_CADCLASS_NOT_CLASSIFIED), f.handle.GetString(), f.reason.GetString());
        acutPrintf(L"\n%s", line.GetString());
        CString entity = f.handle;
        if (entity.IsEmpty())
            entity.Format(L"#%d", static_cast<int>(f.index + 1));
        korDialogLog.AusgabeLang(L"CADClass", L"not classified: entity %s: %s\r\n",
                                 entity.GetString(),
                                 f.reason.GetString());
    }
    line.Format(LoadModuleString(IDS_CADCLASS_CLASSIFIED_OF), m_nClassified, m_SelectionSet.GetSize());
    acutPrintf(L"\n%s", line.GetString());
}

bool CCADClassUserAssignment::SelectCADClass(void* bar)
{
    CCATDBModel* model = CCATDBModelManager::GetCurrentModel();
    CKORGuiProgress::SetzeProgressMaximumPosition(m_pProgress, bar, 4.0);
    CKORGuiProgress::SetzeProgressStatus(m_pProgress, bar, kStatusRunning);

    const CCATDBBase* named = m_strTypeFilter.empty() ? nullptr : findType(model, m_strTypeFilter.c_str());
    const CCATDBBase* area = m_strTypeFilter.empty() ? findType(model, L"Flaeche") : nullptr;
    CKORGuiProgress::SetzeProgressAktuellePosition(m_pProgress, bar, 1.0, 1.0, true);

    // Display text -> class; std::wstring compares code unit by code unit, and a multimap
    // keeps equal texts in the order they came.
    std::multimap<std::wstring, CCATDBCADClass*> offered;
    if (model)
        for (CCATDBCADClass* cadClass : model->GetCADClassList()) {
            if (!cadClass)
                continue;
            if (named ? cadClass->IsOfType(named) == 0 : area && cadClass->IsOfType(area) != 0)
                continue;
            offered.emplace(cadClass->GetDisplayName().GetText(nullptr).str(), cadClass);
        }
    CKORGuiProgress::SetzeProgressAktuellePosition(m_pProgress, bar, 2.0, 1.0, true);

    bool result = false;
    {
        CDlgCADClassUserAssignment dialog(nullptr);
        dialog.SetProgressDialog(m_pProgress);
        for (const auto& entry : offered)
            dialog.m_arrItems.Add(CString(entry.first));
        dialog.m_strTitle = m_strDlgTitle.empty() ? gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_DLGTITLE
                                                  : CString(m_strDlgTitle);
        dialog.m_strHint = gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_DLGHINT;
        CKORGuiProgress::SetzeProgressAktuellePosition(m_pProgress, bar, 3.0, 1.0, true);

        if (dialog.DoModal() != IDOK) {
            m_bStopped = true;
        } else {
            int position = 0;
            for (const auto& entry : offered) {
                if (position++ == dialog.m_nSelectedIndex) {
                    m_pCADClass = entry.second;
                    break;
                }
            }
            if (m_pCADClass) {
                CKORGuiProgress::SetzeProgressAktuellePosition(m_pProgress, bar, 4.0, 1.0, true);
                CString question;
                question.Format(gstr_KORPALETTE_FREMDOBJEKTEZUORDNUNG_QUESTION_ASSIGN,
                                static_cast<int>(m_SelectionSet.GetSize()),
                                m_pCADClass->GetDisplayName().GetText(nullptr).GetString());
                if (AfxMessageBox(question, MB_YESNO | MB_ICONQUESTION) == IDYES)
                    result = true;
                else
                    m_bStopped = true;
            }
        }
    }

    CKORGuiProgress::SetzeProgressStatus(m_pProgress, bar, result ? kStatusDone : kStatusFailed);
    if (!result)
        m_bFailed = true;
    return result;
}

bool CCADClassUserAssignment::RemoveAttributes(void* bar)
{
    CKORGuiProgress::SetzeProgressMaximumPosition(m_pProgress, bar, 1.0);
    CKORGuiProgress::SetzeProgressStatus(m_pProgress, bar, kStatusRunning);
    // Read once, and from here on worked in memory: the last step writes each entity whole.
    ads_name setName;
    if (m_SelectionSet.GetName(setName))
        m_pSelectionEntities->LoadEntities(setName);  // an entity it cannot read is a failure
    m_pSelectionEntities->RemoveAttributesFromLoaded();
    CKORGuiProgress::SetzeProgressAktuellePosition(m_pProgress, bar, 1.0, 1.0, true);
    CKORGuiProgress::SetzeProgressStatus(m_pProgress, bar, kStatusFailed);
    return false;
}

bool CCADClassUserAssignment::SetCADClass(void* bar)
{
    const long n = m_pSelectionEntities->GetLoadedCount();
    const double updateStep = n >= 200 ? static_cast<double>(n / 100) : 1.0;
    CKORGuiProgress::SetzeProgressMaximumPosition(m_pProgress, bar, static_cast<double>(n));
    CKORGuiProgress::SetzeProgressStatus(m_pProgress, bar, kStatusRunning);

    for (long i = 0; i < n && m_pCADClass; ++i) {
        m_pSelectionEntities->AssignCADClass(i, *m_pCADClass);
        CKORGuiProgress::SetzeProgressAktuellePosition(m_pProgress, bar, static_cast<double>(i), updateStep, true);
    }

    CKORGuiProgress::SetzeProgressAktuellePosition(m_pProgress, bar, static_cast<double>(n), 1.0, true);
    CKORGuiProgress::SetzeProgressStatus(m_pProgress, bar, kStatusDone);
    return true;
}

bool CCADClassUserAssignment::UpdateAttributes(void* bar)
{
    CKORGuiProgress::SetzeProgressMaximumPosition(m_pProgress, bar, 2.0);
    CKORGuiProgress::SetzeProgressStatus(m_pProgress, bar, kStatusRunning);
    const long n = m_pSelectionEntities->GetLoadedCount();
    if (n > 0)
        m_pSelectionEntities->SetStandardValuesFromTbl();
    CKORGuiProgress::SetzeProgressAktuellePosition(m_pProgress, bar, 1.0, 1.0, true);
    // The one write of each entity: its previous classification removed, the class and its
    // standard values written, or (refused) the entity as it was.
    if (n > 0)
        m_pSelectionEntities->UpdateCATDBValuesFromKey();
    m_bWritten = true;
    for (long i = 0; i < n; ++i)
        m_nClassified += !m_pSelectionEntities->IsLoadedEntityFailed(i);
    const bool whole = n > 0 && m_pSelectionEntities->GetFailures().empty();
    CKORGuiProgress::SetzeProgressAktuellePosition(m_pProgress, bar, 2.0, 1.0, true);
    CKORGuiProgress::SetzeProgressStatus(m_pProgress, bar, whole ? kStatusDone : kStatusFailed);
    return whole;
}
