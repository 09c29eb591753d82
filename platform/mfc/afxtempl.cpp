// Dialog templates become widgets: fonts and dialog units, the controls of each kind, and the
// sizing rules of top-level windows.
#include "mfc/afxlist_p.h"
#include "mfc/afxstate_p.h"
#include "text/text.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFontDatabase>
#include <QFontMetrics>
#include <QGroupBox>
#include <QTextDocument>
#include <QHash>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QRegularExpressionValidator>
#include <QStyleOptionButton>
#include <QStylePainter>

#include <algorithm>
#include <array>
#include <map>
#include <vector>

// ---- fonts and dialog units ----------------------------------------------------------------

namespace {

// Fonts of Windows dialogs that are not installed here; they become the sans font.
bool isWindowsDialogFont(const QString& name)
{
    for (const char* font : {"MS Sans Serif", "MS Shell Dlg", "MS Shell Dlg 2", "Microsoft Sans Serif",
                             "Tahoma", "Segoe UI", "System"})
        if (name.compare(QLatin1String(font), Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

QString sansFamily()
{
    QString& family = afxqt::state().sansFamily;
    if (family.isEmpty()) {
        const QStringList installed = QFontDatabase::families();
        for (const char* candidate : {"DejaVu Sans", "Liberation Sans", "Noto Sans", "FreeSans"})
            if (installed.contains(candidate)) {
                family = candidate;
                break;
            }
        if (family.isEmpty())
            family = QFontDatabase::systemFont(QFontDatabase::GeneralFont).family();
    }
    return family;
}

int mulDiv(int value, int numerator, int denominator)
{
    long long p = static_cast<long long>(value) * numerator;
    return static_cast<int>(p >= 0 ? (p + denominator / 2) / denominator : -((-p + denominator / 2) / denominator));
}

}  // namespace

QFont afxqt::dialogFont(const wchar_t* fontName, int points)
{
    QHash<QString, QString>& families = state().fontFamilies;
    QString name = toQ(fontName);
    auto it = families.find(name);
    if (it == families.end()) {
        QString family = name;
        if (name.isEmpty() || isWindowsDialogFont(name) || !QFontDatabase::families().contains(name))
            family = sansFamily();
        it = families.insert(name, family);
    }
    QFont font(it.value());
    font.setStyleHint(QFont::SansSerif);
    font.setPointSize(points > 0 ? points : 8);
    return font;
}

QSize afxqt::baseUnits(const QFont& font)
{
    auto& cache = state().baseUnits;
    for (const auto& [known, base] : cache)
        if (known == font)
            return base;
    QFontMetrics fm(font);
    int width = fm.horizontalAdvance(QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
    QSize base((width / 26 + 1) / 2, fm.height());
    cache.emplace_back(font, base);
    return base;
}

QRect afxqt::dluToPixels(const QSize& base, int x, int y, int cx, int cy)
{
    return QRect(mulDiv(x, base.width(), 4), mulDiv(y, base.height(), 8), mulDiv(cx, base.width(), 4),
                 mulDiv(cy, base.height(), 8));
}

// ---- push buttons with long captions ----------------------------------------------------------

namespace {

// Whether `caption` surely fits into `room` pixels of `font` without being laid out: every
// character is one of U+0020..U+00FF, and their advances, each taken alone, plus a pixel each
// for kerning, add up to no more than the room. Most captions are short words, and laying out
// text is the dearest part of showing a button. Fonts that space, capitalise or stretch their
// letters are always measured.
bool surelyFits(const QString& caption, const QFont& font, int room)
{
    if (font.letterSpacing() != 0 || font.wordSpacing() != 0 || font.capitalization() != QFont::MixedCase ||
        caption.size() > room)
        return false;
    // The advances of U+0020..U+00FF in each font met so far (a dialog's few fonts). Never
    // destroyed: fonts must not outlive the application, and this lives to the process's end.
    static auto& advances = *new std::vector<std::pair<QFont, std::array<int, 0xE0>>>;
    auto it = std::find_if(advances.begin(), advances.end(), [&](const auto& a) { return a.first == font; });
    if (it == advances.end()) {
        QFontMetrics fm(font);
        std::array<int, 0xE0> each{};
        for (char16_t c = 0x20; c <= 0xFF; ++c)
            each[c - 0x20] = c >= 0x7F && c < 0xA0 ? -1 : fm.horizontalAdvance(QChar(c));
        it = advances.insert(advances.end(), {font, each});
    }
    int width = 0;
    for (QChar c : caption) {
        char16_t u = c.unicode();
        if (u < 0x20 || u > 0xFF || it->second[u - 0x20] < 0)
            return false;
        width += it->second[u - 0x20] + 1;
    }
    return width <= room;
}

}  // namespace

QString afxqt::ElidingPushButton::shownText() const
{
    QSize iconNow = icon().isNull() ? QSize() : iconSize();
    if (m_shownValid && m_shownFrom == text() && m_shownSize == size() && m_shownIconSize == iconNow &&
        m_shownFont == font())
        return m_shown;
    QStyleOptionButton opt;
    initStyleOption(&opt);
    QRect contents = style()->subElementRect(QStyle::SE_PushButtonContents, &opt, this);
    int room = contents.width() - 4;  // a little air between the caption and the frame
    if (!iconNow.isEmpty())
        room -= iconNow.width() + 4;  // the icon and its gap to the text
    QString caption = text();
    caption.remove(QLatin1Char('&'));  // (mnemonic markers are not drawn)
    m_shown = surelyFits(caption, font(), room) || fontMetrics().horizontalAdvance(caption) <= room
                  ? text()
                  : fontMetrics().elidedText(caption, Qt::ElideRight, std::max(room, 0));
    m_shownFrom = text();
    m_shownSize = size();
    m_shownIconSize = iconNow;
    m_shownFont = font();
    m_shownValid = true;
    return m_shown;
}

QString afxqt::toolTipText(const QString& text)
{
    if (!Qt::mightBeRichText(text))
        return text;
    return QStringLiteral("<p style='white-space:pre'>") + text.toHtmlEscaped() + QStringLiteral("</p>");
}

void afxqt::ElidingPushButton::updateTooltip()
{
    bool elided = isElided();
    if (elided && (!m_tooltipIsCaption || toolTip() != toolTipText(text()))) {
        setToolTip(toolTipText(text()));
        m_tooltipIsCaption = true;
    } else if (!elided && m_tooltipIsCaption) {
        setToolTip(QString());
        m_tooltipIsCaption = false;
    }
}

void afxqt::ElidingPushButton::refreshElision()
{
    if (isVisible())
        updateTooltip();
    update();
}

// A hidden button needs no tooltip: it is measured when it shows (templates lay out many
// buttons that never show).
void afxqt::ElidingPushButton::resizeEvent(QResizeEvent* e)
{
    QPushButton::resizeEvent(e);  // a resized button is painted anew anyway
    if (isVisible())
        updateTooltip();
}

void afxqt::ElidingPushButton::showEvent(QShowEvent* e)
{
    QPushButton::showEvent(e);
    updateTooltip();
}

void afxqt::ElidingPushButton::paintEvent(QPaintEvent* e)
{
    QString shown = shownText();
    if (shown == text()) {
        QPushButton::paintEvent(e);  // the caption fits: drawn as any button
        return;
    }
    QStylePainter painter(this);
    QStyleOptionButton opt;
    initStyleOption(&opt);
    opt.text = shown;
    painter.drawControl(QStyle::CE_PushButton, opt);
}

// ---- custom control classes ----------------------------------------------------------------

namespace {

std::map<std::wstring, afxqt::ControlFactory>& controlClasses() { return afxqt::state().controlClasses; }

std::wstring lower(const wchar_t* text) { return kortext::lower(std::wstring_view(text ? text : L"")); }

}  // namespace

void afxqt::registerControlClass(const wchar_t* className, ControlFactory factory)
{
    controlClasses()[lower(className)] = std::move(factory);
}

const afxqt::ControlFactory* afxqt::findControlClass(const wchar_t* className)
{
    auto it = controlClasses().find(lower(className));
    return it == controlClasses().end() ? nullptr : &it->second;
}

// ---- controls ------------------------------------------------------------------------------

namespace {

using afxqt::notifyParent;

QWidget* makePushButton(QWidget* parent, const AfxControlTemplate& c)
{
    auto* b = new afxqt::ElidingPushButton(afxqt::toQ(c.text), parent);
    // The dialog moves the default with the focus and handles Enter itself (see afxdlg.cpp);
    // Qt's auto-default would also make some button the default where the template has none.
    b->setAutoDefault(false);
    b->setDefault((c.style & 0xF) == BS_DEFPUSHBUTTON);
    QObject::connect(b, &QPushButton::clicked, [b] { notifyParent(b, BN_CLICKED); });
    return b;
}

QWidget* makeCheckBox(QWidget* parent, const AfxControlTemplate& c)
{
    auto* b = new QCheckBox(afxqt::toQ(c.text), parent);
    QObject::connect(b, &QCheckBox::clicked, [b] { notifyParent(b, BN_CLICKED); });
    return b;
}

QWidget* makeRadioButton(QWidget* parent, const AfxControlTemplate& c, QButtonGroup*& group)
{
    auto* b = new QRadioButton(afxqt::toQ(c.text), parent);
    b->setAutoExclusive(false);
    if (!group)
        group = new QButtonGroup(parent);
    group->addButton(b);  // buttons of one group exclude each other
    QObject::connect(b, &QRadioButton::clicked, [b] { notifyParent(b, BN_CLICKED); });
    return b;
}

QWidget* makeStatic(QWidget* parent, const AfxControlTemplate& c)
{
    auto* l = new QLabel(afxqt::toQ(c.text), parent);
    l->setTextFormat(Qt::PlainText);
    l->setWordWrap(true);
    Qt::Alignment h = Qt::AlignLeft;
    if ((c.style & 0x1F) == SS_CENTER)
        h = Qt::AlignHCenter;
    else if ((c.style & 0x1F) == SS_RIGHT)
        h = Qt::AlignRight;
    l->setAlignment(h | Qt::AlignTop);
    return l;
}

QWidget* makeIcon(QWidget* parent, const AfxControlTemplate& c, HINSTANCE instance)
{
    auto* l = new QLabel(parent);
    bool ok = false;
    UINT id = afxqt::toQ(c.text).toUInt(&ok);
    if (ok) {
        auto icon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(id), IMAGE_ICON, 32, 32, LR_SHARED));
        if (icon) {
            l->setPixmap(icon->pixmap);
            afxqt::registerWindow(l).buttonIcon = icon;
        }
    }
    return l;
}

QWidget* makeEdit(QWidget* parent, const AfxControlTemplate& c)
{
    auto* e = new QLineEdit(afxqt::toQ(c.text), parent);
    e->setReadOnly(c.style & ES_READONLY);
    if ((c.style & 0x3) == ES_RIGHT)
        e->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    if (c.style & ES_NUMBER)  // typing takes digits only; text set by code is not checked
        e->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), e));
    QObject::connect(e, &QLineEdit::textChanged, [e] { notifyParent(e, EN_CHANGE); });
    return e;
}

