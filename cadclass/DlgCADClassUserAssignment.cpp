// The CAD-class assignment dialog (template IDD_CADCLASS).
#include "cadclass/DlgCADClassUserAssignment.h"

#include "ads/adslib.h"
#include "catdb/catdb.h"
#include "frame/Handler.h"
#include "kor/korcommon.h"
#include "kor/matchlike.h"
#include "korent/korent.h"
#include "korgui/korprogress.h"
#include "korres/korresstrings.h"
#include "res/resource.h"

namespace {

constexpr COLORREF kHighlight = RGB(255, 255, 0);
constexpr int kAttributeChars = 1024;

// The first catalogue type named "Flaeche" (the area type), compared without regard to case.
const CCATDBBase* areaType(const CCATDBModel* model)
{
    if (!model)
        return nullptr;
    for (const CCATDBBase* type : model->GetTypeList())
        if (type && type->GetName().CompareNoCase(L"Flaeche") == 0)
            return type;
    return nullptr;
}

}  // namespace

IMPLEMENT_DYNCREATE(CDlgCADClassUserAssignment, CKORGuiRolloutDlg)

BEGIN_MESSAGE_MAP(CDlgCADClassUserAssignment, CKORGuiRolloutDlg)
    ON_EN_CHANGE(IDC_CADCLASS_SEARCH, &CDlgCADClassUserAssignment::OnChangedSearch)
    ON_BN_CLICKED(IDOK, &CDlgCADClassUserAssignment::OnOK)
    ON_BN_CLICKED(IDC_CADCLASS_SHOW, &CDlgCADClassUserAssignment::OnZeigen)
    ON_WM_DESTROY()
    ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

CDlgCADClassUserAssignment::CDlgCADClassUserAssignment(CWnd* pParent) : CKORGuiRolloutDlg(IDD_CADCLASS, pParent)
{
    m_brHighlight.CreateSolidBrush(kHighlight);
}

CDlgCADClassUserAssignment::CDlgCADClassUserAssignment() : CDlgCADClassUserAssignment(nullptr) {}

CDlgCADClassUserAssignment::~CDlgCADClassUserAssignment() { m_brHighlight.DeleteObject(); }

void CDlgCADClassUserAssignment::SetProgressDialog(CKORGuiProgress* pProgress) { m_pProgress = pProgress; }

INT_PTR CDlgCADClassUserAssignment::DoModal()
{
    CKorResourceOverride resources;
    return CKORGuiRolloutDlg::DoModal();
}

BOOL CDlgCADClassUserAssignment::SetAllLabels()
{
    CKORGuiRolloutDlg::SetAllLabels();
    m_btnShow.SetWindowText(LoadResourceString(IDS_CADCLASS_SHOW, korDialogInstance(), nullptr));
    m_stSearch.SetWindowText(LoadResourceString(IDS_CADCLASS_SEARCH, korDialogInstance(), nullptr));
    return TRUE;
}

void CDlgCADClassUserAssignment::DoDataExchange(CDataExchange* pDX)
{
    CKORGuiRolloutDlg::DoDataExchange(pDX);
    DDX_Control(pDX, IDC_CADCLASS_SEARCH_LABEL, m_stSearch);
    DDX_Control(pDX, IDC_CADCLASS_SEARCH, m_edSearch);
    DDX_Control(pDX, IDC_CADCLASS_HINT, m_stHint);
    DDX_Control(pDX, IDC_CADCLASS_LIST, m_lbItems);
    DDX_Control(pDX, IDC_CADCLASS_SHOW, m_btnShow);
    DDX_Control(pDX, IDOK, m_btnOK);
    DDX_Control(pDX, IDCANCEL, m_btnCancel);
}

BOOL CDlgCADClassUserAssignment::OnInitDialog()
{
    CKORGuiRolloutDlg::OnInitDialog();

    m_btnCancel.ShowWindow(SW_HIDE);
    m_hShowIcon = GetResourceIcon(IDI_CADCLASS_SHOW, 24, 24, korDialogInstance());
    m_btnShow.SetIcon(m_hShowIcon, nullptr);

    SetWindowText(m_strTitle);
    m_stHint.SetWindowText(m_strHint);
    SetAllLabels();

    AddAnchor(IDC_CADCLASS_SEARCH, CSize(0, 0), CSize(100, 0));
    AddAnchor(IDC_CADCLASS_LIST, CSize(0, 0), CSize(100, 100));
    AddAnchor(IDC_CADCLASS_HINT, CSize(0, 100), CSize(100, 100));
    AddAnchor(IDCANCEL, CSize(0, 100));
    AddAnchor(IDC_CADCLASS_SHOW, CSize(100, 100));
    AddAnchor(IDOK, CSize(100, 100));
    EnableSaveRestore(L"WindowPosition", L"CDlgCADClassUserAssignment", true, false);

    OnChangedSearch();
    return TRUE;
}

