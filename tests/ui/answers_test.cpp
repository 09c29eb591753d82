// Answers files: reading them, playing them to dialogs, and going wrong without leaving a dialog open.
#include "gui/AnswerRunner.h"
#include "mfc/afxhost.h"
#include "test_dialogs.h"
#include "ui_support.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <fstream>
#include <memory>

using korcad::Action;
using korcad::AnswerRunner;

namespace {

std::vector<Action> parse(const std::string& text)
{
    std::vector<Action> actions;
    std::string error;
    EXPECT_TRUE(korcad::parseAnswers(text, actions, &error)) << error;
    return actions;
}

std::string parseError(const std::string& text)
{
    std::vector<Action> actions;
    std::string error;
    EXPECT_FALSE(korcad::parseAnswers(text, actions, &error)) << text;
    return error;
}

// The keys dialog whose Apply button opens a second dialog.
struct Form : KeysDialog {
    Form() { applyOpensInner = true; }
};

// A dialog that opens a second one by itself once it shows, not on any action.
class Announcing : public CDialog {
public:
    Announcing() : CDialog(IDD_TEST_KEYS) {}
    INT_PTR innerResult = 0;

protected:
    BOOL OnInitDialog() override
    {
        CDialog::OnInitDialog();
        QTimer::singleShot(0, [this] {
            CDialog inner(IDD_TEST_PLAIN, this);
            innerResult = inner.DoModal();
        });
        return TRUE;
    }
};

struct Errors {
    std::vector<std::string> messages;
    AnswerRunner::ErrorHandler handler()
    {
        return [this](const std::string& m) { messages.push_back(m); };
    }
};

}  // namespace

// ---- reading -------------------------------------------------------------------------------------

TEST(AnswersFile, EveryActionIsRead)
{
    auto a = parse(
        "# the answers of one run\n"
        "\n"
        "click 1005\n"
        "  click \"Abbrechen\"   # by caption\n"
        "type 1002 \"He said \\\"hi\\\" \\\\ bye\"\n"
        "select 30058 \"Hydrant\"\n"
        "select 30058 #2\n"
        "key Escape\nKEY Tab\n"
        "ok\ncancel\n"
        "input 7\n"
        "shot first-dialog\n"
        "click \"Übernehmen\"\n"
        "select 201 #1 #3 #0\n"
        "edit 201 #4 2 \"15,5\"  # a comment\n");
    ASSERT_EQ(a.size(), 14u);
    EXPECT_EQ(a[0].kind, Action::Kind::Click);
    EXPECT_EQ(a[0].id, 1005u);
    EXPECT_EQ(a[0].line, 3);
    EXPECT_TRUE(a[1].byCaption);
    EXPECT_EQ(a[1].text, L"Abbrechen");
    EXPECT_EQ(a[1].source, "click \"Abbrechen\"");
    EXPECT_EQ(a[2].kind, Action::Kind::Type);
    EXPECT_EQ(a[2].text, L"He said \"hi\" \\ bye");
    EXPECT_EQ(a[3].kind, Action::Kind::Select);
    EXPECT_EQ(a[3].text, L"Hydrant");
    EXPECT_EQ(a[3].index, -1);
    EXPECT_EQ(a[4].index, 2) << "#2 after select is an index, not a comment";
    EXPECT_EQ(a[5].key, afxdriver::Key::Escape);
    EXPECT_EQ(a[6].key, afxdriver::Key::Tab);
    EXPECT_EQ(a[7].kind, Action::Kind::Ok);
    EXPECT_EQ(a[8].kind, Action::Kind::Cancel);
    EXPECT_EQ(a[9].kind, Action::Kind::Input);
    EXPECT_EQ(a[9].text, L"7");
    EXPECT_EQ(a[10].kind, Action::Kind::Shot);
    EXPECT_EQ(a[10].text, L"first-dialog");
    EXPECT_EQ(a[11].text, L"\u00dcbernehmen");
    EXPECT_EQ(a[12].indexes, (std::vector<int>{1, 3, 0})) << "several rows of a grid";
    EXPECT_EQ(a[13].kind, Action::Kind::Edit);
    EXPECT_EQ(a[13].index, 4);
    EXPECT_EQ(a[13].column, 2);
    EXPECT_EQ(a[13].text, L"15,5");
}

