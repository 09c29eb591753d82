// The standard controls (buttons, statics, edits, combo and list boxes) and data exchange.
#include "mfc/afxlist_p.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include <algorithm>
#include <climits>
#include <cstdio>

namespace {

template <typename W>
W* as(const CWnd* wnd)
{
    return qobject_cast<W*>(afxqt::liveWidget(wnd->m_hWnd));
}

bool hasStyle(const QWidget* w, DWORD bit)
{
    const afxqt::WindowInfo* info = afxqt::windowInfo(w);
    return info && (info->style & bit);
}

// Where a sorted combo box puts a new line: after all lines that sort before or equal to it,
// in the list box's order.
int sortedPosition(const QStringList& lines, const QString& text)
{
    auto at = std::upper_bound(lines.begin(), lines.end(), text,
                               [](const QString& t, const QString& line) { return afxqt::compareLines(t, line) < 0; });
    return static_cast<int>(at - lines.begin());
}

// Exact (ignoring case) or prefix search starting after `start`, wrapping around as Windows
// does. -1 when nothing matches.
int findLine(const QStringList& lines, int start, const QString& text, bool exact)
{
    int n = lines.size();
    for (int k = 1; k <= n; ++k) {
        int i = ((start < 0 ? -1 : start) + k) % n;
        bool hit = exact ? lines[i].compare(text, Qt::CaseInsensitive) == 0
                         : lines[i].startsWith(text, Qt::CaseInsensitive);
        if (hit)
            return i;
    }
    return -1;
}

QStringList comboLines(const QComboBox* c)
{
    QStringList lines;
    for (int i = 0; i < c->count(); ++i)
        lines.append(c->itemText(i));
    return lines;
}

}  // namespace

IMPLEMENT_DYNAMIC(CButton, CWnd)
IMPLEMENT_DYNAMIC(CStatic, CWnd)
IMPLEMENT_DYNAMIC(CEdit, CWnd)
IMPLEMENT_DYNAMIC(CComboBox, CWnd)
IMPLEMENT_DYNAMIC(CListBox, CWnd)

// ---- CButton, CStatic ------------------------------------------------------------------------

int CButton::GetCheck() const
{
    auto* b = as<QAbstractButton>(this);
    return b && b->isChecked() ? BST_CHECKED : BST_UNCHECKED;
}

void CButton::SetCheck(int nCheck)
{
    if (auto* b = as<QAbstractButton>(this)) {
        b->setCheckable(true);
        b->setChecked(nCheck == BST_CHECKED);
    }
}

HICON CButton::SetIcon(HICON hIcon)
{
    auto* b = as<QAbstractButton>(this);
    if (!b)
        return nullptr;
    afxqt::WindowInfo& info = afxqt::registerWindow(b);
    HICON previous = info.buttonIcon;
    info.buttonIcon = hIcon;
    if (hIcon) {
        b->setIcon(hIcon->icon);
        b->setIconSize(afxqt::iconSizeForButton(hIcon, b->height()));
    } else {
        b->setIcon(QIcon());
    }
    if (auto* eliding = dynamic_cast<afxqt::ElidingPushButton*>(b))
        eliding->refreshElision();  // the icon takes room from the caption
    return previous;
}

HICON CButton::GetIcon() const
{
    auto* b = as<QAbstractButton>(this);
    const afxqt::WindowInfo* info = b ? afxqt::windowInfo(b) : nullptr;
    return info ? info->buttonIcon : nullptr;
}

void CButton::Click()
{
    auto* b = as<QAbstractButton>(this);
    if (b && b->isEnabled())
        b->click();
}

HICON CStatic::SetIcon(HICON hIcon)
{
    auto* l = as<QLabel>(this);
    if (!l)
        return nullptr;
    afxqt::WindowInfo& info = afxqt::registerWindow(l);
    HICON previous = info.buttonIcon;
    info.buttonIcon = hIcon;
    if (hIcon)
        l->setPixmap(hIcon->pixmap);
    else
        l->clear();
    return previous;
}

HICON CStatic::GetIcon() const
{
    auto* l = as<QLabel>(this);
    const afxqt::WindowInfo* info = l ? afxqt::windowInfo(l) : nullptr;
    return info ? info->buttonIcon : nullptr;
}

// ---- CEdit ------------------------------------------------------------------------------------

void CEdit::SetSel(int nStartChar, int nEndChar, BOOL bNoScroll)
{
    SendMessage(EM_SETSEL, static_cast<WPARAM>(static_cast<intptr_t>(nStartChar)), nEndChar);
}

void CEdit::GetSel(int& nStartChar, int& nEndChar) const
{
    nStartChar = nEndChar = 0;
    auto* e = as<QLineEdit>(this);
    if (!e)
        return;
    if (e->hasSelectedText()) {
        nStartChar = e->selectionStart();
        nEndChar = e->selectionEnd();
    } else {
        nStartChar = nEndChar = e->cursorPosition();
    }
}

void CEdit::ReplaceSel(LPCTSTR text, BOOL bCanUndo)
{
    if (auto* e = as<QLineEdit>(this))
        e->insert(afxqt::toQ(text));
}

