// A DCL dialog as a window of the window layer.
#include "app/DclDialog.h"

#include "drawing/Geometry.h"
#include "mfc/afxhost.h"
#include "mfc/afxqt_p.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QSlider>

#include <sstream>

namespace korcad {

namespace {

const wchar_t* const kImageClass = L"KorDclImage";
const wchar_t* const kSliderClass = L"KorDclSlider";
constexpr DWORD kClickable = 0x1;  // an image_button; else a picture

QColor colourOf(int index, const QPalette& palette)
{
    switch (index) {
    case 0:
    case -2: return Qt::black;  // the drawing's background
    case -15: return palette.color(QPalette::Window);
    case -16:
    case -18:
    case 7: return palette.color(QPalette::WindowText);
    default: break;
    }
    if (index < 0 || index > 255)
        return palette.color(QPalette::Window);
    uint32_t rgb = geom::aciColour(index);
    return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF);
}

// An image tile, or an image_button (clickable, focusable) that remembers where it was hit.
class ImageWidget : public QAbstractButton {
public:
    ImageWidget(QWidget* parent, bool clickable) : QAbstractButton(parent), clickable_(clickable)
    {
        setFocusPolicy(clickable ? Qt::StrongFocus : Qt::NoFocus);
        if (clickable)
            connect(this, &QAbstractButton::clicked, this, [this] { afxqt::notifyParent(this, BN_CLICKED); });
    }
    std::vector<DclImageOp> ops;
    int background = -15;
    bool inverted = false;
    QPoint hit{-1, -1};

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.fillRect(rect(), colourOf(background, palette()));
        for (const DclImageOp& op : ops) {
            QColor c = colourOf(op.colour, palette());
            if (op.line) {
                p.setPen(c);
                p.drawLine(op.x1, op.y1, op.x2, op.y2);
            } else {
                p.fillRect(op.x1, op.y1, op.x2, op.y2, c);
            }
        }
        if (inverted || (clickable_ && hasFocus())) {
            p.setPen(QPen(palette().color(QPalette::Highlight), 2));
            p.drawRect(rect().adjusted(1, 1, -1, -1));
        }
    }
    void mousePressEvent(QMouseEvent* e) override
    {
        if (!clickable_)
            return e->ignore();
        hit = e->position().toPoint();
        QAbstractButton::mousePressEvent(e);
    }

private:
    bool clickable_;
};

class SliderWidget : public QSlider {
public:
    explicit SliderWidget(QWidget* parent) : QSlider(Qt::Horizontal, parent)
    {
        connect(this, &QSlider::valueChanged, this, [this] { afxqt::notifyParent(this, BN_CLICKED); });
    }
};

void registerClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    afxqt::registerControlClass(kImageClass, [](QWidget* parent, const AfxControlTemplate& c) -> QWidget* {
        return new ImageWidget(parent, (c.style & kClickable) != 0);
    });
    afxqt::registerControlClass(kSliderClass, [](QWidget* parent, const AfxControlTemplate&) -> QWidget* {
        return new SliderWidget(parent);
    });
}

std::wstring wide(const std::string& s) { return AfxFromUtf8(s); }

// A label with the key a person presses with Alt: an '&' written in it, else the letter the
// mnemonic attribute names, marked where it first occurs.
std::string labelOf(const dcl::Tile& t)
{
    std::string label = t.label(), m = t.text("mnemonic");
    if (m.size() != 1 || label.find('&') != std::string::npos)
        return label;
    size_t at = label.find(m[0]);
    return at == std::string::npos ? label : label.insert(at, 1, '&');
}

bool isRadioCluster(const std::string& type)
{
    return type == "radio_row" || type == "radio_column" || type == "boxed_radio_row" || type == "boxed_radio_column";
}

QRect pixels(const dcl::Box& b)
{
    return afxqt::dluToPixels(afxqt::baseUnits(afxqt::dialogFont(L"MS Shell Dlg", 8)), b.x, b.y, b.cx, b.cy);
}

}  // namespace

