// Answers files: reading them, and playing their actions to the dialogs as they open.
#include "gui/AnswerRunner.h"

#include "gui/BuiltinDialogs.h"

#include "korgui/korprogress.h"
#include "mfc/afxhost.h"
#include "text/text.h"

#include <cmath>
#include <QTimer>
#include <QWidget>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace korcad {

using afxdriver::Key;
using afxdriver::Result;

// ---- reading ---------------------------------------------------------------------------------

namespace {

struct Token {
    std::string text;
    bool quoted = false;
    bool index = false;  // "#N"
};

using kortext::lower;

// Splits one line into tokens; stops at a comment. False with a message on a bad quote.
bool tokenize(const std::string& line, std::vector<Token>& tokens, size_t& end, std::string& error)
{
    size_t i = 0, n = line.size();
    end = n;
    while (i < n) {
        if (std::isspace(static_cast<unsigned char>(line[i]))) {
            ++i;
            continue;
        }
        if (line[i] == '#') {
            size_t j = i + 1;
            while (j < n && std::isdigit(static_cast<unsigned char>(line[j])))
                ++j;
            if (j > i + 1 && (j == n || std::isspace(static_cast<unsigned char>(line[j])))) {
                tokens.push_back({line.substr(i + 1, j - i - 1), false, true});
                i = j;
                continue;
            }
            end = i;  // a comment runs to the end of the line
            return true;
        }
        if (line[i] == '"') {
            Token t;
            t.quoted = true;
            size_t j = i + 1;
            for (; j < n && line[j] != '"'; ++j) {
                if (line[j] == '\\' && j + 1 < n && (line[j + 1] == '"' || line[j + 1] == '\\'))
                    ++j;
                t.text += line[j];
            }
            if (j >= n) {
                error = "the text starting at column " + std::to_string(i + 1) + " has no closing quote";
                return false;
            }
            if (j + 1 < n && !std::isspace(static_cast<unsigned char>(line[j + 1])) && line[j + 1] != '#') {
                error = "a blank must follow the closing quote at column " + std::to_string(j + 1);
                return false;
            }
            tokens.push_back(t);
            i = j + 1;
            continue;
        }
        size_t j = i;
        while (j < n && !std::isspace(static_cast<unsigned char>(line[j])))
            ++j;
        tokens.push_back({line.substr(i, j - i), false, false});
        i = j;
    }
    return true;
}

bool controlId(const Token& t, UINT& id)
{
    if (t.quoted || t.index || t.text.empty() || t.text.size() > 9)
        return false;
    for (char c : t.text)
        if (!std::isdigit(static_cast<unsigned char>(c)))
            return false;
    id = static_cast<UINT>(std::stoul(t.text));
    return true;
}

// A control named by its id, or by the label a person reads before it ("Nennweite [mm]").
bool controlOrLabel(const Token& t, Action& a)
{
    if (!t.quoted && t.text.size() > 1 && t.text[0] == '@') {
        a.name = AfxFromUtf8(t.text.substr(1));
        return true;
    }
    if (t.quoted && !t.text.empty()) {
        a.label = AfxFromUtf8(t.text);
        return true;
    }
    return controlId(t, a.id);
}

bool textArgument(const Token& t, std::wstring& text)
{
    if (t.index)
        return false;
    text = AfxFromUtf8(t.text);
    return true;
}

// One action from a line's tokens; an empty string on success, else what is wrong.
std::string readAction(const std::vector<Token>& tok, Action& a)
{
    const std::string verb = lower(tok[0].quoted ? std::string() : tok[0].text);
    size_t args = tok.size() - 1;
    auto arity = [&](size_t wanted, const char* usage) -> std::string {
        return args == wanted ? std::string() : std::string("usage: ") + usage;
    };
    if (verb == "click") {
        a.kind = Action::Kind::Click;
        if (std::string e = arity(1, "click ID | click \"CAPTION\" | click @NAME"); !e.empty())
            return e;
        if (!tok[1].quoted && tok[1].text.size() > 1 && tok[1].text[0] == '@') {
            a.name = AfxFromUtf8(tok[1].text.substr(1));
            return {};
        }
        if (tok[1].quoted) {
            a.byCaption = true;
            a.text = AfxFromUtf8(tok[1].text);
            return {};
        }
        return controlId(tok[1], a.id) ? std::string() : "click needs a control id or a \"caption\"";
    }
    if (verb == "type") {
        a.kind = Action::Kind::Type;
        if (std::string e = arity(2, "type ID|\"LABEL\"|@NAME \"TEXT\""); !e.empty())
            return e;
        if (!controlOrLabel(tok[1], a))
            return "type needs a control id or the field's \"label\" first";
        return textArgument(tok[2], a.text) ? std::string() : "type needs the text to type";
    }
    if (verb == "select") {
        a.kind = Action::Kind::Select;
        const char* usage = "usage: select ID|\"LABEL\"|@NAME \"LINE\" | select ID|\"LABEL\"|@NAME #INDEX | select ID #INDEX #INDEX ...";
        if (args < 2)
            return usage;
        if (!controlOrLabel(tok[1], a))
            return "select needs a control id or the field's \"label\" first";
        if (args > 2) {
            // Several rows of a grid: indexes only.
            for (size_t i = 2; i < tok.size(); ++i) {
                if (!tok[i].index)
                    return "select of several rows takes #indexes only";
                if (tok[i].text.size() > 9)
                    return "the index is too large";
                a.indexes.push_back(std::stoi(tok[i].text));
            }
            return {};
        }
        if (tok[2].index) {
            if (tok[2].text.size() > 9)
                return "the index is too large";
            a.index = std::stoi(tok[2].text);
            return {};
        }
        return textArgument(tok[2], a.text) ? std::string() : "select needs a line text or #index";
    }
    if (verb == "edit") {
        a.kind = Action::Kind::Edit;
        if (std::string e = arity(4, "edit ID #ROW COLUMN \"TEXT\""); !e.empty())
            return e;
        if (!controlId(tok[1], a.id))
            return "edit needs a control id first";
        if (!tok[2].index || tok[2].text.size() > 9)
            return "edit needs the row as #INDEX after the control id";
        a.index = std::stoi(tok[2].text);
        UINT column = 0;
        if (!controlId(tok[3], column) || column > 100000)
            return "edit needs the column number after the row";
        a.column = static_cast<int>(column);
        return textArgument(tok[4], a.text) ? std::string() : "edit needs the text to type";
    }
    if (verb == "key") {
        a.kind = Action::Kind::Key;
        if (std::string e = arity(1, "key Escape|Enter|Tab|Up|Down|Home|End"); !e.empty())
            return e;
        static const std::pair<const char*, Key> keys[] = {{"escape", Key::Escape}, {"esc", Key::Escape},
                                                            {"enter", Key::Enter},   {"return", Key::Enter},
                                                            {"tab", Key::Tab},       {"up", Key::Up},
                                                            {"down", Key::Down},     {"home", Key::Home},
                                                            {"end", Key::End}};
        const std::string k = lower(tok[1].text);
        for (const auto& [name, key] : keys)
            if (k == name) {
                a.key = key;
                return {};
            }
        return "unknown key \"" + tok[1].text + "\" (Escape, Enter, Tab, Up, Down, Home or End)";
    }
    if (verb == "ok" || verb == "cancel") {
        a.kind = verb == "ok" ? Action::Kind::Ok : Action::Kind::Cancel;
        return arity(0, verb == "ok" ? "ok" : "cancel");
    }
    if (verb == "input") {
        a.kind = Action::Kind::Input;
        if (std::string e = arity(1, "input \"ANSWER\""); !e.empty())
            return e;
        return textArgument(tok[1], a.text) ? std::string() : "input needs the answer text";
    }
    if (verb == "pick") {
        a.kind = Action::Kind::Pick;
        if (std::string e = arity(1, "pick X,Y"); !e.empty())
            return e;
        std::string t = tok[1].text;
        size_t comma = t.find(',');
        char* end = nullptr;
        if (tok[1].index || comma == std::string::npos)
            return "pick needs drawing coordinates X,Y";
        std::string xs = t.substr(0, comma), ys = t.substr(comma + 1);
        a.x = std::strtod(xs.c_str(), &end);
        bool okX = !xs.empty() && end == xs.c_str() + xs.size();
        a.y = std::strtod(ys.c_str(), &end);
        bool okY = !ys.empty() && end == ys.c_str() + ys.size();
        return okX && okY && std::isfinite(a.x) && std::isfinite(a.y) ? std::string()
                                                                        : "pick needs drawing coordinates X,Y";
    }
    if (verb == "progress") {
        a.kind = Action::Kind::ProgressCancel;
        if (std::string e = arity(1, "progress cancel"); !e.empty())
            return e;
        return lower(tok[1].text) == "cancel" && !tok[1].quoted ? std::string() : "usage: progress cancel";
    }
    if (verb == "shot") {
        a.kind = Action::Kind::Shot;
        if (std::string e = arity(1, "shot NAME"); !e.empty())
            return e;
        if (tok[1].index || tok[1].text.empty() || tok[1].text.find('/') != std::string::npos ||
            tok[1].text.rfind("..", 0) == 0)
            return "shot needs a plain file name";
        a.text = AfxFromUtf8(tok[1].text);
        return {};
    }
    return "unknown action \"" + tok[0].text + "\"";
}

std::string trimmed(const std::string& s) { return std::string(kortext::trim(s)); }

}  // namespace