void CEdit::SetLimitText(UINT nMax)
{
    if (auto* e = as<QLineEdit>(this))
        e->setMaxLength(nMax == 0 || nMax > INT_MAX ? INT_MAX : static_cast<int>(nMax));
}

BOOL CEdit::SetReadOnly(BOOL bReadOnly)
{
    auto* e = as<QLineEdit>(this);
    if (!e)
        return FALSE;
    e->setReadOnly(bReadOnly);
    return TRUE;
}

// ---- CComboBox ------------------------------------------------------------------------------
// Changes made from code send no CBN_SELCHANGE: the signals are blocked while they happen.

int CComboBox::InsertString(int nIndex, LPCTSTR text)
{
    auto* c = as<QComboBox>(this);
    if (!c || nIndex > c->count())
        return CB_ERR;
    QSignalBlocker block(c);
    int current = c->currentIndex();
    QString edit = c->isEditable() ? c->currentText() : QString();
    int at = nIndex < 0 ? c->count() : nIndex;
    c->insertItem(at, afxqt::toQ(text));
    // Qt selects the first line put into an empty box; Windows leaves the selection alone.
    c->setCurrentIndex(current < 0 ? -1 : (current >= at ? current + 1 : current));
    if (c->isEditable())
        c->setEditText(edit);
    return at;
}

int CComboBox::AddString(LPCTSTR text)
{
    auto* c = as<QComboBox>(this);
    if (!c)
        return CB_ERR;
    int at = hasStyle(c, CBS_SORT) ? sortedPosition(comboLines(c), afxqt::toQ(text)) : c->count();
    return InsertString(at, text);
}

int CComboBox::DeleteString(UINT nIndex)
{
    auto* c = as<QComboBox>(this);
    if (!c || static_cast<int>(nIndex) >= c->count())
        return CB_ERR;
    QSignalBlocker block(c);
    c->removeItem(static_cast<int>(nIndex));
    return c->count();
}

void CComboBox::ResetContent()
{
    if (auto* c = as<QComboBox>(this)) {
        QSignalBlocker block(c);
        c->clear();
    }
}

int CComboBox::GetCount() const
{
    auto* c = as<QComboBox>(this);
    return c ? c->count() : CB_ERR;
}

int CComboBox::GetCurSel() const
{
    auto* c = as<QComboBox>(this);
    return c ? c->currentIndex() : CB_ERR;
}

int CComboBox::SetCurSel(int nSelect)
{
    auto* c = as<QComboBox>(this);
    if (!c)
        return CB_ERR;
    QSignalBlocker block(c);
    if (nSelect < 0 || nSelect >= c->count()) {
        c->setCurrentIndex(-1);
        return CB_ERR;
    }
    c->setCurrentIndex(nSelect);
    return nSelect;
}

void CComboBox::GetLBText(int nIndex, CString& text) const
{
    auto* c = as<QComboBox>(this);
    text = c && nIndex >= 0 && nIndex < c->count() ? afxqt::fromQ(c->itemText(nIndex)) : CString();
}

int CComboBox::GetLBTextLen(int nIndex) const
{
    auto* c = as<QComboBox>(this);
    return c && nIndex >= 0 && nIndex < c->count() ? static_cast<int>(c->itemText(nIndex).size()) : CB_ERR;
}

int CComboBox::FindStringExact(int nIndexStart, LPCTSTR text) const
{
    auto* c = as<QComboBox>(this);
    return c ? findLine(comboLines(c), nIndexStart, afxqt::toQ(text), true) : CB_ERR;
}

int CComboBox::SelectString(int nStartAfter, LPCTSTR text)
{
    auto* c = as<QComboBox>(this);
    int i = c ? findLine(comboLines(c), nStartAfter, afxqt::toQ(text), false) : CB_ERR;
    return i < 0 ? CB_ERR : SetCurSel(i);
}

int CComboBox::SetItemData(int nIndex, DWORD_PTR data)
{
    auto* c = as<QComboBox>(this);
    if (!c || nIndex < 0 || nIndex >= c->count())
        return CB_ERR;
    c->setItemData(nIndex, QVariant::fromValue<qulonglong>(data));
    return 0;
}

DWORD_PTR CComboBox::GetItemData(int nIndex) const
{
    auto* c = as<QComboBox>(this);
    if (!c || nIndex < 0 || nIndex >= c->count())
        return static_cast<DWORD_PTR>(CB_ERR);
    return static_cast<DWORD_PTR>(c->itemData(nIndex).toULongLong());
}

// ---- CListBox ---------------------------------------------------------------------------------
// The lines live in the list box's model (afxlist_p.h); LB_* messages reach the same calls.

namespace {

afxqt::ListBoxModel* lines(const CWnd* wnd)
{
    return afxqt::listBoxModel(afxqt::liveWidget(wnd->m_hWnd));
}

}  // namespace

int CListBox::AddString(LPCTSTR text)
{
    afxqt::ListBoxModel* m = lines(this);
    return m ? m->addString(afxqt::toQ(text)) : LB_ERR;
}