DclDialog::DclDialog(dcl::Dialog dialog, lisp::Interpreter& lisp)
    : dialog_(std::move(dialog)), lisp_(lisp), states_(dialog_.tiles.size())
{
    registerClasses();
    for (size_t i = 0; i < dialog_.tiles.size(); ++i) {
        const dcl::Tile& t = dialog_.tiles[i];
        DclTileState& s = states_[i];
        s.enabled = t.flag("is_enabled", true) && (t.parent < 0 || states_[t.parent].enabled);
        s.action = t.text("action");
        s.value = t.text("value");
        if (t.type == "text" || t.type == "text_part")
            s.value = t.text("value", t.label());
        if (isRadioCluster(t.type))
            for (int c : t.children)
                if (dialog_.tiles[c].text("value") == "1")
                    s.value = dialog_.tiles[c].key();
        if (t.type == "list_box" || t.type == "popup_list") {
            std::istringstream lines(t.text("list"));
            for (std::string line; std::getline(lines, line);)
                s.list.push_back(line);
        }
        if (t.type == "popup_list")
            s.value = t.text("value", "0");
    }
    buildTemplate();
    InitModalIndirect(&template_);
}

DclDialog::~DclDialog() = default;

void DclDialog::setPosition(int x, int y)
{
    positioned_ = true;
    x_ = x;
    y_ = y;
}

void DclDialog::buildTemplate()
{
    auto text = [this](const std::string& s) { return texts_.emplace_back(wide(s)).c_str(); };
    auto add = [this](UINT id, AfxControlKind kind, const wchar_t* caption, const dcl::Box& b, DWORD style,
                      const wchar_t* className = nullptr) {
        items_.push_back({id, kind, caption, static_cast<short>(b.x), static_cast<short>(b.y),
                             static_cast<short>(b.cx), static_cast<short>(b.cy), static_cast<DWORD>(style | WS_VISIBLE), className});
    };
    for (size_t i = 0; i < dialog_.tiles.size(); ++i) {
        const dcl::Tile& t = dialog_.tiles[i];
        const UINT id = kFirstTileId + static_cast<UINT>(i);
        const int parent = t.parent;
        const bool firstRadio = t.type == "radio_button" && parent >= 0 && dialog_.tiles[parent].children[0] == int(i);
        const DWORD group = t.type != "radio_button" || firstRadio ? WS_GROUP : 0;
        const DWORD tab = t.flag("is_tab_stop", true) ? WS_TABSTOP : 0;
        dcl::Box labelBox{t.box.x, t.box.y, t.field.x - t.box.x - 2, t.box.cy};
        if (t.type.rfind("boxed_", 0) == 0) {
            add(id, AfxControlKind::GroupBox, text(t.label()), t.box, BS_GROUPBOX | group);
        } else if (t.type == "button") {
            add(id, AfxControlKind::PushButton, text(labelOf(t)), t.box,
                (t.flag("is_default") ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON) | tab | group);
        } else if (t.type == "toggle") {
            add(id, AfxControlKind::CheckBox, text(labelOf(t)), t.box, BS_AUTOCHECKBOX | tab | group);
        } else if (t.type == "radio_button") {
            add(id, AfxControlKind::RadioButton, text(labelOf(t)), t.box, BS_AUTORADIOBUTTON | tab | group);
        } else if (t.type == "text" || t.type == "text_part") {
            DWORD align = t.text("alignment") == "centered" ? SS_CENTER : t.text("alignment") == "right" ? SS_RIGHT : SS_LEFT;
            add(id, AfxControlKind::Static, text(states_[i].value), t.box, align | group);
        } else if (t.type == "edit_box" || t.type == "popup_list") {
            if (!t.label().empty())
                add(IDC_STATIC, AfxControlKind::Static, text(t.label()), labelBox, SS_LEFT | group);
            if (t.type == "edit_box")
                add(id, AfxControlKind::Edit, text(states_[i].value), t.field, ES_AUTOHSCROLL | WS_BORDER | tab | group);
            else
                add(id, AfxControlKind::ComboBox, L"", t.field, CBS_DROPDOWNLIST | WS_VSCROLL | tab | group);
        } else if (t.type == "list_box") {
            if (!t.label().empty())
                add(IDC_STATIC, AfxControlKind::Static, text(t.label()), {t.box.x, t.box.y, t.box.cx, 8}, SS_LEFT | group);
            add(id, AfxControlKind::ListBox, L"", t.field,
                LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_BORDER | tab | group |
                    (t.flag("multiple_select") ? LBS_EXTENDEDSEL : 0));
        } else if (t.type == "image" || t.type == "image_button") {
            add(id, AfxControlKind::Custom, L"", t.box, (t.type == "image_button" ? kClickable | tab : 0) | group,
                kImageClass);
        } else if (t.type == "slider") {
            add(id, AfxControlKind::Custom, L"", t.box, tab | group, kSliderClass);
        }
    }
    const dcl::Tile& d = dialog_.tiles[0];
    template_ = AfxDialogTemplate{3200, 0, 0, static_cast<short>(d.box.cx), static_cast<short>(d.box.cy),
                                  DS_MODALFRAME | WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT | DS_CENTER,
                                  text(d.label()), L"MS Shell Dlg", 8, items_.data(), items_.size()};
}

