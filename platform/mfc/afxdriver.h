// afxdriver.h — acting on the open modal dialog as a user would, for tests and for the host's
// answers files. Host-facing: modules do not include this.
//
// Every action works on the innermost running modal dialog and does what the user's mouse
// or keyboard would do there: a click on a hidden or disabled button fails, as it would for
// a person; typing replaces an edit's text character by character, so the dialog sees the
// change notifications of real typing.
#pragma once

#include "mfc/afxwin.h"

#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace afxdriver {

struct Result {
    bool ok = true;
    std::string message;  // why the action could not be done
    explicit operator bool() const { return ok; }
    static Result failure(std::string why) { return Result{false, std::move(why)}; }
};

// The dialog the user can reach now (the innermost running modal dialog), or null.
CDialog* activeDialog();
// How messages name a dialog: its title and template id, e.g. "Titel" (template 30018).
std::string describe(const CDialog& dialog);

// A visible, enabled button, by control id or by its caption (mnemonic '&' ignored).
Result click(UINT id);
Result click(const std::wstring& caption);
// Replaces the text of an edit (or an editable combo box) by typing.
Result type(UINT id, const std::wstring& text);
// Selects the line of a list or combo box with this text, or at this 0-based index.
Result select(UINT id, const std::wstring& text);
Result select(UINT id, int index);
enum class Key { Escape, Enter, Tab };
Result key(Key key);
Result ok();      // the command IDOK, as the OK button sends it
Result cancel();  // the close box
// A PNG of the active dialog (parent folders are created).
Result shot(const std::string& pngPath);
Result shot(CDialog& dialog, const std::string& pngPath);

// Every dialog is saved as it opens, as DIR/NNN-<template id>.png (NNN counts from 001).
// An empty directory switches this off.
void setShotsDirectory(const std::string& dir);
std::string shotsDirectory();

// Runs fn once, with the next dialog that opens, inside its modal loop once it shows.
void onNextDialog(std::function<void(CDialog&)> fn);

// ---- answers files --------------------------------------------------------------------------
// One action per line; '#' starts a comment (except "#N", an index after select):
//   click 1005 | click "C" | type 1002 "3.5" | select 30058 "Hydrant" | select 30058 #2 |
//   key Escape | key Enter | key Tab | ok | cancel | input "3.5" | shot NAME
// Texts are written in double quotes (\" and \\ inside); a text without blanks may go bare.
struct Action {
    enum class Kind { Click, Type, Select, Key, Ok, Cancel, Input, Shot };
    Kind kind = Kind::Ok;
    int line = 0;         // 1-based line in the file
    std::string source;   // the line as written, without its comment
    UINT id = 0;          // control id (click by id, type, select)
    bool byCaption = false;
    std::wstring text;    // caption, typed text, line text, input answer, shot name
    int index = -1;       // select by index
    Key key = Key::Escape;
};

// False with "line N: ..." in *error when a line cannot be read.
bool parseAnswers(const std::string& text, std::vector<Action>& actions, std::string* error);
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

    // The answer to a command-line prompt: the next action must be `input`. Otherwise the
    // error handler hears of it and the result is false.
    bool nextInput(std::wstring& text, const std::string& prompt = {});

    bool failed() const { return m_failed; }
    size_t remaining() const { return m_actions.size() - m_next; }

private:
    void opened(CDialog& dialog);
    void closed(CDialog& dialog);
    void schedule(unsigned serial);
    void step(unsigned serial);
    Result apply(const Action& action, CDialog& dialog);
    void fail(const std::string& message, CDialog* dialog);

    std::vector<Action> m_actions;
    size_t m_next = 0;
    ErrorHandler m_onError;
    bool m_failed = false;
    int m_listener = 0;
    std::set<unsigned> m_pending;  // dialogs (by run serial) with a step waiting to run
    unsigned m_lastServed = 0;     // the dialog the last action went to
    std::shared_ptr<int> m_alive = std::make_shared<int>(0);  // guards posted steps
};

}  // namespace afxdriver
