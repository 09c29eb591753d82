// AfxMessageBox: a modal dialog built from a template made for the message, so it behaves
// (and is driven) like every other dialog.
#include "mfc/afxhost.h"
#include "mfc/afxqt_p.h"

#include <QDialog>
#include <QFontMetrics>
#include <QLabel>
#include <QStyle>

#include <optional>
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

// The control that shows the icon the flags ask for, as Windows numbers it in a message box.
constexpr UINT kIconControl = 20;

// The desktop's own icon for MB_ICONERROR, MB_ICONQUESTION, MB_ICONWARNING, MB_ICONINFORMATION.
std::optional<QStyle::StandardPixmap> iconFor(UINT type)
{
    switch (type & 0xF0) {
    case MB_ICONERROR: return QStyle::SP_MessageBoxCritical;
    case MB_ICONQUESTION: return QStyle::SP_MessageBoxQuestion;
    case MB_ICONWARNING: return QStyle::SP_MessageBoxWarning;
    case MB_ICONINFORMATION: return QStyle::SP_MessageBoxInformation;
    default: return std::nullopt;
    }
}

class CMessageBoxDialog : public CDialog {
public:
    CMessageBoxDialog(const std::vector<BoxButton>& buttons, std::optional<QStyle::StandardPixmap> icon)
        : m_buttons(buttons), m_icon(icon)
    {
    }

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        if (auto* label = qobject_cast<QLabel*>(afxqt::childById(afxqt::dialogWidget(this), kIconControl)); label && m_icon)
            label->setPixmap(label->style()->standardIcon(*m_icon).pixmap(32, 32));
        return TRUE;
    }

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
    std::optional<QStyle::StandardPixmap> m_icon;
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
    // The icon, 32 pixels square in dialog units, stands left of the text.
    const std::optional<QStyle::StandardPixmap> icon = iconFor(nType);
    const short iconCx = icon ? static_cast<short>((32 * 4 + base.width() - 1) / base.width()) : 0;
    const short iconCy = icon ? static_cast<short>((32 * 8 + base.height() - 1) / base.height()) : 0;
    const short textX = static_cast<short>(margin + (icon ? iconCx + margin : 0));
    textCy = std::max(textCy, iconCy);
    short rowCx = static_cast<short>(buttons.size() * buttonCx + (buttons.size() - 1) * gap);
    short cx = static_cast<short>(std::max(static_cast<short>(textX - margin + textCx), rowCx) + 2 * margin);
    short cy = static_cast<short>(margin + textCy + margin + buttonCy + margin);

    std::vector<AfxControlTemplate> controls;
    if (icon)
        controls.push_back({kIconControl, AfxControlKind::Static, L"", margin, margin, iconCx, iconCy, WS_VISIBLE});
    controls.push_back({0xFFFF, AfxControlKind::Static, text, textX, margin, textCx, textCy, SS_LEFT | WS_VISIBLE});
    short x = static_cast<short>((cx - rowCx) / 2), y = static_cast<short>(margin + textCy + margin);
    for (size_t i = 0; i < buttons.size(); ++i, x = static_cast<short>(x + buttonCx + gap))
        controls.push_back({buttons[i].id, AfxControlKind::PushButton, buttons[i].text, x, y, buttonCx, buttonCy,
                            static_cast<DWORD>((i == 0 ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | WS_VISIBLE | WS_TABSTOP)});

    std::wstring caption = AfxHostApplicationName();
    AfxDialogTemplate tpl{0,        0,         0,        cx, cy, DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU,
                          caption.c_str(), fontName, points, controls.data(), controls.size()};
    CMessageBoxDialog box(buttons, icon);
    CDialog* owner = AfxActiveModalDialog();
    box.InitModalIndirect(&tpl, owner);
    return static_cast<int>(box.DoModal());
}
