// The resizable dialog base: anchors, the size grip, saved and restored positions.
#include "extctl/extctl.h"
#include "uidriver/afxdriver.h"
#include "mfc/afxhost.h"
#include "test_dialogs.h"
#include "ui_support.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QSizeGrip>

#include <chrono>
#include <filesystem>
#include <fstream>

using uitest::clientRectOf;
using uitest::runModal;
using uitest::windowRect;

namespace {

struct SaveRestore {
    const wchar_t* entry = nullptr;  // null: positions are not saved
    bool positionOnly = false;
    bool saveOnlyOnOK = false;
};

class FormDialog : public CExtResizableDialog {
public:
    explicit FormDialog(SaveRestore save = {}, bool grip = true)
        : CExtResizableDialog(IDD_TEST_FORM), m_save(save), m_grip(grip) {}

protected:
    BOOL OnInitDialog() override
    {
        CExtResizableDialog::OnInitDialog();
        ShowSizeGrip(m_grip);
        AddAnchor(IDC_FORM_NAME, CSize(0, 0), CSize(100, 0));
        AddAnchor(IDC_FORM_LIST, CSize(0, 0), CSize(100, 100));
        AddAnchor(IDC_FORM_NOTE, CSize(0, 100));
        AddAnchor(IDOK, CSize(100, 100));
        AddAnchor(IDCANCEL, CSize(100, 100));
        if (m_save.entry)
            EnableSaveRestore(L"WindowPosition", m_save.entry, m_save.positionOnly, m_save.saveOnlyOnOK);
        return TRUE;
    }

private:
    SaveRestore m_save;
    bool m_grip;
};

CRect primaryScreen()
{
    AfxHostInitUI();
    QRect r = QGuiApplication::primaryScreen()->availableGeometry();
    return CRect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

// Opens the form, moves and sizes it as given, and closes it with Cancel (or OK).
void openMoveAndClose(SaveRestore save, CPoint at, CSize size, UINT closeWith = IDCANCEL)
{
    FormDialog dlg(save);
    INT_PTR r = runModal(dlg, [&](CDialog& d) {
        d.SetWindowPos(nullptr, at.x, at.y, size.cx, size.cy, SWP_NOZORDER);
        ASSERT_TRUE(afxdriver::click(closeWith));
    });
    ASSERT_EQ(r, static_cast<INT_PTR>(closeWith));
}

bool inside(const CRect& r, const CRect& screen)
{
    return r.left >= screen.left && r.top >= screen.top && r.right <= screen.right && r.bottom <= screen.bottom;
}

std::filesystem::path positionsFile(const uitest::ScopedConfigHome& home)
{
    return std::filesystem::path(home.path()) / "kor" / "windowpositions.ini";
}

CRect openAndMeasure(SaveRestore save)
{
    CRect seen;
    FormDialog dlg(save);
    runModal(dlg, [&](CDialog& d) {
        seen = windowRect(d);
        afxdriver::key(afxdriver::Key::Escape);
    });
    return seen;
}

// The positions file written as a person or another program would. Its modification time is
// set apart from any real one: a file rewritten within the clock tick of our own save, at the
// same length, looks unchanged to Qt's settings cache.
void writeByHand(const std::filesystem::path& file, const std::string& text)
{
    static int written = 0;
    std::ofstream(file) << text;
    std::filesystem::last_write_time(file, std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * ++written));
}

}  // namespace

