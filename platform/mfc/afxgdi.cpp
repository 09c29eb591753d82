// Solid brushes, the device context of WM_CTLCOLOR, and how a dialog's OnCtlColor answer
// colours its controls.
#include "mfc/afxstate_p.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPalette>
#include <QSet>
#include <QWidget>

struct HBRUSH__ {
    COLORREF color;
};

namespace {

// Brushes alive now: a freed or made-up handle is never read.
QSet<const HBRUSH__*>& liveBrushes()
{
    static QSet<const HBRUSH__*> brushes;
    return brushes;
}

QColor toQColor(COLORREF c) { return QColor(GetRValue(c), GetGValue(c), GetBValue(c)); }

}  // namespace

HBRUSH CreateSolidBrush(COLORREF color)
{
    auto* brush = new HBRUSH__{color & 0x00FFFFFF};
    liveBrushes().insert(brush);
    return brush;
}

BOOL DeleteObject(HGDIOBJ object)
{
    auto* brush = static_cast<HBRUSH__*>(object);
    if (!brush || !liveBrushes().remove(brush))
        return FALSE;
    delete brush;
    return TRUE;
}

BOOL AfxGetBrushColor(HBRUSH brush, COLORREF* color)
{
    if (!brush || !liveBrushes().contains(brush))
        return FALSE;
    if (color)
        *color = brush->color;
    return TRUE;
}

BOOL CBrush::CreateSolidBrush(COLORREF color)
{
    if (m_hObject)
        return FALSE;
    m_hObject = ::CreateSolidBrush(color);
    return TRUE;
}

BOOL CBrush::DeleteObject()
{
    if (!m_hObject)
        return FALSE;
    BOOL deleted = ::DeleteObject(m_hObject);
    m_hObject = nullptr;
    return deleted;
}

CDC::CDC() : m_hDC(reinterpret_cast<HDC>(this)) {}

COLORREF CDC::SetBkColor(COLORREF color)
{
    COLORREF previous = m_bkColor;
    m_bkColor = color & 0x00FFFFFF;
    return previous;
}

COLORREF CDC::SetTextColor(COLORREF color)
{
    COLORREF previous = m_textColor;
    m_textColor = color & 0x00FFFFFF;
    return previous;
}

int CDC::SetBkMode(int mode)
{
    int previous = m_bkMode;
    if (mode == TRANSPARENT || mode == OPAQUE)
        m_bkMode = mode;
    return previous;
}

// ---- WM_CTLCOLOR ----------------------------------------------------------------------------

namespace {

// What a control asks for, as Windows' controls do: read-only edits and disabled edits ask as
// statics; combo boxes ask for their edit field.
UINT ctlColorKind(const QWidget* control, const afxqt::WindowInfo& info)
{
    switch (info.kind) {
    case AfxControlKind::Edit: {
        auto* e = qobject_cast<const QLineEdit*>(control);
        return e && (e->isReadOnly() || !e->isEnabled()) ? CTLCOLOR_STATIC : CTLCOLOR_EDIT;
    }
    case AfxControlKind::ComboBox: return CTLCOLOR_EDIT;
    case AfxControlKind::ListBox: return CTLCOLOR_LISTBOX;
    case AfxControlKind::PushButton: return CTLCOLOR_BTN;
    case AfxControlKind::CheckBox:
    case AfxControlKind::RadioButton:
    case AfxControlKind::GroupBox:
    case AfxControlKind::Static:
    case AfxControlKind::Icon: return CTLCOLOR_STATIC;
    case AfxControlKind::Custom: break;
    }
    return CTLCOLOR_STATIC;
}

// Controls that draw their content on the base colour (an edit's field, a list's viewport).
bool drawsOnBase(const QWidget* w)
{
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
           qobject_cast<const QComboBox*>(w);
}

const char* const kColoured = "afxCtlColoured";  // the palette is OnCtlColor's
const char* const kOwnFill = "afxOwnAutoFill";   // autoFillBackground before it was coloured

void applyTo(QWidget* w, HBRUSH brush, const CDC& dc, bool isDialog)
{
    COLORREF background = 0;
    if (!AfxGetBrushColor(brush, &background)) {
        // The control's own colours again.
        if (w->property(kColoured).toBool()) {
            w->setPalette(QPalette());
            w->setAutoFillBackground(w->property(kOwnFill).toBool());
            w->setProperty(kColoured, false);
        }
        return;
    }
    if (!w->property(kColoured).toBool()) {
        w->setProperty(kOwnFill, w->autoFillBackground());
        w->setProperty(kColoured, true);
    }
    QPalette pal = w->palette();
    const QColor back = toQColor(background);
    const bool base = !isDialog && drawsOnBase(w);
    pal.setColor(QPalette::Window, back);
    pal.setColor(QPalette::Button, back);
    if (base) {
        // The text cells: the DC's background colour when it paints them (OPAQUE), else the
        // brush shows through.
        bool opaqueText = dc.GetBkMode() == OPAQUE && dc.GetBkColor() != CLR_INVALID;
        pal.setColor(QPalette::Base, toQColor(opaqueText ? dc.GetBkColor() : background));
    }
    if (dc.GetTextColor() != CLR_INVALID) {
        const QColor text = toQColor(dc.GetTextColor());
        for (QPalette::ColorRole role : {QPalette::Text, QPalette::WindowText, QPalette::ButtonText})
            pal.setColor(role, text);
    }
    if (pal != w->palette())
        w->setPalette(pal);
    if (!base && !w->autoFillBackground())
        w->setAutoFillBackground(true);
}

// Asks the dialog object for one control's colours and applies them.
void askFor(CWnd* dialog, QWidget* control, UINT kind, bool isDialog)
{
    CDC dc;
    CWnd* wnd = CWnd::FromHandle(afxqt::handle(control));
    HBRUSH brush = wnd ? dialog->OnCtlColor(&dc, wnd, kind) : nullptr;
    applyTo(control, brush, dc, isDialog);
}

}  // namespace

void afxqt::applyCtlColors(QWidget* w)
{
    if (!w)
        return;
    const WindowInfo* info = windowInfo(w);
    if (!info)
        return;
    QWidget* dialogWidget = info->isDialog ? w : w->parentWidget();
    const WindowInfo* dialogInfo = dialogWidget ? windowInfo(dialogWidget) : nullptr;
    CWnd* dialog = dialogWidget ? CWnd::FromHandlePermanent(handle(dialogWidget)) : nullptr;
    if (!dialogInfo || !dialogInfo->isDialog || !dialog || !dialog->HasMessageEntry(WM_CTLCOLOR))
        return;
    if (!info->isDialog) {
        askFor(dialog, w, ctlColorKind(w, *info), false);
        return;
    }
    askFor(dialog, w, CTLCOLOR_DLG, true);
    for (QObject* child : w->children()) {
        auto* control = qobject_cast<QWidget*>(child);
        const WindowInfo* ci = control ? windowInfo(control) : nullptr;
        if (ci && !ci->isDialog && ci->kind != AfxControlKind::Custom)
            askFor(dialog, control, ctlColorKind(control, *ci), false);
    }
}
