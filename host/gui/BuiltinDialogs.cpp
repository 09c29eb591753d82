// The windows of getfiled, acad_colordlg and acad_truecolordlg. Each is a CDialog made from a
// template held here; the file dialog holds Qt's own file browser (never the desktop's native
// one, so the window layer sees and drives it), the true-colour dialog the colour control of
// the extended controls.
#include "gui/BuiltinDialogs.h"

#include "drawing/Geometry.h"
#include "extctl/extcolor.h"
#include "extctl/extctl.h"
#include "mfc/afxhost.h"

#include <QFileDialog>
#include <QLineEdit>
#include <QVBoxLayout>
#include <QWidget>

#include <functional>

namespace korcad {

namespace {

QString toQ(const std::string& s) { return QString::fromStdString(s); }
std::wstring wide(const std::string& s) { return QString::fromStdString(s).toStdWString(); }

QWidget* widgetOf(CWnd* wnd) { return wnd ? AfxHostWidgetOf(wnd->GetSafeHwnd()) : nullptr; }

// The parent a dialog opens over: the dialog open now, else the host's main window if there is
// one (a dialog without a parent is centred on the screen).
CWnd* parentWindow(HWND mainWindow)
{
    if (CDialog* open = AfxActiveModalDialog())
        return open;
    return mainWindow ? CWnd::FromHandle(mainWindow) : nullptr;
}

// ---- getfiled --------------------------------------------------------------------------------

constexpr UINT kBrowser = 100;
constexpr DWORD kFrame = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | DS_SETFONT;

const AfxControlTemplate kFileControls[] = {
    {kBrowser, AfxControlKind::Static, L"", 0, 0, 380, 240, WS_VISIBLE},
};
const AfxDialogTemplate kFileTemplate = {0, 0, 0, 380, 240, kFrame, L"Datei wählen", L"MS Shell Dlg", 8,
                                         kFileControls, std::size(kFileControls)};

// Qt's file browser as a part of a window: it ends nothing itself, it reports.
class Browser : public QFileDialog {
public:
    Browser(QWidget* parent, std::function<void(bool, const QString&)> onDone)
        : QFileDialog(parent), onDone_(std::move(onDone))
    {
        setWindowFlags(Qt::Widget);  // a dialog is made a window; this one is a part
    }
    // As the browser's own Open / Save button: a folder is opened, a file name reported.
    void confirm() { accept(); }

protected:
    void done(int result) override
    {
        onDone_(result == QDialog::Accepted, result == QDialog::Accepted ? selectedFiles().value(0) : QString());
    }

private:
    std::function<void(bool, const QString&)> onDone_;
};

class FileDialog : public CExtResizableDialog, public TypedAnswer {
public:
    FileDialog(const FileRequest& request, CWnd* parent) : CExtResizableDialog(0, parent), request_(request)
    {
        InitModalIndirect(&kFileTemplate, parent);
    }
    const std::string& result() const { return result_; }

    afxdriver::Result answerTyped(const std::wstring& text) override
    {
        QLineEdit* edit = browser_ ? browser_->findChild<QLineEdit*>("fileNameEdit") : nullptr;
        if (!edit)
            return afxdriver::Result::failure("the file dialog has no file name field");
        edit->setText(QString::fromStdWString(text));
        browser_->confirm();
        return {};
    }

protected:
    BOOL OnInitDialog() override
    {
        CExtResizableDialog::OnInitDialog();
        if (!request_.title.empty())
            SetWindowText(wide(request_.title).c_str());
        QWidget* place = widgetOf(GetDlgItem(kBrowser));
        auto* layout = new QVBoxLayout(place);
        layout->setContentsMargins(0, 0, 0, 0);
        browser_ = new Browser(place, [this](bool accepted, const QString& file) { finish(accepted, file); });
        browser_->setOption(QFileDialog::DontUseNativeDialog);
        browser_->setOption(QFileDialog::DontConfirmOverwrite);  // asked here, by the rules
        const bool save = request_.flags & kFileNew;
        browser_->setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        browser_->setFileMode(QFileDialog::AnyFile);
        QStringList filters;
        if (!request_.extensions.empty()) {
            QStringList names, patterns;
            for (const std::string& e : request_.extensions) {
                names << toQ(e).toUpper();
                patterns << "*." + toQ(e);
            }
            filters << names.join(", ") + " (" + patterns.join(' ') + ")";
        }
        if (request_.extensions.empty() || (request_.flags & kFileAnyExtension))
            filters << "Alle Dateien (*)";
        browser_->setNameFilters(filters);
        browser_->setLabelText(QFileDialog::LookIn, "Suchen in:");
        browser_->setLabelText(QFileDialog::FileName, "Dateiname:");
        browser_->setLabelText(QFileDialog::FileType, "Dateityp:");
        browser_->setLabelText(QFileDialog::Accept, save ? "&Speichern" : "Ö&ffnen");
        browser_->setLabelText(QFileDialog::Reject, "Abbrechen");
        browser_->setDirectory(toQ(request_.startFolder()));
        if (!request_.proposedName().empty())
            browser_->selectFile(toQ(request_.proposedName()));
        layout->addWidget(browser_);
        // Shown as a part: not placed as a window over its parent.
        browser_->setAttribute(Qt::WA_Moved);
        browser_->show();
        AddAnchor(kBrowser, CSize(0, 0), CSize(100, 100));
        EnableSaveRestore(L"getfiled", L"Fenster");
        return TRUE;
    }