TEST(AnswersFile, MistakesNameTheirLine)
{
    const std::pair<const char*, const char*> mistakes[] = {
        {"ok\nclikc 1005\n", "line 2: unknown action \"clikc\""},
        {"click \"C\n", "line 1: the text starting at column 7 has no closing quote"},
        {"\n\nclick C\n", "line 3: click needs a control id"},
        {"type 3.5 \"x\"\n", "line 1: type needs a control id or the field's \"label\" first"},
        {"key Space\n", "line 1: unknown key \"Space\""},
        {"shot ../escape\n", "plain file name"},
        {"click \"A\"B\n", "a blank must follow"},
        {"select 201 #1 \"b\"\n", "takes #indexes only"},
        {"edit 201 #1 2\n", "line 1: usage: edit ID #ROW COLUMN"},
    };
    for (const auto& [text, message] : mistakes)
        EXPECT_NE(parseError(text).find(message), std::string::npos) << text << ": " << parseError(text);
}

// A file that is missing, a folder (it used to read as an empty file), a mistake named with the file.
TEST(AnswersFile, LoadingNamesTheFileAndSkipsAByteOrderMark)
{
    std::vector<Action> actions;
    std::string error;
    EXPECT_FALSE(korcad::loadAnswers("/nonexistent/answers.txt", actions, &error));
    EXPECT_NE(error.find("/nonexistent/answers.txt"), std::string::npos);
    std::string dir = uitest::freshDir("answers");
    EXPECT_FALSE(korcad::loadAnswers(dir, actions, &error));
    EXPECT_NE(error.find("is a directory"), std::string::npos) << error;
    std::ofstream(dir + "/bad.txt") << "ok\n\nfly away\n";
    EXPECT_FALSE(korcad::loadAnswers(dir + "/bad.txt", actions, &error));
    EXPECT_NE(error.find("bad.txt: line 3"), std::string::npos) << error;

    std::ofstream(dir + "/bom.txt") << "\xEF\xBB\xBF" "click \"C\"\r\nok\n";
    ASSERT_TRUE(korcad::loadAnswers(dir + "/bom.txt", actions, &error)) << error;
    ASSERT_EQ(actions.size(), 2u);
    EXPECT_EQ(actions[0].text, L"C");
    EXPECT_FALSE(korcad::parseAnswers("ok\n\xEF\xBB\xBFok\n", actions, &error)) << "elsewhere those bytes are text";
}

// ---- playing ---------------------------------------------------------------------------------------

TEST(AnswerRunner, ActionsGoToEachDialogInTurn)
{
    Errors errors;
    AnswerRunner runner(parse("type \"Name:\" \"Hydrant 12\"   # the field after its label\n"
                              "key Tab\n"
                              "type 9202 \"17\"\n"
                              "select 9204 \"Leitung\"\n"
                              "click \"&Anwenden\"   # opens the inner dialog\n"
                              "type 9301 \"innen\"\n"
                              "key Enter            # ends the inner dialog\n"
                              "ok                   # ends the form\n"
                              "cancel               # the second form\n"),
                        errors.handler());
    Form form;
    EXPECT_EQ(form.DoModal(), IDOK);
    EXPECT_EQ(form.m_text + L"|" + form.m_choice, L"Hydrant 12|Leitung");
    EXPECT_EQ(form.m_number, 17);
    EXPECT_EQ(form.innerResult, IDOK);
    EXPECT_EQ(runner.remaining(), 1u);

    Form second;
    EXPECT_EQ(second.DoModal(), IDCANCEL);
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
    EXPECT_EQ(runner.remaining(), 0u);
    EXPECT_FALSE(runner.failed());
}

TEST(AnswerRunner, ADialogWithNoAnswerLeftIsReportedAndClosed)
{
    {
        Errors errors;
        AnswerRunner runner(parse("key Tab\n"), errors.handler());
        Form form;
        EXPECT_EQ(form.DoModal(), IDCANCEL);
        EXPECT_EQ(errors.messages, std::vector<std::string>{
            "dialog \"Tasten\" (template 9200) is still open after the last answer, line 1 (key Tab)"});
    }
    Errors errors;
    AnswerRunner runner(parse("cancel\n"), errors.handler());
    Form first, second, third;
    EXPECT_EQ(first.DoModal(), IDCANCEL);
    EXPECT_EQ(second.DoModal(), IDCANCEL) << "closed for nobody to wait";
    EXPECT_EQ(errors.messages, std::vector<std::string>{
        "dialog \"Tasten\" (template 9200) opened, but no answer is left (the last one, line 1, is used up)"});
    EXPECT_TRUE(runner.failed());
    EXPECT_EQ(third.DoModal(), IDCANCEL) << "after a failure every dialog is closed at once";
    EXPECT_EQ(errors.messages.size(), 1u);
}