CWnd* DclDialog::control(int tile) const
{
    const size_t i = static_cast<size_t>(tile);
    return m_hWnd && i < controls_.size() && controls_[i] && controls_[i]->m_hWnd ? controls_[i].get() : nullptr;
}

// Each tile's control as an object of its class, attached while the dialog runs.
void DclDialog::attachControls()
{
    controls_.clear();
    controls_.resize(dialog_.tiles.size());
    for (size_t i = 0; i < dialog_.tiles.size(); ++i) {
        const std::string& type = dialog_.tiles[i].type;
        std::unique_ptr<CWnd> w;
        if (type == "edit_box")
            w = std::make_unique<CEdit>();
        else if (type == "list_box")
            w = std::make_unique<CListBox>();
        else if (type == "popup_list")
            w = std::make_unique<CComboBox>();
        else if (type == "button" || type == "toggle" || type == "radio_button")
            w = std::make_unique<CButton>();
        else
            w = std::make_unique<CWnd>();
        if (w->SubclassDlgItem(kFirstTileId + static_cast<UINT>(i), this))
            controls_[i] = std::move(w);
    }
}

int DclDialog::tileOf(UINT id) const
{
    if (id < kFirstTileId || id >= kFirstTileId + dialog_.tiles.size())
        return -1;
    return static_cast<int>(id - kFirstTileId);
}