    void OnOK() override
    {
        if (browser_)
            browser_->confirm();
    }
    void OnCancel() override { EndDialog(IDCANCEL); }

private:
    void finish(bool accepted, const QString& file)
    {
        if (!accepted) {
            EndDialog(IDCANCEL);
            return;
        }
        FileVerdict v = checkFileName(request_, file.toStdString(), browser_->directory().absolutePath().toStdString());
        if (v.kind == FileVerdict::Kind::Refuse) {
            AfxMessageBox(wide(v.message).c_str(), MB_OK | MB_ICONWARNING);
            return;
        }
        if (v.kind == FileVerdict::Kind::AskOverwrite &&
            AfxMessageBox(wide(v.message).c_str(), MB_YESNO | MB_ICONWARNING) != IDYES)
            return;
        result_ = v.path;
        EndDialog(IDOK);
    }

    FileRequest request_;
    Browser* browser_ = nullptr;  // a child of the window, gone with it
    std::string result_;
};

// ---- colours ---------------------------------------------------------------------------------

constexpr UINT kCellBase = 1000;  // the cell of index i is control kCellBase + i
constexpr UINT kByLayer = 1300, kByBlock = 1301, kIndexLabel = 1302, kIndexField = 1303, kPicker = 1304,
               kTrueLabel = 1305, kTrueField = 1306;
constexpr short kCell = 8, kMargin = 7;

// The palette as CAD programs lay it out: 10 ... 249 in 24 columns of ten shades, below them
// 1 ... 9 and the greys 250 ... 255; then VonLayer, VonBlock and the index field; for true
// colours the colour control and its field; OK and Abbrechen.
struct ColorTemplate {
    std::vector<AfxControlTemplate> controls;
    AfxDialogTemplate dialog{};