bool parseAnswers(const std::string& text, std::vector<Action>& actions, std::string* error)
{
    std::vector<Action> out;
    // Editors on Windows start UTF-8 files with a byte-order mark; it is no part of line 1.
    const bool bom = text.compare(0, 3, "\xEF\xBB\xBF") == 0;
    std::istringstream in(bom ? text.substr(3) : text);
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        std::vector<Token> tokens;
        size_t end = 0;
        std::string problem;
        if (!tokenize(line, tokens, end, problem)) {
            if (error)
                *error = "line " + std::to_string(number) + ": " + problem;
            return false;
        }
        if (tokens.empty())
            continue;
        Action a;
        a.line = number;
        a.source = trimmed(line.substr(0, end));
        problem = readAction(tokens, a);
        if (!problem.empty()) {
            if (error)
                *error = "line " + std::to_string(number) + ": " + problem + " (\"" + a.source + "\")";
            return false;
        }
        out.push_back(std::move(a));
    }
    actions = std::move(out);
    return true;
}

bool loadAnswers(const std::string& path, std::vector<Action>& actions, std::string* error)
{
    auto fail = [&](const std::string& why) {
        if (error)
            *error = "cannot read the answers file " + path + ": " + why;
        return false;
    };
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return fail("it is a directory");
    if (!std::filesystem::exists(path, ec))
        return fail("no such file");
    std::ifstream file(path, std::ios::binary);
    if (!file)
        return fail("it cannot be opened");
    std::stringstream text;
    text << file.rdbuf();
    std::string problem;
    if (!parseAnswers(text.str(), actions, &problem)) {
        if (error)
            *error = path + ": " + problem;
        return false;
    }
    return true;
}

