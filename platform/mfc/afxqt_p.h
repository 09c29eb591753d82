// afxqt_p.h — inside the window layer: how MFC handles map to Qt widgets. For the platform's
// own libraries (mfc, extctl) and the UI driver only; modules never see Qt.
#pragma once

#include "mfc/afxwin.h"

#include <QFont>
#include <QIcon>
#include <QPixmap>
#include <QPushButton>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <cwchar>
#include <functional>

class QApplication;
class QDialog;
class QWidget;

// An icon handle points at one of these.
struct HICON__ {
    QIcon icon;
    QPixmap pixmap;  // the image at the size it was loaded
    bool shared = false;
};

namespace afxqt {

// The application object, created on first use (see AfxHostInitUI). Aborts with a message
// when no GUI can be started: a window call has no other way to fail.
QApplication* app();

inline QWidget* widget(HWND h) { return reinterpret_cast<QWidget*>(h); }
inline HWND handle(const QWidget* w) { return reinterpret_cast<HWND>(const_cast<QWidget*>(w)); }
// The widget of a handle if it is alive, else null.
QWidget* liveWidget(HWND h);
// The widget of a window object if it has one and it is alive, else null.
inline QWidget* liveWidget(const CWnd* wnd) { return wnd ? liveWidget(wnd->m_hWnd) : nullptr; }

// Wide text (UTF-32 here) to a QString. Text of the Basic Multilingual Plane, nearly all there
// is, is copied unit by unit (Qt's general conversion costs several times more, which shows
// when a list is refilled with tens of thousands of lines per keystroke).
inline QString toQ(const wchar_t* text)
{
    if (!text)
        return QString();
    const size_t n = std::wcslen(text);
    QString out(static_cast<qsizetype>(n), Qt::Uninitialized);
    char16_t* to = reinterpret_cast<char16_t*>(out.data());
    for (size_t i = 0; i < n; ++i) {
        const auto c = static_cast<uint32_t>(text[i]);
        if (c >= 0xD800 && (c < 0xE000 || c > 0xFFFF))
            return QString::fromWCharArray(text, static_cast<qsizetype>(n));  // pairs, bad units
        to[i] = static_cast<char16_t>(c);
    }
    return out;
}
inline CString fromQ(const QString& text) { return CString(text.toStdWString()); }

// A tooltip for a text a program gave: Qt shows a tooltip that looks like markup as markup, so
// such a text is handed over escaped and shows as written ("<b>" stays "<b>"). Other text is
// handed over as it is.
QString toolTipText(const QString& text);

// What the window layer knows of each window it made: id and style from the template, and
// the C++ objects attached to it.
struct WindowInfo {
    UINT id = 0;
    DWORD style = 0;
    AfxControlKind kind = AfxControlKind::Custom;
    bool isDialog = false;
    HICON bigIcon = nullptr;
    HICON smallIcon = nullptr;
    HICON buttonIcon = nullptr;  // the icon a button or static shows
    // A top-level window code has put in a place of its own (SetWindowPos / MoveWindow to
    // another position, or a restored saved position): DoModal does not centre it again.
    bool placed = false;
    bool resizable = false;  // a top-level window the user can size (see setResizable)
    // Icons set while the window was hidden: given to it once, as it shows (see
    // applyPendingIcons).
    bool iconsPending = false;
};
// Marks a top-level window as put in its place by code (see WindowInfo::placed).
void markPlaced(QWidget* window);
// Gives a dialog the icons set on it while it was hidden (called as it shows). Setting a
// window's icon tells every control of it; a dialog usually sets a big and a small icon in
// its OnInitDialog, and is told once.
void applyPendingIcons(QWidget* window);
// Registers a widget the layer created (cleaned up when the widget is destroyed).
WindowInfo& registerWindow(QWidget* w);
// Null for widgets the layer did not create.
WindowInfo* windowInfo(const QWidget* w);
// The child control with the given id, or null.
QWidget* childById(const QWidget* dialog, UINT id);

// The dialog widget a CDialog runs in, and back.
CDialog* dialogOf(const QWidget* dialogWidget);
QDialog* dialogWidget(const CDialog* dialog);

// Sends a control's notification to its dialog as Windows does with WM_COMMAND.
void notifyParent(QWidget* control, UINT code);

// Dialog fonts and units. A template font name maps to an installed font ("MS Sans Serif"
// and the other Windows dialog fonts become a sans font such as DejaVu Sans); base units are
// that font's average width of A-Z a-z and its height, as Windows computes them.
QFont dialogFont(const wchar_t* fontName, int points);
QSize baseUnits(const QFont& font);
QRect dluToPixels(const QSize& base, int x, int y, int cx, int cy);

// Creates the template's controls as children of the dialog widget, in template order (which
// makes it the tab order). Icons named by Icon controls come from `instance`. False with a
// message when a control cannot be made (an unknown custom class).
bool createControls(QWidget* dialog, const AfxDialogTemplate& tpl, HINSTANCE instance,
                    const QSize& base, QString* error);

// The dialog manager's focus: SetFocus on a hidden control keeps it as the dialog's focus
// (keys go to it, as in Windows) until the user moves the focus.
void requestFocus(QWidget* w);
QWidget* focusedWidget();

// Custom control classes named in templates (AfxControlKind::Custom).
using ControlFactory = std::function<QWidget*(QWidget* parent, const AfxControlTemplate& tpl)>;
void registerControlClass(const wchar_t* className, ControlFactory factory);
// A custom control that finishes its set-up once the template has placed it (an up-down
// control moving beside its buddy, say): called after its geometry, state and visibility.
class TemplateControl {
public:
    virtual ~TemplateControl() = default;
    virtual void placedByTemplate() = 0;
};
const ControlFactory* findControlClass(const wchar_t* className);

// Top-level resizing as the dialog base wants it: a fixed window keeps a fixed size when
// code resizes it; a resizable one cannot be made smaller than its size when first shown.
void setResizable(QWidget* window, bool resizable);
bool isResizable(const QWidget* window);
void resizeClient(QWidget* window, const QSize& client);

// The icon handle's pixmap scaled to fit a button of the given height.
QSize iconSizeForButton(const HICON__* icon, int buttonHeight);

// The push button of templates. A caption wider than the button is drawn cut at the right
// with "…" and the whole caption becomes the tooltip; text() is always the whole caption.
// Follows resizes and, through refreshElision(), new captions and icons.
class ElidingPushButton : public QPushButton {
public:
    using QPushButton::QPushButton;
    // Recomputes the caption as drawn and the tooltip.
    void refreshElision();
    // The caption as drawn now.
    QString shownText() const;
    bool isElided() const { return shownText() != text(); }

protected:
    void resizeEvent(QResizeEvent* e) override;
    void showEvent(QShowEvent* e) override;
    void paintEvent(QPaintEvent* e) override;

private:
    // Sets the tooltip to the whole caption while the caption is cut, and takes it away again.
    void updateTooltip();

    bool m_tooltipIsCaption = false;  // the tooltip is ours (a caption that did not fit)
    // The caption as drawn, kept for the caption, size, font and icon it was made for: a
    // caption that fits (almost always) costs one measurement per change, not one per paint.
    mutable QString m_shown, m_shownFrom;
    mutable QSize m_shownSize, m_shownIconSize;
    mutable QFont m_shownFont;
    mutable bool m_shownValid = false;
};

// WM_CTLCOLOR: asks the OnCtlColor of the window's dialog (when its map has ON_WM_CTLCOLOR)
// for the colours of every control of the dialog (w is the dialog) or of the one control w,
// and applies them to the widgets; a null answer gives a control its own colours back.
void applyCtlColors(QWidget* w);

// Calls after window geometry changes from code, so that layouts settle before the caller
// reads back positions (Qt posts some of them).
void settle();

}  // namespace afxqt