QWidget* makeComboBox(QWidget* parent, const AfxControlTemplate& c)
{
    auto* b = new QComboBox(parent);
    bool dropDownList = (c.style & 0x3) == CBS_DROPDOWNLIST;
    b->setEditable(!dropDownList);
    b->setInsertPolicy(QComboBox::NoInsert);
    QObject::connect(b, &QComboBox::currentIndexChanged, [b] { notifyParent(b, CBN_SELCHANGE); });
    if (!dropDownList)
        QObject::connect(b, &QComboBox::editTextChanged, [b] { notifyParent(b, CBN_EDITCHANGE); });
    return b;
}

QWidget* makeListBox(QWidget* parent, const AfxControlTemplate& c)
{
    // Lines, selection and the notifications LBN_SELCHANGE / LBN_DBLCLK: see afxlist.cpp.
    return new afxqt::ListBoxView(c.style & LBS_SORT, c.style & LBS_EXTENDEDSEL, parent);
}

Qt::FocusPolicy focusPolicy(AfxControlKind kind, DWORD style)
{
    if (kind == AfxControlKind::Static || kind == AfxControlKind::Icon || kind == AfxControlKind::GroupBox)
        return Qt::NoFocus;
    return (style & WS_TABSTOP) ? Qt::StrongFocus : Qt::ClickFocus;
}

}  // namespace