BOOL DclDialog::OnInitDialog()
{
    CDialog::OnInitDialog();
    attachControls();
    initializing_ = true;  // what setting up the controls notifies is no user's doing
    for (size_t i = 0; i < dialog_.tiles.size(); ++i) {
        if (CWnd* c = control(static_cast<int>(i))) {
            if (QWidget* w = AfxHostWidgetOf(c->m_hWnd))
                w->setObjectName(QString::fromStdString(dialog_.tiles[i].key()));
            if (dialog_.tiles[i].type == "edit_box") {
                static_cast<CEdit*>(c)->SetLimitText(static_cast<UINT>(dialog_.tiles[i].number("edit_limit", 132)));
                if (auto* edit = qobject_cast<QLineEdit*>(AfxHostWidgetOf(c->m_hWnd)); edit && dialog_.tiles[i].attr("password_char"))
                    edit->setEchoMode(QLineEdit::Password);
            }
            if (auto* slider = qobject_cast<QSlider*>(AfxHostWidgetOf(c->m_hWnd))) {
                const dcl::Tile& t = dialog_.tiles[i];
                slider->setRange(static_cast<int>(t.number("min_value", 0)), static_cast<int>(t.number("max_value", 10000)));
                slider->setSingleStep(static_cast<int>(t.number("small_increment", 1)));
                slider->setPageStep(static_cast<int>(t.number("big_increment", 10)));
                if (t.text("layout") == "vertical")
                    slider->setOrientation(Qt::Vertical);
            }
        }
        refreshList(static_cast<int>(i));
        refreshImage(static_cast<int>(i));
        apply(static_cast<int>(i));
    }
    if (!states_[0].value.empty())
        SetWindowText(wide(states_[0].value).c_str());
    initializing_ = false;
    if (positioned_)
        SetWindowPos(nullptr, x_, y_, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    std::string focus = dialog_.tiles[0].text("initial_focus");
    if (int t = dialog_.find(focus); !focus.empty() && t >= 0 && control(t)) {
        GotoDlgCtrl(control(t));
        return FALSE;
    }
    return TRUE;
}

// Shows a tile's state in its control.
void DclDialog::apply(int tile)
{
    CWnd* c = control(tile);
    if (!c)
        return;
    const dcl::Tile& t = dialog_.tiles[tile];
    DclTileState& s = states_[tile];
    applying_ = true;
    c->EnableWindow(s.enabled);
    if (t.type == "edit_box" || t.type == "text" || t.type == "text_part") {
        CString now;
        c->GetWindowText(now);
        if (AfxToUtf8(now) != s.value)
            c->SetWindowText(wide(s.value).c_str());
    } else if (t.type == "toggle" || t.type == "radio_button") {
        static_cast<CButton*>(c)->SetCheck(s.value == "1" ? BST_CHECKED : BST_UNCHECKED);
    } else if (t.type == "list_box") {
        auto* list = static_cast<CListBox*>(c);
        std::istringstream picks(s.value);
        for (int i = 0; i < list->GetCount(); ++i)
            list->SetSel(i, FALSE);
        list->SetCurSel(-1);
        for (int n; picks >> n;)
            t.flag("multiple_select") ? list->SetSel(n, TRUE) : list->SetCurSel(n);
    } else if (t.type == "popup_list") {
        static_cast<CComboBox*>(c)->SetCurSel(s.value.empty() ? -1 : std::atoi(s.value.c_str()));
    } else if (t.type == "slider") {
        if (auto* slider = qobject_cast<QSlider*>(AfxHostWidgetOf(c->m_hWnd)))
            slider->setValue(std::atoi(s.value.c_str()));
    }
    applying_ = false;
}

std::string DclDialog::value(int tile) const { return states_[tile].value; }

void DclDialog::setValue(int tile, const std::string& v)
{
    const dcl::Tile& t = dialog_.tiles[tile];
    states_[tile].value = v;
    states_[tile].dirty = false;
    if (tile == 0 && m_hWnd)  // the dialog's own value is its title
        SetWindowText(wide(v).c_str());
    if (isRadioCluster(t.type)) {
        for (int c : t.children)
            if (dialog_.tiles[c].type == "radio_button") {
                states_[c].value = dialog_.tiles[c].key() == v ? "1" : "0";
                apply(c);
            }
    } else if (t.type == "radio_button" && t.parent >= 0 && v == "1") {
        setValue(t.parent, t.key());
        return;
    }
    apply(tile);
}

void DclDialog::setMode(int tile, int mode)
{
    const dcl::Tile& t = dialog_.tiles[tile];
    DclTileState& s = states_[tile];
    if (mode == 0 || mode == 1) {
        s.enabled = mode == 0;
        for (int c : t.children)  // a cluster takes its tiles with it
            setMode(c, mode);
        apply(tile);
    } else if (CWnd* c = control(tile); c && (mode == 2 || mode == 3)) {
        GotoDlgCtrl(c);
        if (mode == 3)
            c->SendMessage(EM_SETSEL, 0, static_cast<LPARAM>(-1));
    } else if (mode == 4) {
        s.inverted = !s.inverted;
        refreshImage(tile);
    }
}

void DclDialog::refreshList(int tile)
{
    CWnd* c = control(tile);
    const dcl::Tile& t = dialog_.tiles[tile];
    if (!c || (t.type != "list_box" && t.type != "popup_list"))
        return;
    applying_ = true;
    if (t.type == "list_box") {
        auto* list = static_cast<CListBox*>(c);
        list->ResetContent();
        for (const std::string& line : states_[tile].list)
            list->AddString(wide(line).c_str());
    } else {
        auto* combo = static_cast<CComboBox*>(c);
        combo->ResetContent();
        for (const std::string& line : states_[tile].list)
            combo->AddString(wide(line).c_str());
    }
    applying_ = false;
    apply(tile);
}

void DclDialog::refreshImage(int tile)
{
    CWnd* c = control(tile);
    if (!c)
        return;
    if (auto* image = dynamic_cast<ImageWidget*>(AfxHostWidgetOf(c->m_hWnd))) {
        image->ops = states_[tile].image;
        image->inverted = states_[tile].inverted;
        image->background = static_cast<int>(dialog_.tiles[tile].number("color", -15));
        image->update();
    }
}

CSize DclDialog::pixelSize(int tile) const
{
    if (CWnd* c = control(tile)) {
        CRect r;
        c->GetClientRect(&r);
        return r.Size();
    }
    QRect box = pixels(dialog_.tiles[tile].box);
    return CSize(box.width(), box.height());
}

int DclDialog::run(CWnd* parent)
{
    m_pParentWnd = parent;
    status_ = 0;
    error_ = nullptr;
    DoModal();
    controls_.clear();
    if (error_)
        std::rethrow_exception(std::exchange(error_, nullptr));
    return status_;
}

CPoint DclDialog::done(int status)
{
    CPoint where;
    if (m_hWnd) {
        CRect r;
        GetWindowRect(&r);
        where = r.TopLeft();
    }
    status_ = status;
    if (running())
        EndDialog(status);
    return where;
}

int DclDialog::cancelTile() const
{
    for (size_t i = 0; i < dialog_.tiles.size(); ++i)
        if (dialog_.tiles[i].flag("is_cancel"))
            return static_cast<int>(i);
    return dialog_.find("cancel");
}

int DclDialog::defaultTile() const
{
    for (size_t i = 0; i < dialog_.tiles.size(); ++i)
        if (dialog_.tiles[i].flag("is_default"))
            return static_cast<int>(i);
    return dialog_.find("accept");
}

void DclDialog::runAction(int tile, int reason, const std::string& value, int x, int y)
{
    const dcl::Tile& t = dialog_.tiles[tile];
    std::string action = states_[tile].action;
    if (action.empty() && t.type == "radio_button" && t.parent >= 0 && !states_[t.parent].action.empty()) {
        runAction(t.parent, reason, t.key());  // the cluster's action hears of its button
        return;
    }
    if (action.empty()) {
        // Without an action of their own the dialog's exit buttons end it, OK with 1, Cancel
        // with 0; other tiles run the default action new_dialog gave.
        if (t.flag("is_cancel") || t.key() == "cancel")
            return (void)done(0);
        if (t.key() == "accept")
            return (void)done(1);
        action = defaultAction_;
    }
    if (action.empty())
        return;
    using lisp::Value;
    lisp_.setSymbolValue("$KEY", Value::string(t.key()));
    lisp_.setSymbolValue("$VALUE", Value::string(value));
    lisp_.setSymbolValue("$REASON", Value::integer(reason));
    lisp_.setSymbolValue("$DATA", states_[tile].data);
    lisp_.setSymbolValue("$X", Value::integer(x));
    lisp_.setSymbolValue("$Y", Value::integer(y));
    try {
        lisp_.evalTop(lisp_.read("(progn " + action + "\n)"));
    } catch (...) {
        // The error ends every dialog and goes on from start_dialog, outside the window's loop.
        error_ = std::current_exception();
        for (CDialog* d : AfxModalDialogs())
            d->EndDialog(IDCANCEL);
    }
}

void DclDialog::flushEdits(int except)
{
    for (size_t i = 0; i < states_.size(); ++i)
        if (states_[i].dirty && static_cast<int>(i) != except && running()) {
            states_[i].dirty = false;
            runAction(static_cast<int>(i), kDclLeftEdit, states_[i].value);
        }
}

BOOL DclDialog::OnCommand(WPARAM wParam, LPARAM lParam)
{
    const UINT id = LOWORD(wParam), code = HIWORD(wParam);
    const int tile = tileOf(id);
    if (tile < 0 || applying_ || initializing_)
        return CDialog::OnCommand(wParam, lParam);
    const dcl::Tile& t = dialog_.tiles[tile];
    DclTileState& s = states_[tile];
    CWnd* c = control(tile);
    if (t.type == "edit_box") {
        if (code == EN_CHANGE) {
            CString text;
            c->GetWindowText(text);
            s.value = AfxToUtf8(text);
            s.dirty = true;
        } else if (code == EN_KILLFOCUS && s.dirty) {
            s.dirty = false;
            runAction(tile, kDclLeftEdit, s.value);
        }
        return TRUE;
    }
    if (t.type == "list_box" && (code == LBN_SELCHANGE || code == LBN_DBLCLK)) {
        auto* list = static_cast<CListBox*>(c);
        std::string v;
        if (t.flag("multiple_select")) {
            for (int i = 0; i < list->GetCount(); ++i)
                if (list->GetSel(i) > 0)
                    v += (v.empty() ? "" : " ") + std::to_string(i);
        } else if (list->GetCurSel() >= 0) {
            v = std::to_string(list->GetCurSel());
        }
        s.value = v;
        flushEdits(tile);
        runAction(tile, code == LBN_DBLCLK ? kDclDoubleClicked : kDclSelected, v);
        if (code == LBN_DBLCLK && t.flag("allow_accept") && running())
            OnOK();  // a double click chooses, as the default button would
        return TRUE;
    }
    if (t.type == "popup_list" && code == CBN_SELCHANGE) {
        int sel = static_cast<CComboBox*>(c)->GetCurSel();
        s.value = sel >= 0 ? std::to_string(sel) : std::string();
        flushEdits(tile);
        runAction(tile, kDclSelected, s.value);
        return TRUE;
    }
    if (code != BN_CLICKED)
        return TRUE;
    if (t.type == "toggle") {
        s.value = static_cast<CButton*>(c)->GetCheck() == BST_CHECKED ? "1" : "0";
    } else if (t.type == "radio_button") {
        setValue(tile, "1");
    } else if (t.type == "slider") {
        auto* slider = qobject_cast<QSlider*>(AfxHostWidgetOf(c->m_hWnd));
        s.value = std::to_string(slider ? slider->value() : 0);
        runAction(tile, slider && slider->isSliderDown() ? kDclDragging : kDclSelected, s.value);
        return TRUE;
    }
    if (!(t.flag("is_cancel") || t.key() == "cancel"))
        flushEdits(tile);  // leaving an edit for this button runs the edit's action first
    if (!running())
        return TRUE;
    int x = -1, y = -1;
    if (t.type == "image_button")
        if (auto* image = dynamic_cast<ImageWidget*>(AfxHostWidgetOf(c->m_hWnd))) {
            x = image->hit.x() < 0 ? 0 : image->hit.x();
            y = image->hit.y() < 0 ? 0 : image->hit.y();
        }
    runAction(tile, kDclSelected, t.type == "button" || t.type == "image_button" ? std::string() : s.value, x, y);
    return TRUE;
}

void DclDialog::OnOK()
{
    // Enter with no default button: as if OK were pressed.
    int tile = defaultTile();
    flushEdits(tile);
    if (!running())
        return;
    if (tile >= 0)
        runAction(tile, kDclSelected, {});
    else
        done(1);
}

void DclDialog::OnCancel()
{
    // Escape and the close box press the cancel button.
    int tile = cancelTile();
    if (tile >= 0)
        runAction(tile, kDclSelected, {});
    else
        done(0);
}

}  // namespace korcad
