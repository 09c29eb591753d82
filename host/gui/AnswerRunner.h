// AnswerRunner.h — answers files: a person's answers to korcad's dialogs and prompts, written
// down beforehand, one action per line, and played to the dialogs as they open.
//
// One action per line; '#' starts a comment (except "#N", an index after select and edit):
//   click 1005 | click "C" | type 1002 "3.5" | select 30058 "Hydrant" | select 30058 #2 |
//   click @accept | type @dia "50" | select @material "PE" |
//   select 201 #1 #3 | edit 201 #0 2 "150" |
//   key Escape | key Enter | key Tab | ok | cancel | input "3.5" | pick 10,20 | shot NAME
// @NAME is the control of that name: in a DCL dialog, the tile with that key.
// In a grid, select takes data rows counted from 0 (several rows: all of them, as Ctrl+clicks
// do) or the text of a cell of the row; edit ID #ROW COLUMN "TEXT" types TEXT into a cell
// as the user does (F2, typing, Enter), COLUMN counted as the grid counts (0 the leftmost).
// At a command-line prompt: input types an answer, pick clicks the drawing view at drawing
// coordinates X,Y through the mouse (object snaps apply), key Escape cancels the prompt. At
// getfiled's file dialog and the colour dialogs, input types the file name or colour and
// confirms it.
// Texts are written in double quotes (\" and \\ inside); a text without blanks may go bare.
// The file is UTF-8; a byte-order mark at its start is allowed.
#pragma once

#include "uidriver/afxdriver.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace korcad {

struct Action {
    enum class Kind { Click, Type, Select, Edit, Key, Ok, Cancel, Input, Pick, Shot, ProgressCancel };
    Kind kind = Kind::Ok;
    int line = 0;         // 1-based line in the file
    std::string source;   // the line as written, without its comment
    UINT id = 0;          // control id (click by id, type, select)
    std::wstring label;   // type, select: the field by the label before it, instead of its id
    std::wstring name;    // click, type, select: the control by its name (@NAME), instead of its id
    bool byCaption = false;
    std::wstring text;    // caption, typed text, line text, input answer, shot name
    int index = -1;       // select by index; the row of edit
    std::vector<int> indexes;  // select of several grid rows (two or more)
    int column = -1;      // the column of edit
    afxdriver::Key key = afxdriver::Key::Escape;
    double x = 0, y = 0;  // pick
};

// What answers a command-line prompt.
struct PromptAnswer {
    enum class Kind { Text, Pick, Cancel } kind = Kind::Text;
    std::wstring text;
    double x = 0, y = 0;
};

// False with "line N: ..." in *error when a line cannot be read.
bool parseAnswers(const std::string& text, std::vector<Action>& actions, std::string* error);
// False with a message naming the file when it cannot be read (missing, a directory, ...).
bool loadAnswers(const std::string& path, std::vector<Action>& actions, std::string* error);

// Plays the actions to the dialogs as they open, in order: each dialog takes actions until it
// closes. A dialog that opens when no action is left, an action that cannot be done or an
// `input` met while a dialog is open is reported through the error handler; the dialog is
// then closed as cancelled (and so is every later one), so a run never hangs.
class AnswerRunner {
public:
    using ErrorHandler = std::function<void(const std::string& message)>;
    AnswerRunner(std::vector<Action> actions, ErrorHandler onError);
    ~AnswerRunner();
    AnswerRunner(const AnswerRunner&) = delete;
    AnswerRunner& operator=(const AnswerRunner&) = delete;

    // Where `shot NAME` saves its picture (default: the current directory).
    void setShotsDirectory(const std::string& dir) { m_shotsDir = dir; }

    // The answer to a command-line prompt: the next action must be `input`. Otherwise the
    // error handler hears of it and the result is false.
    bool nextInput(std::wstring& text, const std::string& prompt = {});
    // The answer to a prompt: the next action must be `input`, `pick` or `key Escape`.
    bool nextPromptAnswer(PromptAnswer& answer, const std::string& prompt = {});

    bool failed() const { return m_failed; }
    size_t remaining() const { return m_actions.size() - m_next; }

private:
    void opened(CDialog& dialog);
    void closed(CDialog& dialog);
    void schedule(unsigned serial);
    void step(unsigned serial);
    afxdriver::Result apply(const Action& action, CDialog& dialog);
    void fail(const std::string& message, CDialog* dialog);

    std::vector<Action> m_actions;
    size_t m_next = 0;
    ErrorHandler m_onError;
    std::string m_shotsDir;
    bool m_failed = false;
    int m_listener = 0;
    std::set<unsigned> m_pending;  // dialogs (by run serial) with a step waiting to run
    unsigned m_lastServed = 0;     // the dialog the last action went to
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);  // guards posted steps
};

}  // namespace korcad