TEST(AnswerRunner, ADialogTheProgramOpensOnTopHandsTheTurnBackWhenItCloses)
{
    Errors errors;
    AnswerRunner runner(parse("cancel   # the inner one\ncancel   # the outer one\n"), errors.handler());
    Announcing outer;
    auto done = std::make_shared<bool>(false);
    // The watchdog needs the application object, or its timer is never armed.
    ASSERT_TRUE(AfxHostInitUI());
    QTimer::singleShot(5000, [done] {
        if (!*done)
            for (CDialog* d : AfxModalDialogs())
                d->EndDialog(-99);
    });
    EXPECT_EQ(outer.DoModal(), IDCANCEL) << "the outer dialog was left waiting";
    *done = true;
    EXPECT_EQ(outer.innerResult, IDCANCEL);
    EXPECT_TRUE(errors.messages.empty()) << errors.messages.front();
    EXPECT_EQ(runner.remaining(), 0u);
}

TEST(AnswerRunner, AnActionThatFindsNoSuchControlNamesLineDialogAndControl)
{
    struct Case {
        const char* script;
        const char* message;
    } cases[] = {
        {"ok\nclick 4711\n", "line 2 (click 4711): dialog \"Tasten\" (template 9200) has no control 4711 (its controls: "
                               "CONTROLS)"},
        {"type \"Nummer\" \"5\"\n", "line 1 (type \"Nummer\" \"5\"): dialog \"Tasten\" (template 9200) has no field "
                                     "labelled \"Nummer\" (its controls: CONTROLS)"},
        {"click 9206\n", "line 1 (click 9206): control 9206 of dialog \"Tasten\" (template 9200) is hidden"},
        {"select 9204 \"Pumpe\"\n",
         "line 1 (select 9204 \"Pumpe\"): control 9204 of dialog \"Tasten\" (template 9200) has no line \"Pumpe\" (it has 3)"},
        {"input \"3.5\"\n",
         "line 1 (input \"3.5\"): dialog \"Tasten\" (template 9200) is open, but this line answers a command-line prompt"},
    };
    for (const Case& c : cases) {
        Errors errors;
        std::vector<Action> actions = parse(c.script);
        if (actions.front().kind == Action::Kind::Ok)
            actions.erase(actions.begin());  // the action keeps its line number, 2
        AnswerRunner runner(std::move(actions), errors.handler());
        Form form;
        EXPECT_EQ(form.DoModal(), IDCANCEL) << c.script;
        ASSERT_EQ(errors.messages.size(), 1u) << c.script;
        std::string message = c.message;
        if (size_t at = message.find("CONTROLS"); at != std::string::npos)
            message.replace(at, 8, "9207 \"Name:\", 9201, 9202, 9206 \"Versteckt\", 9203, 9204, 9205 \"Anwenden\", 1 \"OK\", "
                                   "2 \"Abbrechen\"");
        EXPECT_EQ(errors.messages[0], message);
    }
}

TEST(AnswerRunner, AFailureInsideANestedDialogClosesBothDialogs)
{
    Errors errors;
    AnswerRunner runner(parse("click 9205\nclick 4711\n"), errors.handler());
    Form form;
    EXPECT_EQ(form.DoModal(), IDCANCEL);
    EXPECT_EQ(form.innerResult, IDCANCEL);
    ASSERT_EQ(errors.messages.size(), 1u);
    EXPECT_NE(errors.messages[0].find("\"Schlicht\" (template 9300) has no control 4711"), std::string::npos);
    EXPECT_TRUE(AfxModalDialogs().empty());
}

TEST(AnswerRunner, CommandLinePromptsTakeInputLinesOnly)
{
    Errors errors;
    AnswerRunner runner(parse("input \"3.5\"\ncancel\n"), errors.handler());
    std::wstring answer;
    EXPECT_TRUE(runner.nextInput(answer, "Abstand"));
    EXPECT_EQ(answer, L"3.5");
    EXPECT_FALSE(runner.nextInput(answer, "Abstand"));
    EXPECT_EQ(errors.messages,
              std::vector<std::string>{"line 2 (cancel): the command line asks \"Abstand\", but this line is a dialog action"});

    Errors none;
    AnswerRunner empty(parse(""), none.handler());
    EXPECT_FALSE(empty.nextInput(answer));
    EXPECT_EQ(none.messages, std::vector<std::string>{"the command line asks for input, but no answer is left"});
}

TEST(AnswerRunner, ARunnerThatIsGoneLeavesDialogsToThePerson)
{
    Errors errors;
    {
        AnswerRunner runner(parse("cancel\n"), errors.handler());
    }
    Form form;
    INT_PTR r = uitest::runModal(form, [](CDialog&) { afxdriver::click(IDOK); });
    EXPECT_EQ(r, IDOK);
    EXPECT_TRUE(errors.messages.empty());
}