bool afxqt::createControls(QWidget* dialog, const AfxDialogTemplate& tpl, HINSTANCE instance,
                           const QSize& base, QString* error)
{
    QButtonGroup* radioGroup = nullptr;
    for (size_t i = 0; i < tpl.controlCount; ++i) {
        const AfxControlTemplate& c = tpl.controls[i];
        if (c.style & WS_GROUP)
            radioGroup = nullptr;  // a group starts at every control with WS_GROUP
        QWidget* w = nullptr;
        switch (c.kind) {
        case AfxControlKind::PushButton: w = makePushButton(dialog, c); break;
        case AfxControlKind::CheckBox: w = makeCheckBox(dialog, c); break;
        case AfxControlKind::RadioButton: w = makeRadioButton(dialog, c, radioGroup); break;
        case AfxControlKind::GroupBox:
            // A frame is no target for the mouse (as on Windows): a click inside it reaches
            // the control below, also when the frame comes later in the template.
            w = new QGroupBox(toQ(c.text), dialog);
            w->setAttribute(Qt::WA_TransparentForMouseEvents);
            break;
        case AfxControlKind::Static: w = makeStatic(dialog, c); break;
        case AfxControlKind::Icon: w = makeIcon(dialog, c, instance); break;
        case AfxControlKind::Edit: w = makeEdit(dialog, c); break;
        case AfxControlKind::ComboBox: w = makeComboBox(dialog, c); break;
        case AfxControlKind::ListBox: w = makeListBox(dialog, c); break;
        case AfxControlKind::Custom:
            if (const ControlFactory* factory = findControlClass(c.className))
                w = (*factory)(dialog, c);
            if (!w) {
                if (error)
                    *error = QStringLiteral("control %1 has the unknown window class \"%2\"")
                                 .arg(c.id)
                                 .arg(toQ(c.className));
                return false;
            }
            break;
        }
        WindowInfo& info = registerWindow(w);
        info.id = c.id;
        info.style = c.style;
        info.kind = c.kind;
        QRect r = dluToPixels(base, c.x, c.y, c.cx, c.cy);
        if (c.kind == AfxControlKind::ComboBox)
            r.setHeight(w->sizeHint().height());  // a combo's template height includes its list
        w->setGeometry(r);
        w->setFocusPolicy(focusPolicy(c.kind, c.style));
        if (c.style & WS_DISABLED)
            w->setEnabled(false);
        if (!(c.style & WS_VISIBLE))
            w->setVisible(false);
        for (const wchar_t* const* line = c.initStrings; line && *line; ++line) {
            if (auto* combo = qobject_cast<QComboBox*>(w)) {
                QSignalBlocker quiet(combo);  // (no selection, as in Windows)
                combo->addItem(toQ(*line));
                combo->setCurrentIndex(-1);
            } else if (ListBoxModel* list = listBoxModel(w)) {
                list->addString(toQ(*line));
            }
        }
        if (auto* placed = dynamic_cast<TemplateControl*>(w))
            placed->placedByTemplate();
    }
    return true;
}

// ---- top-level sizing ----------------------------------------------------------------------

void afxqt::setResizable(QWidget* window, bool resizable)
{
    registerWindow(window).resizable = resizable;
    if (resizable) {
        window->setMinimumSize(0, 0);
        window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    } else {
        window->setFixedSize(window->size());
    }
}

bool afxqt::isResizable(const QWidget* window)
{
    const WindowInfo* info = windowInfo(window);
    return info && info->resizable;
}

void afxqt::resizeClient(QWidget* window, const QSize& client)
{
    QSize size = client.expandedTo(QSize(1, 1));
    if (!isResizable(window)) {
        window->setFixedSize(size);
        return;
    }
    if (size.width() < window->minimumWidth() || size.height() < window->minimumHeight())
        window->setMinimumSize(size.boundedTo(window->minimumSize()));
    window->resize(size);
}

QSize afxqt::iconSizeForButton(const HICON__* icon, int buttonHeight)
{
    QSize natural = icon->pixmap.size() / icon->pixmap.devicePixelRatio();
    int room = std::max(8, buttonHeight - 8);
    return natural.height() > room ? natural.scaled(room, room, Qt::KeepAspectRatio) : natural;
}
