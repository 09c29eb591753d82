// AfxMessageBox: a modal dialog built from a template made for the message, so it behaves
// (and is driven) like every other dialog.
#include "mfc/afxhost.h"
#include "mfc/afxqt_p.h"

#include <QFontMetrics>

#include <vector>

namespace {

struct BoxButton {
    UINT id;
    const wchar_t* text;
};

std::vector<BoxButton> buttonsFor(UINT type)
{
    switch (type & 0xF) {
    case MB_OKCANCEL: return {{IDOK, L"OK"}, {IDCANCEL, L"Abbrechen"}};
    case MB_YESNOCANCEL: return {{IDYES, L"&Ja"}, {IDNO, L"&Nein"}, {IDCANCEL, L"Abbrechen"}};
    case MB_YESNO: return {{IDYES, L"&Ja"}, {IDNO, L"&Nein"}};
    default: return {{IDOK, L"OK"}};
    }
}

class CMessageBoxDialog : public CDialog {
public:
    CMessageBoxDialog(const std::vector<BoxButton>& buttons) : m_buttons(buttons) {}

protected:
    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        UINT id = LOWORD(wParam);
        if (HIWORD(wParam) != BN_CLICKED)
            return FALSE;
        for (const BoxButton& b : m_buttons)
            if (b.id == id) {
                EndDialog(static_cast<int>(id));
                return TRUE;
            }
        if (id == IDCANCEL && m_buttons.size() == 1)
            EndDialog(IDOK);  // Escape and the close box answer a plain message with OK
        return TRUE;          // a Yes/No question cannot be dismissed without an answer
    }

private:
    std::vector<BoxButton> m_buttons;
};

}  // namespace

int AfxMessageBox(LPCTSTR text, UINT nType, UINT nIDHelp)
{
    afxqt::app();
    std::vector<BoxButton> buttons = buttonsFor(nType);
    const wchar_t* fontName = L"MS Shell Dlg";
    const short points = 8;
    QSize base = afxqt::baseUnits(afxqt::dialogFont(fontName, points));

    // The message, wrapped at about 60 average characters, measured in dialog units.
    QFontMetrics fm(afxqt::dialogFont(fontName, points));
    QRect textRect = fm.boundingRect(QRect(0, 0, base.width() * 60, 10000), Qt::TextWordWrap, afxqt::toQ(text));
    short textCx = static_cast<short>((textRect.width() * 4 + base.width() - 1) / base.width() + 2);
    short textCy = static_cast<short>((textRect.height() * 8 + base.height() - 1) / base.height());
    const short margin = 7, buttonCx = 50, buttonCy = 14, gap = 4;
    short rowCx = static_cast<short>(buttons.size() * buttonCx + (buttons.size() - 1) * gap);
    short cx = static_cast<short>(std::max(textCx, rowCx) + 2 * margin);
    short cy = static_cast<short>(margin + textCy + margin + buttonCy + margin);

    std::vector<AfxControlTemplate> controls;
    controls.push_back({0xFFFF, AfxControlKind::Static, text, margin, margin, textCx, textCy, SS_LEFT | WS_VISIBLE});
    short x = static_cast<short>((cx - rowCx) / 2), y = static_cast<short>(margin + textCy + margin);
    for (size_t i = 0; i < buttons.size(); ++i, x = static_cast<short>(x + buttonCx + gap))
        controls.push_back({buttons[i].id, AfxControlKind::PushButton, buttons[i].text, x, y, buttonCx, buttonCy,
                            static_cast<DWORD>((i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_VISIBLE | WS_TABSTOP)});

    std::wstring caption = AfxHostApplicationName();
    AfxDialogTemplate tpl{0,        0,         0,        cx, cy, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                          caption.c_str(), fontName, points, controls.data(), controls.size()};
    CMessageBoxDialog box(buttons);
    CDialog* owner = AfxActiveModalDialog();
    box.InitModalIndirect(&tpl, owner);
    return static_cast<int>(box.DoModal());
}
