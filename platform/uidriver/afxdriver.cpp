// The UI driver: a user's clicks, typing, selections and keys on the open modal dialog, and
// screenshots of dialogs.
#include "uidriver/afxdriver.h"
#include "mfc/afxhost.h"
#include "mfc/afxlist_p.h"
#include "mfc/afxqt_p.h"

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QTableView>
#include <QTimer>

#include <memory>
#include <type_traits>

namespace afxdriver {

namespace {

std::string utf8(const QString& s) { return s.toStdString(); }

// The parts of a message go in with one arg() call: a part's own text (a dialog title with
// "%1" in it, a typed "%2") is never taken for a place marker, as it is by a chain of arg().
template <class T>
QString part(const T& value)
{
    if constexpr (std::is_arithmetic_v<T>)
        return QString::number(value);
    else
        return QString(value);
}

QString withoutMnemonics(QString text)
{
    QString out;
    for (int i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        out += text[i];
    }
    return out;
}

// The text a person sees on a control: a label's or a button's caption, mnemonics dropped.
QString captionOf(QWidget* w)
{
    if (auto* label = qobject_cast<QLabel*>(w))
        return withoutMnemonics(label->text());
    if (auto* button = qobject_cast<QAbstractButton*>(w))
        return withoutMnemonics(button->text());
    return {};
}

// The dialog's controls in template order, each with its id and caption, for messages that
// must say what there is: 1001 "Breite", 1002, 1 "OK", ...
QString controlList(const QDialog* window)
{
    QStringList parts;
    for (QObject* child : window->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        const afxqt::WindowInfo* info = w ? afxqt::windowInfo(w) : nullptr;
        if (!info || info->isDialog || info->id == static_cast<UINT>(-1) || info->id == 0xFFFF)
            continue;
        QString caption = captionOf(w);
        parts << (caption.isEmpty() ? QString::number(info->id) : QStringLiteral("%1 \"%2\"").arg(part(info->id), part(caption)));
    }
    return parts.join(", ");
}

struct Target {
    CDialog* dialog = nullptr;
    QDialog* window = nullptr;
    QWidget* control = nullptr;
    Result error;
};

// The active dialog and, when id is given, its control that a user could reach.
Target reach(const UINT* id)
{
    Target t;
    t.dialog = activeDialog();
    t.window = afxqt::dialogWidget(t.dialog);
    if (!t.dialog || !t.window) {
        t.error = Result::failure("no dialog is open");
        return t;
    }
    if (!id)
        return t;
    QString where = QString::fromStdString(describe(*t.dialog));
    t.control = afxqt::childById(t.window, *id);
    if (!t.control)
        t.error = Result::failure(utf8(QStringLiteral("dialog %1 has no control %2 (its controls: %3)")
                                           .arg(part(where), part(*id), part(controlList(t.window)))));
    else if (t.control->isHidden())
        t.error = Result::failure(utf8(QStringLiteral("control %1 of dialog %2 is hidden").arg(part(*id), part(where))));
    else if (!t.control->isEnabled())
        t.error = Result::failure(utf8(QStringLiteral("control %1 of dialog %2 is disabled").arg(part(*id), part(where))));
    return t;
}

Result notA(const char* what, UINT id, const CDialog& dialog)
{
    return Result::failure(
        utf8(QStringLiteral("control %1 of dialog %2 is not %3").arg(part(id), part(QString::fromStdString(describe(dialog))), part(what))));
}

void sendKey(QWidget* receiver, int key, const QString& text = QString())
{
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(receiver, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(receiver, &release);
}

// The widget the keyboard talks to in this dialog.
QWidget* keyReceiver(QDialog* window)
{
    QWidget* focus = QApplication::focusWidget();
    if (focus && focus->window() == window)
        return focus;
    if (QWidget* f = window->focusWidget(); f && f->isVisible())
        return f;
    return window;
}

void settleEvents()
{
    // Let posted events (layout, repaint requests) run, as after a real user's input.
    QCoreApplication::sendPostedEvents();
}

}  // namespace

CDialog* activeDialog() { return AfxActiveModalDialog(); }

std::string describe(const CDialog& dialog)
{
    CString title;
    dialog.GetWindowText(title);
    if (dialog.GetTemplateId() == 0)
        return "\"" + AfxToUtf8(title) + "\" (message box)";
    return "\"" + AfxToUtf8(title) + "\" (template " + std::to_string(dialog.GetTemplateId()) + ")";
}

Result click(UINT id)
{
    Target t = reach(&id);
    if (!t.error)
        return t.error;
    auto* button = qobject_cast<QAbstractButton*>(t.control);
    if (!button)
        return notA("a button", id, *t.dialog);
    button->click();
    settleEvents();
    return {};
}

Result click(const std::wstring& caption)
{
    Target t = reach(nullptr);
    if (!t.error)
        return t.error;
    // Written with or without its mnemonic: "&Anwenden" and "Anwenden" both find it.
    QString wanted = withoutMnemonics(QString::fromStdWString(caption));
    bool hiddenMatch = false;
    for (QObject* child : t.window->children()) {
        auto* button = qobject_cast<QAbstractButton*>(child);
        if (!button || !afxqt::windowInfo(button) || withoutMnemonics(button->text()) != wanted)
            continue;
        if (button->isHidden() || !button->isEnabled()) {
            hiddenMatch = true;
            continue;
        }
        button->click();
        settleEvents();
        return {};
    }
    return Result::failure(utf8(QStringLiteral("dialog %1 has no %2button \"%3\"").arg(part(QString::fromStdString(describe(*t.dialog))), part(hiddenMatch ? "visible, enabled " : ""), part(wanted))));
}

Result controlByLabel(const std::wstring& label, UINT& id)
{
    Target t = reach(nullptr);
    if (!t.error)
        return t.error;
    const QString wanted = withoutMnemonics(QString::fromStdWString(label));
    bool afterLabel = false;
    for (QObject* child : t.window->children()) {
        auto* w = qobject_cast<QWidget*>(child);
        const afxqt::WindowInfo* info = w ? afxqt::windowInfo(w) : nullptr;
        if (!info || info->isDialog)
            continue;
        const bool input = info->kind == AfxControlKind::Edit || info->kind == AfxControlKind::ComboBox ||
                           info->kind == AfxControlKind::ListBox || info->kind == AfxControlKind::Custom;
        if (afterLabel && input) {
            id = info->id;
            return {};
        }
        if (!afterLabel && !input && captionOf(w) == wanted)
            afterLabel = true;
    }
    return Result::failure(utf8(QStringLiteral("dialog %1 has no field labelled \"%2\" (its controls: %3)")
                                    .arg(part(QString::fromStdString(describe(*t.dialog))), part(wanted),
                                         part(controlList(t.window)))));
}

Result type(UINT id, const std::wstring& text)
{
    Target t = reach(&id);
    if (!t.error)
        return t.error;
    QLineEdit* edit = qobject_cast<QLineEdit*>(t.control);
    if (auto* combo = qobject_cast<QComboBox*>(t.control); combo && combo->isEditable())
        edit = combo->lineEdit();
    if (!edit)
        return notA("an edit", id, *t.dialog);
    if (edit->isReadOnly())
        return Result::failure(utf8(QStringLiteral("edit %1 of dialog %2 is read-only").arg(part(id), part(QString::fromStdString(describe(*t.dialog))))));
    afxqt::requestFocus(edit);
    edit->selectAll();
    QString typed = QString::fromStdWString(text);
    if (typed.isEmpty())
        sendKey(edit, Qt::Key_Delete);
    for (QChar ch : typed)
        sendKey(edit, 0, QString(ch));  // each character as a key press with its text
    settleEvents();
    if (edit->text() != typed)
        return Result::failure(utf8(QStringLiteral("edit %1 of dialog %2 took \"%3\" instead of \"%4\"").arg(part(id), part(QString::fromStdString(describe(*t.dialog))), part(edit->text()), part(typed))));
    return {};
}

namespace {

// A user's mouse on a line of a list box: a click, or a double click (press, release,
// double-click press, release, as the window system delivers it).
void mouseOnLine(afxqt::ListBoxView* view, int row, bool twice)
{
    QModelIndex index = view->model()->index(row, 0);
    view->scrollTo(index);
    const QPoint at = view->visualRect(index).center();
    QWidget* target = view->viewport();
    auto send = [&](QEvent::Type type) {
        QMouseEvent e(type, at, target->mapToGlobal(at), Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(target, &e);
    };
    send(QEvent::MouseButtonPress);
    send(QEvent::MouseButtonRelease);
    if (twice) {
        send(QEvent::MouseButtonDblClick);
        send(QEvent::MouseButtonRelease);
    }
}

enum class Mouse { Select, DoubleClick };

Result selectLine(UINT id, const std::function<int(const QStringList&)>& pick, const QString& what,
                  Mouse mouse = Mouse::Select)
{
    Target t = reach(&id);
    if (!t.error)
        return t.error;
    QStringList lines;
    auto* combo = qobject_cast<QComboBox*>(t.control);
    auto* list = dynamic_cast<afxqt::ListBoxView*>(t.control);
    if (combo && mouse == Mouse::Select)
        for (int i = 0; i < combo->count(); ++i)
            lines << combo->itemText(i);
    else if (list) {
        list->lines()->flush();  // the lines as the user sees them
        for (int i = 0; i < list->lines()->count(); ++i)
            lines << list->lines()->text(i);
    } else
        return notA(mouse == Mouse::Select ? "a list or combo box" : "a list box", id, *t.dialog);
    int index = pick(lines);
    if (index < 0 || index >= lines.size())
        return Result::failure(utf8(QStringLiteral("control %1 of dialog %2 has no line %3 (it has %4)").arg(part(id), part(QString::fromStdString(describe(*t.dialog))), part(what), part(lines.size()))));
    afxqt::requestFocus(t.control);
    if (combo)
        combo->setCurrentIndex(index);
    else
        mouseOnLine(list, index, mouse == Mouse::DoubleClick);
    settleEvents();
    return {};
}

}  // namespace

// ---- grids ------------------------------------------------------------------------------------

namespace {

QString where(const Target& t) { return QString::fromStdString(describe(*t.dialog)); }

// Selects the given data rows of a grid as Ctrl+clicks would; the first becomes current.
Result selectRows(const Target& t, UINT id, QTableView* view, const std::vector<int>& rows)
{
    QAbstractItemModel* model = view->model();
    const int count = model ? model->rowCount() : 0;
    for (int r : rows)
        if (r < 0 || r >= count)
            return Result::failure(utf8(QStringLiteral("grid %1 of dialog %2 has no row #%3 (it has %4)").arg(part(id), part(where(t)), part(r), part(count))));
    if (rows.size() > 1 && view->selectionMode() != QAbstractItemView::ExtendedSelection &&
        view->selectionMode() != QAbstractItemView::MultiSelection)
        return Result::failure(utf8(QStringLiteral("grid %1 of dialog %2 lets only one row be selected").arg(part(id), part(where(t)))));
    afxqt::requestFocus(view);
    QItemSelectionModel* sel = view->selectionModel();
    QItemSelectionModel::SelectionFlags rowsFlag =
        view->selectionBehavior() == QAbstractItemView::SelectRows ? QItemSelectionModel::Rows : QItemSelectionModel::NoUpdate;
    // The current cell keeps its column, or takes the first one shown.
    int column = view->currentIndex().isValid() ? view->currentIndex().column() : 0;
    while (column + 1 < model->columnCount() && view->isColumnHidden(column))
        ++column;
    sel->clearSelection();
    for (size_t i = 0; i < rows.size(); ++i) {
        QModelIndex index = model->index(rows[i], column);
        if (i == 0)
            sel->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
        sel->select(index, QItemSelectionModel::Select | rowsFlag);
    }
    view->scrollTo(model->index(rows.front(), column));
    settleEvents();
    return {};
}

QTableView* gridOf(const Target& t) { return qobject_cast<QTableView*>(t.control); }

}  // namespace

Result select(UINT id, const std::vector<int>& indexes)
{
    Target t = reach(&id);
    if (!t.error)
        return t.error;
    QTableView* view = gridOf(t);
    if (!view)
        return notA("a grid", id, *t.dialog);
    if (indexes.empty())
        return Result::failure("select needs at least one row");
    return selectRows(t, id, view, indexes);
}

Result editCell(UINT id, int row, int column, const std::wstring& text)
{
    Target t = reach(&id);
    if (!t.error)
        return t.error;
    QTableView* view = gridOf(t);
    if (!view)
        return notA("a grid", id, *t.dialog);
    QAbstractItemModel* model = view->model();
    if (!model || row < 0 || row >= model->rowCount() || column < 0 || column >= model->columnCount())
        return Result::failure(utf8(QStringLiteral("grid %1 of dialog %2 has no cell (row #%3, column %4)").arg(part(id), part(where(t)), part(row), part(column))));
    QString cell = QStringLiteral("cell (row #%1, column %2) of grid %3 of dialog %4").arg(part(row), part(column), part(id), part(where(t)));
    if (view->isColumnHidden(column))
        return Result::failure(utf8(cell + " is in a hidden column"));
    if (view->editTriggers() == QAbstractItemView::NoEditTriggers)
        return Result::failure(utf8(QStringLiteral("grid %1 of dialog %2 does not let cells be edited").arg(part(id), part(where(t)))));
    QModelIndex index = model->index(row, column);
    if (!(model->flags(index) & Qt::ItemIsEditable))
        return Result::failure(utf8(cell + " is read-only"));
    afxqt::requestFocus(view);
    view->selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
    view->scrollTo(index);
    sendKey(view, Qt::Key_F2);  // as the user opens the editor
    auto* editor = qobject_cast<QLineEdit*>(view->indexWidget(index));
    if (!editor)
        return Result::failure(utf8(cell + " opened no editor"));
    editor->selectAll();
    QString typed = QString::fromStdWString(text);
    if (typed.isEmpty())
        sendKey(editor, Qt::Key_Delete);
    for (QChar ch : typed)
        sendKey(editor, 0, QString(ch));
    sendKey(editor, Qt::Key_Return);
    settleEvents();
    // On a screen the keyboard is back in the grid once the editor closes; a window the
    // platform never activated (offscreen) does not hand it back by itself.
    afxqt::requestFocus(view);
    QString now = model->data(index, Qt::EditRole).toString();
    if (now != typed)
        return Result::failure(utf8(cell + QStringLiteral(" holds \"%1\" instead of \"%2\"").arg(part(now), part(typed))));
    return {};
}

Result select(UINT id, const std::wstring& text)
{
    QString wanted = QString::fromStdWString(text);
    {
        Target t = reach(&id);
        if (QTableView* view = t.error ? gridOf(t) : nullptr) {
            QAbstractItemModel* model = view->model();
            for (int r = 0; model && r < model->rowCount(); ++r)
                for (int c = 0; c < model->columnCount(); ++c)
                    if (!view->isColumnHidden(c) && model->index(r, c).data(Qt::DisplayRole).toString() == wanted)
                        return selectRows(t, id, view, {r});
            return Result::failure(utf8(QStringLiteral("grid %1 of dialog %2 has no row showing \"%3\"").arg(part(id), part(where(t)), part(wanted))));
        }
    }
    return selectLine(id, [&](const QStringList& lines) { return static_cast<int>(lines.indexOf(wanted)); },
                      "\"" + wanted + "\"");
}

Result doubleClick(UINT id, const std::wstring& text)
{
    QString wanted = QString::fromStdWString(text);
    return selectLine(id, [&](const QStringList& lines) { return static_cast<int>(lines.indexOf(wanted)); },
                      "\"" + wanted + "\"", Mouse::DoubleClick);
}

Result doubleClick(UINT id, int index)
{
    return selectLine(id, [&](const QStringList&) { return index; }, "#" + QString::number(index), Mouse::DoubleClick);
}

namespace {

// The colour a role of the control's palette has now.
COLORREF colorOf(UINT id, QPalette::ColorRole role, bool* ok)
{
    *ok = false;
    CDialog* dialog = activeDialog();
    QWidget* control = afxqt::childById(afxqt::dialogWidget(dialog), id);
    if (!control)
        return 0;
    *ok = true;
    QColor c = control->palette().color(role);
    return RGB(c.red(), c.green(), c.blue());
}

bool drawsOnBase(const QWidget* w)
{
    return qobject_cast<const QLineEdit*>(w) || qobject_cast<const QAbstractItemView*>(w) ||
           qobject_cast<const QComboBox*>(w);
}

}  // namespace

COLORREF backgroundColor(UINT id)
{
    QWidget* control = afxqt::childById(afxqt::dialogWidget(activeDialog()), id);
    bool ok = false;
    COLORREF c = colorOf(id, control && drawsOnBase(control) ? QPalette::Base : QPalette::Window, &ok);
    return ok ? c : CLR_INVALID;
}

COLORREF textColor(UINT id)
{
    QWidget* control = afxqt::childById(afxqt::dialogWidget(activeDialog()), id);
    bool ok = false;
    COLORREF c = colorOf(id, control && drawsOnBase(control) ? QPalette::Text : QPalette::WindowText, &ok);
    return ok ? c : CLR_INVALID;
}

Result select(UINT id, int index)
{
    {
        Target t = reach(&id);
        if (QTableView* view = t.error ? gridOf(t) : nullptr)
            return selectRows(t, id, view, {index});
    }
    return selectLine(id, [&](const QStringList&) { return index; }, "#" + QString::number(index));
}

Result key(Key k)
{
    Target t = reach(nullptr);
    if (!t.error)
        return t.error;
    QWidget* receiver = keyReceiver(t.window);
    switch (k) {
    case Key::Escape: sendKey(receiver, Qt::Key_Escape); break;
    case Key::Enter: sendKey(receiver, Qt::Key_Return); break;
    case Key::Tab: sendKey(receiver, Qt::Key_Tab); break;
    case Key::Up: sendKey(receiver, Qt::Key_Up); break;
    case Key::Down: sendKey(receiver, Qt::Key_Down); break;
    case Key::Home: sendKey(receiver, Qt::Key_Home); break;
    case Key::End: sendKey(receiver, Qt::Key_End); break;
    }
    settleEvents();
    return {};
}

Result ok()
{
    Target t = reach(nullptr);
    if (!t.error)
        return t.error;
    QWidget* button = afxqt::childById(t.window, IDOK);
    if (button && (button->isHidden() || !button->isEnabled()))
        return Result::failure("the OK button of dialog " + describe(*t.dialog) + " cannot be pressed now");
    t.dialog->SendMessage(WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(afxqt::handle(button)));
    settleEvents();
    return {};
}

Result cancel()
{
    Target t = reach(nullptr);
    if (!t.error)
        return t.error;
    t.window->close();  // the close box
    settleEvents();
    return {};
}

namespace {

// The dialog as a person sees it: the window's content under a caption bar with its icon and
// title and a thin frame. The window system draws those on screen; a grab of the widget (and
// every window on the offscreen platform) has none, so the picture adds them.
QPixmap withCaption(QWidget* window)
{
    QPixmap content = window->grab();
    const QFontMetrics metrics(window->font());
    const int bar = metrics.height() + 10;
    const qreal dpr = content.devicePixelRatio();
    QPixmap out(QSize(content.width() / dpr + 2, content.height() / dpr + bar + 1) * dpr);
    out.setDevicePixelRatio(dpr);
    const QPalette& pal = window->palette();
    out.fill(pal.color(QPalette::Highlight));
    QPainter p(&out);
    p.drawPixmap(1, bar, content);
    QRect caption(0, 0, out.width() / dpr, bar);
    int x = 6;
    QIcon icon = window->windowIcon();
    if (!icon.isNull()) {
        p.drawPixmap(x, (bar - 16) / 2, icon.pixmap(16, 16));
        x += 22;
    }
    p.setPen(pal.color(QPalette::HighlightedText));
    QFont bold = window->font();
    bold.setBold(true);
    p.setFont(bold);
    p.drawText(caption.adjusted(x, 0, -6, 0), Qt::AlignVCenter | Qt::AlignLeft, window->windowTitle());
    return out;
}

}  // namespace

Result shot(CDialog& dialog, const std::string& pngPath)
{
    QDialog* window = afxqt::dialogWidget(&dialog);
    if (!window)
        return Result::failure("dialog " + describe(dialog) + " is not open");
    QString path = QString::fromStdString(pngPath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    if (!withCaption(window).save(path, "PNG"))
        return Result::failure("cannot write the picture of dialog " + describe(dialog) + " to " + pngPath);
    return {};
}

Result shot(const std::string& pngPath)
{
    Target t = reach(nullptr);
    if (!t.error)
        return t.error;
    return shot(*t.dialog, pngPath);
}

// ---- one-shot listeners ---------------------------------------------------------------------

void onNextDialog(std::function<void(CDialog&)> fn)
{
    auto token = std::make_shared<int>(0);
    *token = AfxAddDialogListener([token, fn](CDialog& dialog, AfxDialogEvent event) {
        if (event != AfxDialogEvent::Opened)
            return;
        AfxRemoveDialogListener(*token);
        unsigned serial = AfxModalSerial(&dialog);
        CDialog* d = &dialog;
        QTimer::singleShot(0, [fn, d, serial] {
            // Only while that very run of the dialog is still the one the user can reach.
            if (AfxActiveModalDialog() == d && AfxModalSerial(d) == serial)
                fn(*d);
        });
    });
}

}  // namespace afxdriver