void CDlgCADClassUserAssignment::OnChangedSearch()
{
    CString search;
    m_edSearch.GetWindowText(search);

    // A line the user selected is the chosen one from now on, so that a new search text that
    // keeps it visible keeps it selected, and one that hides it selects it again once it shows
    // (a line this dialog selected by itself below is no choice of the user's).
    const LRESULT current = m_lbItems.SendMessage(LB_GETCURSEL, 0, 0);
    if (current != LB_ERR) {
        const int item = static_cast<int>(m_lbItems.SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(current), 0));
        if (item != m_nOfferedIndex)
            m_nSelectedIndex = item;
    }
    m_nOfferedIndex = -1;

    m_lbItems.SendMessage(LB_RESETCONTENT, 0, 0);
    for (int i = 0; i < m_arrItems.GetSize(); ++i) {
        const CString& item = m_arrItems.GetAt(i);
        if (!MatchLike(search, item))
            continue;
        LRESULT line = m_lbItems.SendMessage(LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.GetString()));
        if (line >= 0)
            m_lbItems.SendMessage(LB_SETITEMDATA, static_cast<WPARAM>(line), static_cast<LPARAM>(i));
    }

    if (m_nSelectedIndex >= 0) {
        const int lines = static_cast<int>(m_lbItems.SendMessage(LB_GETCOUNT, 0, 0));
        for (int line = 0; line < lines; ++line)
            if (static_cast<int>(m_lbItems.SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(line), 0)) ==
                m_nSelectedIndex) {
                m_lbItems.SendMessage(LB_SETCURSEL, static_cast<WPARAM>(line), 0);
                break;
            }
    } else if (!search.IsEmpty() && m_lbItems.SendMessage(LB_GETCOUNT, 0, 0) > 0) {
        // Nothing chosen yet and a search narrows the list: its first line is offered, so
        // that Enter takes it.
        m_lbItems.SendMessage(LB_SETCURSEL, 0, 0);
        m_nOfferedIndex = static_cast<int>(m_lbItems.SendMessage(LB_GETITEMDATA, 0, 0));
    }
    Invalidate(TRUE);
}

HBRUSH CDlgCADClassUserAssignment::OnCtlColor(CDC* pDC, CWnd* pWnd, UINT nCtlColor)
{
    if (m_edSearch.GetSafeHwnd() && m_edSearch.GetWindowTextLength() > 0 && pWnd &&
        (pWnd->GetSafeHwnd() == m_edSearch.GetSafeHwnd() || pWnd->GetSafeHwnd() == m_lbItems.GetSafeHwnd())) {
        pDC->SetBkColor(kHighlight);
        return static_cast<HBRUSH>(m_brHighlight.GetSafeHandle());
    }
    return CWnd::OnCtlColor(pDC, pWnd, nCtlColor);
}

void CDlgCADClassUserAssignment::OnOK()
{
    const int line = static_cast<int>(m_lbItems.SendMessage(LB_GETCURSEL, 0, 0));
    if (line == LB_ERR)
        return;
    m_nSelectedIndex = static_cast<int>(m_lbItems.SendMessage(LB_GETITEMDATA, static_cast<WPARAM>(line), 0));
    CKORGuiRolloutDlg::OnOK();
}

void CDlgCADClassUserAssignment::OnZeigen()
{
    CCATDBModel* model = CCATDBModelManager::GetCurrentModel();
    const CCATDBBase* area = areaType(model);

    if (m_bSwitchForPick)
        SwitchToCad(this);
    if (m_pProgress)
        m_pProgress->ShowWindow(SW_HIDE);
    if (HWND view = acedGetAcadDwgView()) {
        CWnd* focus = CWnd::GetFocus();
        if (!focus || focus->GetSafeHwnd() != view)
            if (CWnd* viewWnd = CWnd::FromHandle(view))
                viewWnd->SetFocus();
    }

    bool found = false;
    [&] {
        ads_name entity;
        ads_point picked;
        acedInitGet(RSG_NONULL | RSG_GETZ, nullptr);
        CString prompt = CString(L"\n") + gstr_KORPALETTE_OBJECTZEIGEN;
        if (acedEntSel(prompt, entity, picked) != RTNORM)
            return;

        CKORAdsEntity picked_entity;
        if (!picked_entity.Connect(entity))
            return;
        picked_entity.AutoFlush(false);

        wchar_t buffer[kAttributeChars] = {};
        if (!picked_entity.GetAttribute(L"CAD-Class", buffer, kAttributeChars)) {
            AfxMessageBox(gstr_KORPALETTE_OBJEKTENTSPRICHTNICHTAUSWAHL, MB_OK);
            return;
        }

        CString key, second;
        int number = -1;
        CCATDBCADClass::ParseCADClassIdentification(CString(buffer), key, second, number);
        if (!model)
            return;
        const auto& index = model->GetCADClassIndex();
        auto it = index.find(key.str());
        if (it == index.end() || !it->second)
            return;
        const CCATDBCADClass* cadClass = it->second;

        if (area && cadClass->IsOfType(area) != 0) {
            AfxMessageBox(gstr_KORPALETTE_OBJEKTENTSPRICHTNICHTAUSWAHL, MB_OK);
            return;
        }

        const CString display = cadClass->GetDisplayName().GetText(nullptr);
        for (int i = 0; i < m_arrItems.GetSize(); ++i)
            if (m_arrItems.GetAt(i).CompareNoCase(display) == 0) {
                m_nSelectedIndex = i;
                found = true;
            }
        if (!found)
            return;

        LRESULT line = m_lbItems.SendMessage(LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                             reinterpret_cast<LPARAM>(display.GetString()));
        if (line == LB_ERR) {
            m_edSearch.SetWindowText(L"");
            OnChangedSearch();
            line = m_lbItems.SendMessage(LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                         reinterpret_cast<LPARAM>(display.GetString()));
        }
        m_lbItems.SendMessage(LB_SETCURSEL, static_cast<WPARAM>(line), 0);
    }();

    if (m_pProgress)
        m_pProgress->ShowWindow(SW_SHOW);
    if (m_bSwitchForPick)
        SwitchToMfc(this, true);
    if (found)
        OnOK();
}

void CDlgCADClassUserAssignment::OnDestroy()
{
    CKORGuiRolloutDlg::OnDestroy();
    if (m_hShowIcon) {
        DestroyIcon(m_hShowIcon);
        m_hShowIcon = nullptr;
    }
}