    explicit ColorTemplate(bool trueColor)
    {
        constexpr DWORD kCellStyle = BS_PUSHBUTTON | WS_VISIBLE;
        for (int col = 0; col < 24; ++col)
            for (int row = 0; row < 10; ++row)
                controls.push_back({kCellBase + 10 + col * 10 + row, AfxControlKind::PushButton, L"",
                                    short(kMargin + col * kCell), short(kMargin + row * kCell), kCell - 1, kCell - 1,
                                    kCellStyle});
        const short row2 = kMargin + 10 * kCell + 5;
        for (int i = 1; i <= 9; ++i)
            controls.push_back({kCellBase + i, AfxControlKind::PushButton, L"", short(kMargin + (i - 1) * 11), row2, 10,
                                10, kCellStyle});
        for (int i = 250; i <= 255; ++i)
            controls.push_back({kCellBase + i, AfxControlKind::PushButton, L"", short(kMargin + 126 + (i - 250) * 11),
                                row2, 10, 10, kCellStyle});
        const short row3 = row2 + 16;
        controls.push_back({kByLayer, AfxControlKind::PushButton, L"Von&Layer", kMargin, row3, 50, 14,
                            BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP});
        controls.push_back({kByBlock, AfxControlKind::PushButton, L"Von&Block", kMargin + 54, row3, 50, 14,
                            BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP});
        controls.push_back({kIndexLabel, AfxControlKind::Static, L"Farbe:", kMargin + 112, short(row3 + 3), 28, 9,
                            SS_RIGHT | WS_VISIBLE});
        controls.push_back({kIndexField, AfxControlKind::Edit, L"", kMargin + 143, row3, 49, 13,
                            ES_AUTOHSCROLL | WS_BORDER | WS_VISIBLE | WS_TABSTOP});
        short y = row3 + 22;
        if (trueColor) {
            controls.push_back({kPicker, AfxControlKind::PushButton, L"", kMargin, y, 24 * kCell - 1, 70,
                                BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP});
            y = short(y + 76);
            controls.push_back({kTrueLabel, AfxControlKind::Static, L"Echtfarbe (R,G,B):", kMargin + 60,
                                short(y + 3), 80, 9, SS_RIGHT | WS_VISIBLE});
            controls.push_back({kTrueField, AfxControlKind::Edit, L"", kMargin + 143, y, 49, 13,
                                ES_AUTOHSCROLL | WS_BORDER | WS_VISIBLE | WS_TABSTOP});
            y = short(y + 22);
        }
        controls.push_back({IDOK, AfxControlKind::PushButton, L"OK", kMargin + 88, y, 50, 14,
                            BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP});
        controls.push_back({IDCANCEL, AfxControlKind::PushButton, L"Abbrechen", kMargin + 142, y, 50, 14,
                            BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP});
        dialog = {0, 0, 0, short(2 * kMargin + 24 * kCell - 1), short(y + 14 + kMargin),
                  WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT,
                  trueColor ? L"Farbe wählen" : L"Farbindex wählen", L"MS Shell Dlg", 8, controls.data(),
                  controls.size()};
    }
};

QString hex(uint32_t rgb) { return QString("#%1").arg(rgb & 0xFFFFFF, 6, 16, QLatin1Char('0')); }

class ColorDialog : public CExtResizableDialog, public TypedAnswer {
public:
    ColorDialog(const ColorRequest& request, CWnd* parent)
        : CExtResizableDialog(0, parent),
          request_(request),
          template_(request.trueColor),
          picker_(CExtColorCtrl::MODE_HSL_PANEL)
    {
        InitModalIndirect(&template_.dialog, parent);
    }
    const ColorChoice& result() const { return result_; }

    afxdriver::Result answerTyped(const std::wstring& text) override
    {
        const bool rgb = text.find(L',') != std::wstring::npos && request_.trueColor;
        setField(rgb ? kTrueField : kIndexField, QString::fromStdWString(text).toStdString());
        OnOK();
        return {};
    }

protected:
    BOOL OnInitDialog() override
    {
        CExtResizableDialog::OnInitDialog();
        ShowSizeGrip(false);
        EnableSaveRestore(request_.trueColor ? L"acad_truecolordlg" : L"acad_colordlg", L"Fenster", true);
        for (int i = 1; i <= 255; ++i)
            styleCell(i, false);
        if (!request_.allowByLayer) {
            GetDlgItem(kByLayer)->EnableWindow(FALSE);
            GetDlgItem(kByBlock)->EnableWindow(FALSE);
        } else if (request_.layerColor) {
            // The buttons show the colour they stand for.
            const ColorChoice& c = *request_.layerColor;
            uint32_t rgb = c.trueColor >= 0 ? uint32_t(c.trueColor) : geom::aciColour(c.index);
            for (UINT id : {kByLayer, kByBlock})
                if (QWidget* w = widgetOf(GetDlgItem(id)))
                    w->setStyleSheet("border-bottom: 3px solid " + hex(rgb) + ";");
        }
        if (request_.trueColor)
            picker_.SubclassDlgItem(kPicker, this);
        // A VonLayer or VonBlock that may not be chosen is not proposed either.
        const bool byLayer = request_.initial && (request_.initial->index == 0 || request_.initial->index == 256) &&
                             request_.initial->trueColor < 0;
        if (request_.initial && (request_.allowByLayer || !byLayer))
            show(*request_.initial);
        GotoDlgCtrl(GetDlgItem(kIndexField));
        return FALSE;
    }