int CListBox::InsertString(int nIndex, LPCTSTR text)
{
    afxqt::ListBoxModel* m = lines(this);
    return m ? m->insertString(nIndex, afxqt::toQ(text)) : LB_ERR;
}

int CListBox::DeleteString(UINT nIndex)
{
    afxqt::ListBoxModel* m = lines(this);
    return m ? m->deleteString(static_cast<int>(nIndex)) : LB_ERR;
}

void CListBox::ResetContent()
{
    if (afxqt::ListBoxModel* m = lines(this))
        m->resetContent();
}

int CListBox::GetCount() const
{
    afxqt::ListBoxModel* m = lines(this);
    return m ? m->count() : LB_ERR;
}

int CListBox::GetCurSel() const
{
    afxqt::ListBoxModel* m = lines(this);
    return m ? m->curSel() : LB_ERR;
}

int CListBox::SetCurSel(int nSelect)
{
    afxqt::ListBoxModel* m = lines(this);
    return m ? m->setCurSel(nSelect) : LB_ERR;
}

void CListBox::GetText(int nIndex, CString& text) const
{
    afxqt::ListBoxModel* m = lines(this);
    text = m && m->valid(nIndex) ? afxqt::fromQ(m->text(nIndex)) : CString();
}

int CListBox::GetTextLen(int nIndex) const
{
    afxqt::ListBoxModel* m = lines(this);
    return m && m->valid(nIndex) ? static_cast<int>(m->text(nIndex).size()) : LB_ERR;
}

int CListBox::FindStringExact(int nIndexStart, LPCTSTR text) const
{
    afxqt::ListBoxModel* m = lines(this);
    return m ? m->findExact(nIndexStart, afxqt::toQ(text)) : LB_ERR;
}

int CListBox::SetItemData(int nIndex, DWORD_PTR data)
{
    afxqt::ListBoxModel* m = lines(this);
    return m ? m->setItemData(nIndex, data) : LB_ERR;
}

DWORD_PTR CListBox::GetItemData(int nIndex) const
{
    afxqt::ListBoxModel* m = lines(this);
    return m ? m->itemData(nIndex) : static_cast<DWORD_PTR>(LB_ERR);
}

int CListBox::SetSel(int nIndex, BOOL bSelect)
{
    afxqt::ListBoxModel* m = lines(this);
    return m ? m->setSel(nIndex, bSelect != FALSE) : LB_ERR;
}

int CListBox::GetSel(int nIndex) const
{
    afxqt::ListBoxModel* m = lines(this);
    return m ? m->isSelected(nIndex) : LB_ERR;
}

int CListBox::GetSelCount() const
{
    afxqt::ListBoxModel* m = lines(this);
    return m ? m->selCount() : LB_ERR;
}

// ---- data exchange ------------------------------------------------------------------------

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl)
{
    if (rControl.m_hWnd)
        return;
    HWND control = pDX->PrepareCtrl(nIDC);
    if (!control || !rControl.Attach(control)) {
        auto* dialog = dynamic_cast<CDialog*>(pDX->m_pDlgWnd);
        std::fprintf(stderr, "DDX_Control: dialog %u has no free control %d\n",
                     dialog ? dialog->GetTemplateId() : 0, nIDC);
    }
}

void DDX_Text(CDataExchange* pDX, int nIDC, CString& value)
{
    CWnd* control = CWnd::FromHandle(pDX->PrepareEditCtrl(nIDC));
    if (!control)
        return;
    if (pDX->m_bSaveAndValidate)
        control->GetWindowText(value);
    else
        control->SetWindowText(value);
}

void DDX_Text(CDataExchange* pDX, int nIDC, int& value)
{
    CWnd* control = CWnd::FromHandle(pDX->PrepareEditCtrl(nIDC));
    if (!control)
        return;
    if (!pDX->m_bSaveAndValidate) {
        control->SetWindowText(QString::number(value).toStdWString().c_str());
        return;
    }
    CString text;
    control->GetWindowText(text);
    bool ok = false;
    int parsed = afxqt::toQ(text).trimmed().toInt(&ok);
    if (!ok) {
        AfxMessageBox(L"Geben Sie eine ganze Zahl ein.", MB_ICONWARNING);
        pDX->Fail();
    }
    value = parsed;
}

void DDX_Text(CDataExchange* pDX, int nIDC, double& value)
{
    CWnd* control = CWnd::FromHandle(pDX->PrepareEditCtrl(nIDC));
    if (!control)
        return;
    if (!pDX->m_bSaveAndValidate) {
        control->SetWindowText(QString::number(value, 'g', 15).toStdWString().c_str());
        return;
    }
    CString text;
    control->GetWindowText(text);
    bool ok = false;
    double parsed = afxqt::toQ(text).trimmed().toDouble(&ok);  // C locale: "3.5"
    if (!ok) {
        AfxMessageBox(L"Geben Sie eine Zahl ein.", MB_ICONWARNING);
        pDX->Fail();
    }
    value = parsed;
}