// ---- playing -----------------------------------------------------------------------------------

AnswerRunner::AnswerRunner(std::vector<Action> actions, ErrorHandler onError)
    : m_actions(std::move(actions)), m_onError(std::move(onError))
{
    m_listener = AfxAddDialogListener([this](CDialog& dialog, AfxDialogEvent event) {
        if (event == AfxDialogEvent::Opened)
            opened(dialog);
        else
            closed(dialog);
    });
}

AnswerRunner::~AnswerRunner() { AfxRemoveDialogListener(m_listener); }

void AnswerRunner::opened(CDialog& dialog)
{
    if (m_failed) {
        dialog.EndDialog(IDCANCEL);  // after a failure nothing waits for a person
        return;
    }
    schedule(AfxModalSerial(&dialog));
}

void AnswerRunner::closed(CDialog& dialog)
{
    // The dialog under this one gets its turn back: a step meant for it may have found this
    // one on top (opened by the program, not by an action) and given up.
    std::vector<CDialog*> open = AfxModalDialogs();
    if (!m_failed && open.size() >= 2 && open.back() == &dialog)
        schedule(AfxModalSerial(open[open.size() - 2]));
}

void AnswerRunner::schedule(unsigned serial)
{
    if (!m_pending.insert(serial).second)
        return;  // one step at a time for each dialog
    std::weak_ptr<int> alive = m_alive;
    QTimer::singleShot(0, [this, alive, serial] {
        if (!alive.lock())
            return;
        m_pending.erase(serial);
        step(serial);
    });
}

void AnswerRunner::step(unsigned serial)
{
    CDialog* dialog = AfxActiveModalDialog();
    // Stale: the dialog this step was meant for closed, or another one is on top of it.
    if (m_failed || !dialog || AfxModalSerial(dialog) != serial)
        return;
    if (m_next >= m_actions.size()) {
        if (m_lastServed == serial) {
            fail("dialog " + afxdriver::describe(*dialog) + " is still open after the last answer, line " +
                     std::to_string(m_actions.back().line) + " (" + m_actions.back().source + ")",
                 dialog);
            return;
        }
        std::string after = m_actions.empty() ? "the answers are empty"
                                              : "the last one, line " + std::to_string(m_actions.back().line) +
                                                    ", is used up";
        fail("dialog " + afxdriver::describe(*dialog) + " opened, but no answer is left (" + after + ")", dialog);
        return;
    }
    const Action& action = m_actions[m_next];
    std::string where = "line " + std::to_string(action.line) + " (" + action.source + "): ";
    const bool typedAnswer = action.kind == Action::Kind::Input && dynamic_cast<TypedAnswer*>(dialog);
    if ((action.kind == Action::Kind::Input || action.kind == Action::Kind::Pick) && !typedAnswer) {
        fail(where + "dialog " + afxdriver::describe(*dialog) + " is open, but this line answers a command-line prompt", dialog);
        return;
    }
    ++m_next;
    m_lastServed = serial;
    // The action may run further dialogs to their end before it returns.
    Result r = apply(action, *dialog);
    if (!r) {
        fail(where + r.message, AfxActiveModalDialog());
        return;
    }
    if (AfxActiveModalDialog() == dialog && AfxModalSerial(dialog) == serial)
        schedule(serial);
}