    BOOL OnCommand(WPARAM wParam, LPARAM lParam) override
    {
        const UINT id = LOWORD(wParam), code = HIWORD(wParam);
        if (code == BN_CLICKED && id > kCellBase && id <= kCellBase + 255) {
            show(ColorChoice{int(id - kCellBase), -1});
            return TRUE;
        }
        if (code == BN_CLICKED && (id == kByLayer || id == kByBlock)) {
            show(ColorChoice{id == kByLayer ? 256 : 0, -1});
            return TRUE;
        }
        if (code == EN_CHANGE && !updating_ && (id == kIndexField || id == kTrueField)) {
            source_ = id;
            return TRUE;
        }
        return CExtResizableDialog::OnCommand(wParam, lParam);
    }

    void OnOK() override
    {
        CString text;
        GetDlgItem(source_)->GetWindowText(text);
        std::string why;
        ColorRequest asked = request_;
        asked.trueColor = source_ == kTrueField;
        std::optional<ColorChoice> c = parseColor(asked, AfxToUtf8(text.GetString()), &why);
        if (source_ == kTrueField && c && c->trueColor < 0)  // the field takes R,G,B only
            c.reset(), why = "Erfordert Rot, Grün und Blau als drei Zahlen von 0 bis 255 (R,G,B).";
        if (!c) {
            AfxMessageBox(wide(why).c_str(), MB_OK | MB_ICONWARNING);
            return;
        }
        result_ = *c;
        EndDialog(IDOK);
    }

    LRESULT OnColorChanged(WPARAM, LPARAM)
    {
        COLORREF c = picker_.GetCurrentColor();
        int32_t rgb = (GetRValue(c) << 16) | (GetGValue(c) << 8) | GetBValue(c);
        setField(kTrueField, colorText(ColorChoice{0, rgb}));
        return 0;
    }

    DECLARE_MESSAGE_MAP()

private:
    void styleCell(int index, bool chosen)
    {
        if (QWidget* w = widgetOf(GetDlgItem(kCellBase + index)))
            w->setStyleSheet("background-color: " + hex(geom::aciColour(index)) + "; border: " +
                             (chosen ? "2px solid white; outline: 1px solid black;" : "1px solid #808080;"));
    }

    // The colour in the dialog: marked in the palette or the colour control, written in its
    // field, and the one OK answers.
    void show(const ColorChoice& c)
    {
        if (marked_ > 0)
            styleCell(marked_, false);
        marked_ = c.trueColor < 0 && c.index >= 1 && c.index <= 255 ? c.index : 0;
        if (marked_)
            styleCell(marked_, true);
        if (c.trueColor >= 0 && request_.trueColor) {
            picker_.SetupColor(RGB((c.trueColor >> 16) & 0xFF, (c.trueColor >> 8) & 0xFF, c.trueColor & 0xFF), false);
            setField(kTrueField, colorText(c));
        } else {
            setField(kIndexField, colorText(c));
        }
    }

    void setField(UINT id, const std::string& text)
    {
        updating_ = true;
        GetDlgItem(id)->SetWindowText(wide(text).c_str());
        updating_ = false;
        source_ = id;
    }

    ColorRequest request_;
    ColorTemplate template_;
    CExtColorCtrl picker_;
    ColorChoice result_;
    UINT source_ = kIndexField;  // the field OK reads: the one changed last
    int marked_ = 0;
    bool updating_ = false;
};

BEGIN_MESSAGE_MAP(ColorDialog, CExtResizableDialog)
    ON_REGISTERED_MESSAGE(CExtColorCtrl::g_nMsgColorChanged, &ColorDialog::OnColorChanged)
END_MESSAGE_MAP()

}  // namespace

std::optional<std::string> runFileDialog(const FileRequest& request, HWND mainWindow)
{
    FileDialog dialog(request, parentWindow(mainWindow));
    if (dialog.DoModal() != IDOK)
        return std::nullopt;
    return dialog.result();
}

std::optional<ColorChoice> runColorDialog(const ColorRequest& request, HWND mainWindow)
{
    ColorDialog dialog(request, parentWindow(mainWindow));
    if (dialog.DoModal() != IDOK)
        return std::nullopt;
    return dialog.result();
}

}  // namespace korcad