// With the size grip the user can make the dialog larger, not smaller than it opened.
TEST(ResizableDialog, AnchoredControlsKeepTheirDistancesWhenTheDialogGrows)
{
    FormDialog dlg;
    runModal(dlg, [&](CDialog& d) {
        QDialog* w = qobject_cast<QDialog*>(reinterpret_cast<QWidget*>(d.m_hWnd));
        ASSERT_TRUE(w);
        EXPECT_TRUE(w->isSizeGripEnabled());
        ASSERT_TRUE(w->findChild<QSizeGrip*>());
        EXPECT_EQ(w->minimumSize(), w->size());
        EXPECT_GT(w->maximumWidth(), w->width());

        CRect name = clientRectOf(d, IDC_FORM_NAME), list = clientRectOf(d, IDC_FORM_LIST);
        CRect note = clientRectOf(d, IDC_FORM_NOTE), ok = clientRectOf(d, IDOK);
        CRect before = windowRect(d);
        d.SetWindowPos(nullptr, 0, 0, before.Width() + 60, before.Height() + 40, SWP_NOMOVE | SWP_NOZORDER);

        // Stretched to the right only; both ways; moved down; moved with the bottom-right corner.
        EXPECT_EQ(clientRectOf(d, IDC_FORM_NAME), CRect(name.left, name.top, name.right + 60, name.bottom));
        EXPECT_EQ(clientRectOf(d, IDC_FORM_LIST), CRect(list.left, list.top, list.right + 60, list.bottom + 40));
        EXPECT_EQ(clientRectOf(d, IDC_FORM_NOTE), CRect(note.left, note.top + 40, note.right, note.bottom + 40));
        EXPECT_EQ(clientRectOf(d, IDOK), CRect(ok.left + 60, ok.top + 40, ok.right + 60, ok.bottom + 40));

        // Back to the old size: everything where it started.
        d.SetWindowPos(nullptr, 0, 0, before.Width(), before.Height(), SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(clientRectOf(d, IDC_FORM_LIST), list);
        EXPECT_EQ(clientRectOf(d, IDOK), ok);
        afxdriver::click(IDCANCEL);
    });
}

TEST(ResizableDialog, WithoutTheSizeGripAndASizingBorderTheSizeIsFixed)
{
    // A template without WS_THICKFRAME and no grip: fixed size.
    class Fixed : public CExtResizableDialog {
    public:
        Fixed() : CExtResizableDialog(IDD_TEST_KEYS) {}
        BOOL OnInitDialog() override
        {
            CExtResizableDialog::OnInitDialog();
            ShowSizeGrip(false);
            return TRUE;
        }
    } fixed;
    runModal(fixed, [&](CDialog& d) {
        QDialog* w = qobject_cast<QDialog*>(reinterpret_cast<QWidget*>(d.m_hWnd));
        ASSERT_TRUE(w);
        EXPECT_FALSE(w->isSizeGripEnabled());
        EXPECT_EQ(w->minimumSize(), w->maximumSize());
        // Code may still resize it, and it stays fixed at the new size.
        CRect r = windowRect(d);
        d.SetWindowPos(nullptr, 0, 0, r.Width(), r.Height() - 30, SWP_NOMOVE | SWP_NOZORDER);
        EXPECT_EQ(windowRect(d).Height(), r.Height() - 30);
        EXPECT_EQ(w->minimumSize(), w->maximumSize());
        afxdriver::key(afxdriver::Key::Escape);
    });
}

// Nothing saved yet: centred; then where and how large the user left it, per entry.
TEST(SaveRestore, APositionSavedOnCloseIsRestoredOnTheNextOpening)
{
    uitest::ScopedConfigHome home;
    SaveRestore save{L"test::Form"};
    CRect first = openAndMeasure(save);
    EXPECT_NEAR(first.CenterPoint().x, primaryScreen().CenterPoint().x, 2);

    openMoveAndClose(save, CPoint(40, 30), CSize(first.Width() + 50, first.Height() + 20));
    openMoveAndClose({L"test::Two"}, CPoint(200, 120), CSize(400, 260));
    CRect again = openAndMeasure(save);
    EXPECT_EQ(again.TopLeft(), CPoint(40, 30));
    EXPECT_EQ(again.Size(), CSize(first.Width() + 50, first.Height() + 20));
    EXPECT_EQ(openAndMeasure({L"test::Two"}).TopLeft(), CPoint(200, 120));

    QSettings ini(QString::fromStdString(positionsFile(home).string()), QSettings::IniFormat);
    EXPECT_TRUE(ini.value("WindowPosition/test::Form").toString().startsWith("40 30 "));
}

// Position only: the dialog keeps its own size. Save only on OK: a cancelled move is forgotten.
TEST(SaveRestore, PositionOnlyAndSaveOnlyOnOK)
{
    uitest::ScopedConfigHome home;
    SaveRestore positionOnly{L"test::PosOnly", true}, okOnly{L"test::OkOnly", false, true};
    CRect natural = openAndMeasure(positionOnly);
    openMoveAndClose(positionOnly, CPoint(50, 60), CSize(natural.Width() + 80, natural.Height() + 80));
    EXPECT_EQ(openAndMeasure(positionOnly), CRect(CPoint(50, 60), natural.Size()));

    openMoveAndClose(okOnly, CPoint(15, 25), natural.Size(), IDCANCEL);
    EXPECT_EQ(openAndMeasure(okOnly), natural);
    openMoveAndClose(okOnly, CPoint(15, 25), natural.Size(), IDOK);
    EXPECT_EQ(openAndMeasure(okOnly).TopLeft(), CPoint(15, 25));
}

TEST(SaveRestore, APositionOffEveryScreenIsBroughtBackOntoTheNearestOne)
{
    uitest::ScopedConfigHome home;
    CRect screen = primaryScreen();
    SaveRestore save{L"test::Lost"};
    for (CPoint lost : {CPoint(screen.right + 3000, screen.bottom + 2000), CPoint(100, -900)}) {
        openMoveAndClose(save, lost, CSize(420, 280));
        CRect back = openAndMeasure(save);
        EXPECT_TRUE(inside(back, screen)) << lost.x << "," << lost.y;
        EXPECT_EQ(back.Size(), CSize(420, 280)) << "the size comes back unchanged";
    }
    // Partly off the screen but with its title bar reachable: left where the user put it.
    openMoveAndClose(save, CPoint(screen.right - 200, 50), CSize(420, 280));
    EXPECT_EQ(openAndMeasure(save).TopLeft(), CPoint(screen.right - 200, 50));
}

// An unreadable entry is ignored; huge or absurd values are brought back onto the screen.
TEST(SaveRestore, UnreadableHugeOrAbsurdValuesInTheFileAreIgnoredOrBroughtBack)
{
    uitest::ScopedConfigHome home;
    CRect screen = primaryScreen();
    CRect natural = openAndMeasure({L"test::Plain"});
    std::filesystem::path file = positionsFile(home);
    std::filesystem::create_directories(file.parent_path());
    writeByHand(file, "[WindowPosition]\ntestBad=twelve 5\n");
    EXPECT_EQ(openAndMeasure({L"testBad"}), natural);
    EXPECT_FALSE(FormDialog().EnableSaveRestore(L"", L"x")) << "an empty section is refused";

    const char* damaged[] = {
        "2147483647 2147483647 2147483647 2147483647",
        "9223372036854775807 10 -5 0",
    };
    for (const char* value : damaged) {
        writeByHand(file, std::string("[WindowPosition]\ntest::Huge=") + value + "\n");
        CRect seen = openAndMeasure({L"test::Huge"});
        EXPECT_TRUE(inside(seen, screen)) << value;
        EXPECT_GE(seen.Width(), natural.Width()) << value;

        // What is saved back is where the window was, not a wrapped number.
        QSettings ini(QString::fromStdString(file.string()), QSettings::IniFormat);
        EXPECT_TRUE(ini.value("WindowPosition/test::Huge").toString().startsWith(QString("%1 %2 ").arg(seen.left).arg(seen.top)))
            << value;
    }

    // A size no screen can hold is cut to the screen; the position stays the user's.
    writeByHand(file, "[WindowPosition]\ntest::Huge=30 40 30000 30000\n");
    CRect seen = openAndMeasure({L"test::Huge"});
    EXPECT_EQ(seen.TopLeft(), CPoint(30, 40));
    EXPECT_LE(seen.Width(), screen.Width() + 50) << "(the frame around the client area)";
    EXPECT_LE(seen.Height(), screen.Height() + 50);
}

TEST(SaveRestore, AFileOfOtherBytesIsSetAsideOnceAndPositionsAreSavedAnew)
{
    uitest::ScopedConfigHome home;
    std::filesystem::path file = positionsFile(home);
    std::filesystem::create_directories(file.parent_path());
    std::string noise;
    for (unsigned i = 0, x = 12345; i < 4096; ++i, x = x * 1103515245u + 12345u)
        noise += static_cast<char>(x >> 16);
    std::ofstream(file, std::ios::binary) << noise;
    openMoveAndClose({L"test::Noise"}, CPoint(70, 80), CSize(400, 260));
    EXPECT_EQ(openAndMeasure({L"test::Noise"}).TopLeft(), CPoint(70, 80));
    std::ifstream aside(file.string() + ".bad", std::ios::binary);
    EXPECT_TRUE(std::string(std::istreambuf_iterator<char>(aside), {}) == noise) << "the damaged file is kept as it was";
}