Result AnswerRunner::apply(const Action& given, CDialog& dialog)
{
    using namespace afxdriver;
    Action a = given;
    if (!a.label.empty())
        if (Result r = controlByLabel(a.label, a.id); !r)
            return r;
    if (!a.name.empty()) {
        // A control by its name: a DCL tile's key.
        QWidget* window = AfxHostWidgetOf(dialog.m_hWnd);
        QWidget* w = window ? window->findChild<QWidget*>(QString::fromStdWString(a.name), Qt::FindDirectChildrenOnly)
                           : nullptr;
        CWnd* control = w ? CWnd::FromHandle(AfxHostHandleOf(w)) : nullptr;
        if (!control)
            return Result::failure("dialog " + afxdriver::describe(dialog) + " has no control named \"" +
                                   AfxToUtf8(a.name.c_str()) + "\"");
        a.id = static_cast<UINT>(control->GetDlgCtrlID());
        a.byCaption = false;
    }
    switch (a.kind) {
    case Action::Kind::Click: return a.byCaption ? click(a.text) : click(a.id);
    case Action::Kind::Type: return type(a.id, a.text);
    case Action::Kind::Select:
        if (!a.indexes.empty())
            return select(a.id, a.indexes);
        return a.index >= 0 ? select(a.id, a.index) : select(a.id, a.text);
    case Action::Kind::Edit: return editCell(a.id, a.index, a.column, a.text);
    case Action::Kind::Key: return key(a.key);
    case Action::Kind::Ok: return ok();
    case Action::Kind::Cancel: return cancel();
    case Action::Kind::Shot: {
        std::string dir = m_shotsDir.empty() ? "." : m_shotsDir;
        std::string name = AfxToUtf8(a.text.c_str());
        if (name.size() < 4 || name.compare(name.size() - 4, 4, ".png") != 0)
            name += ".png";
        return shot(dialog, dir + "/" + name);
    }
    case Action::Kind::ProgressCancel: {
        // The cancel button of the progress window that opened last, as the user clicks it
        // while the dialog waits; what its question asks comes next in the answers.
        std::vector<CKORGuiProgress*> windows = CKORGuiProgress::OpenWindows();
        if (windows.empty())
            return Result::failure("no progress window is open");
        if (!windows.back()->PressCancel())
            return Result::failure("the progress window's cancel button cannot be pressed now");
        return Result{};
    }
    case Action::Kind::Input:
        if (auto* typed = dynamic_cast<TypedAnswer*>(&dialog))
            return typed->answerTyped(a.text);
        break;
    case Action::Kind::Pick:
        break;
    }
    return Result::failure("not a dialog action");
}

void AnswerRunner::fail(const std::string& message, CDialog* dialog)
{
    m_failed = true;
    if (m_onError)
        m_onError(message);
    // Close what is open, innermost first, so the program can go on to its end.
    std::vector<CDialog*> open = AfxModalDialogs();
    for (auto it = open.rbegin(); it != open.rend(); ++it)
        (*it)->EndDialog(IDCANCEL);
}

bool AnswerRunner::nextPromptAnswer(PromptAnswer& answer, const std::string& prompt)
{
    if (m_failed || m_next >= m_actions.size())
        return nextInput(answer.text, prompt);  // says what is missing
    const Action& action = m_actions[m_next];
    if (action.kind == Action::Kind::Pick) {
        ++m_next;
        answer.kind = PromptAnswer::Kind::Pick;
        answer.x = action.x;
        answer.y = action.y;
        return true;
    }
    if (action.kind == Action::Kind::Key && action.key == Key::Escape) {
        ++m_next;
        answer.kind = PromptAnswer::Kind::Cancel;
        return true;
    }
    answer.kind = PromptAnswer::Kind::Text;
    return nextInput(answer.text, prompt);
}

bool AnswerRunner::nextInput(std::wstring& text, const std::string& prompt)
{
    std::string asked = prompt.empty() ? "the command line asks for input" : "the command line asks \"" + prompt + "\"";
    if (m_failed)
        return false;
    if (m_next >= m_actions.size()) {
        fail(asked + ", but no answer is left", nullptr);
        return false;
    }
    const Action& action = m_actions[m_next];
    if (action.kind != Action::Kind::Input) {
        fail("line " + std::to_string(action.line) + " (" + action.source + "): " + asked +
                 ", but this line is a dialog action",
             nullptr);
        return false;
    }
    ++m_next;
    text = action.text;
    return true;
}

}  // namespace korcad
