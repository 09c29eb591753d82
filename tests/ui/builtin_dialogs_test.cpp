// The windows of getfiled, acad_colordlg and acad_truecolordlg, driven as a person does.
#include "gui/BuiltinDialogs.h"
#include "mfc/afxhost.h"
#include "ui_support.h"
#include "uidriver/afxdriver.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>

#include <fstream>
#include <functional>

namespace {

using namespace korcad;

// Runs `user` on the dialog `open` shows; a dialog the user left open fails the test.
template <class Open>
auto withUser(Open open, const std::function<void(CDialog&)>& user)
{
    afxdriver::onNextDialog([&](CDialog& d) {
        user(d);
        if (d.m_nModalResult == -1) {  // not ended
            ADD_FAILURE() << "the dialog was left open";
            d.EndDialog(IDCANCEL);
        }
    });
    return open();
}

void press(QWidget* w, int key, const QString& text = {})
{
    QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &down);
    QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QApplication::sendEvent(w, &up);
}

void click(QWidget* w, QPoint at)
{
    const QPointF p(at), global(w->mapToGlobal(at));
    QMouseEvent down(QEvent::MouseButtonPress, p, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &down);
    QMouseEvent up(QEvent::MouseButtonRelease, p, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(w, &up);
}

QLineEdit* nameField(CDialog& d)
{
    QWidget* w = AfxHostWidgetOf(d.GetSafeHwnd());
    return w ? w->findChild<QLineEdit*>("fileNameEdit") : nullptr;
}

// Types a name and Enter; `box` is clicked in the message box this opens, if any.
void typeName(CDialog& d, const char* name, const wchar_t* box)
{
    QLineEdit* edit = nameField(d);
    ASSERT_NE(edit, nullptr);
    edit->setFocus();
    for (QChar c : QString(name))
        press(edit, 0, c);
    bool asked = false;
    if (box)
        afxdriver::onNextDialog([&](CDialog&) {
            asked = true;
            EXPECT_TRUE(afxdriver::click(std::wstring(box)).ok);
        });
    press(edit, Qt::Key_Return);
    EXPECT_EQ(asked, box != nullptr);
    if (d.m_nModalResult == -1)
        afxdriver::cancel();
}

class FileWindow : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir = uitest::freshDir("getfiled");
        std::ofstream(dir + "/a.dxf") << "0\nEOF\n";
    }
    std::string dir;
};

TEST_F(FileWindow, ATypedNameAndEnterAnswerAfterTheMessageOrQuestionItBrings)
{
    struct Case {
        const char* what;
        int flags;
        const char* typed;
        const wchar_t* box;    // the button clicked in the question or message that follows
        const char* expected;  // the file answered, relative to the folder; null: none
    } cases[] = {
        {"an existing file, its extension added", 0, "a", nullptr, "a.dxf"},
        {"a missing file is refused", 0, "fehlt", L"OK", nullptr},
        {"an existing file replaced", kFileNew, "a", L"Ja", "a.dxf"},
        {"an existing file kept", kFileNew, "a", L"Nein", nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FileRequest r;
        r.title = "Zeichnung";
        r.defaultName = dir + "/";
        r.extensions = {"dxf"};
        r.flags = c.flags;
        auto got = withUser([&] { return runFileDialog(r, nullptr); },
                            [&](CDialog& d) { typeName(d, c.typed, c.box); });
        if (c.expected)
            EXPECT_EQ(got.value_or("-"), dir + "/" + c.expected);
        else
            EXPECT_FALSE(got);
    }
}

TEST_F(FileWindow, TheDefaultNameIsProposedAndCancelAnswersNothing)
{
    FileRequest r;
    r.defaultName = dir + "/a.dxf";
    auto got = withUser([&] { return runFileDialog(r, nullptr); }, [](CDialog& d) {
        ASSERT_NE(nameField(d), nullptr);
        EXPECT_EQ(nameField(d)->text().toStdString(), "a.dxf");
        afxdriver::key(afxdriver::Key::Escape);
    });
    EXPECT_FALSE(got);
}

// The controls of the colour dialogs, as a person finds them.
constexpr UINT kCell5 = 1005, kByLayer = 1300, kByBlock = 1301, kIndexField = 1303, kPicker = 1304,
               kTrueField = 1306;

CString textOf(CDialog& d, UINT id)
{
    CString t;
    d.GetDlgItem(static_cast<int>(id))->GetWindowText(t);
    return t;
}

TEST(ColorIndexWindow, ThePaletteTheFieldAndTheByLayerButtonsAnswerAnIndex)
{
    ColorRequest r;
    r.initial = ColorChoice{7, -1};
    auto clicked = withUser([&] { return runColorDialog(r, nullptr); }, [](CDialog& d) {
        EXPECT_EQ(textOf(d, kIndexField).str(), L"7");
        EXPECT_TRUE(afxdriver::click(kCell5).ok);
        EXPECT_EQ(textOf(d, kIndexField).str(), L"5");
        afxdriver::ok();
    });
    EXPECT_EQ(clicked, (ColorChoice{5, -1}));
    auto byLayer = withUser([&] { return runColorDialog(r, nullptr); }, [](CDialog&) {
        EXPECT_TRUE(afxdriver::click(kByLayer).ok);
        afxdriver::ok();
    });
    EXPECT_EQ(byLayer, (ColorChoice{256, -1}));
    r.allowByLayer = false;
    r.initial = ColorChoice{256, -1};
    auto refused = withUser([&] { return runColorDialog(r, nullptr); }, [](CDialog& d) {
        EXPECT_EQ(textOf(d, kIndexField).str(), L"");  // not proposed either
        EXPECT_FALSE(afxdriver::click(kByLayer).ok);
        EXPECT_FALSE(afxdriver::click(kByBlock).ok);
        afxdriver::cancel();
    });
    EXPECT_FALSE(refused);
}

TEST(ColorIndexWindow, APickInTheColourControlAnswersATrueColourWithItsNearestIndex)
{
    ColorRequest r;
    r.trueColor = true;
    r.initial = ColorChoice{1, -1};
    std::string shown;
    auto got = withUser([&] { return runColorDialog(r, nullptr); }, [&](CDialog& d) {
        QWidget* picker = AfxHostWidgetOf(d.GetDlgItem(kPicker)->GetSafeHwnd());
        ASSERT_NE(picker, nullptr);
        click(picker, QPoint(picker->width() / 3, picker->height() / 4));
        shown = AfxToUtf8(textOf(d, kTrueField).GetString());
        afxdriver::ok();
    });
    ASSERT_TRUE(got);
    ASSERT_GE(got->trueColor, 0);
    EXPECT_EQ(colorText(*got), shown);
    EXPECT_EQ(got->index, nearestIndex(static_cast<uint32_t>(got->trueColor)));
}

}  // namespace
