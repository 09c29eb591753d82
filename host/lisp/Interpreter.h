// Interpreter.h — the AutoLISP evaluator and its state: symbols, dynamic bindings, output,
// the search path of load, and the door to functions that applications define.
//
// Errors travel as LispError. The innermost user function an error leaves (or the top level,
// when no function is active) calls a defined *error* with the message while that function's
// bindings are still in place, as AutoLISP does, so a local *error* of the failing command
// is the one that runs. For "internal stack limit reached" that is the innermost function
// with half the stack still free, so that the handler has room to run. Inside vl-catch-all-apply no *error* is called: the error becomes
// the call's value.
#pragma once

#include "lisp/Args.h"
#include "lisp/Environment.h"
#include "lisp/Error.h"
#include "lisp/Value.h"

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lisp {

class Interpreter;

// Functions that live outside LISP: called when a symbol without a LISP definition is used
// as a function and isDefined answers true for it.
class ExternalFunctions {
public:
    virtual ~ExternalFunctions() = default;
    virtual bool isDefined(const Symbol& sym) = 0;
    virtual Value call(Interpreter& lisp, const Symbol& sym, const Args& args) = 0;
};

class Interpreter {
public:
    Interpreter();
    ~Interpreter();
    Interpreter(const Interpreter&) = delete;
    Interpreter& operator=(const Interpreter&) = delete;

    // ---- names ----
    Symbol* intern(std::string_view name) { return symbols_.intern(name); }
    SymbolTable& symbols() { return symbols_; }
    Bindings& bindings() { return bindings_; }
    void defineBuiltin(std::string_view name, BuiltinFn fn, int minArgs, int maxArgs);
    void defineBuiltin(std::string_view name, BuiltinClosure fn, int minArgs, int maxArgs);
    void defineSpecial(std::string_view name, SpecialFn fn);
    Value symbolValue(std::string_view name) { return intern(name)->value; }
    void setSymbolValue(std::string_view name, Value v) { intern(name)->value = std::move(v); }
    // Sets a symbol's value as setq does: constants (T) refuse.
    void assign(Symbol* sym, Value v);

    Value t() const { return Value::symbol(t_); }
    Value boolean(bool b) const { return b ? t() : Value(); }
    // What (princ) without arguments returns: a symbol with an empty name, printed as nothing.
    Value quietSymbol() const { return Value::symbol(quiet_); }

    // ---- evaluation ----
    Value eval(const Value& form);
    // Evaluates a list of forms in order; the value of the last (nil for none).
    Value evalBody(const Value& forms);
    // A symbol's value; for a function an application defined, and LISP left unbound, the
    // function itself (type EXRXSUBR), as a loaded application's functions are in AutoLISP.
    Value valueOf(Symbol* sym);
    // Calls a function value (built-in, user function, lambda list, external) with evaluated
    // arguments.
    Value apply(const Value& fn, const Args& args);
    // The callable value a function argument designates: a function itself, a symbol naming
    // one (also an external one), or a list (LAMBDA ...). Raises "bad function" otherwise.
    Value functionOf(const Value& designator);
    Value makeLambda(const Value& paramsAndBody, std::string name);

    // Evaluates as the command line does: an error that reaches the top calls *error* (once)
    // and is raised on.
    Value evalTop(const Value& form);
    // Reads and evaluates every expression of a text; the value of the last.
    Value evalText(std::string_view text);
    // The first expression of a text, nil for none (AutoLISP's read).
    Value read(std::string_view text);

    // ---- limits ----
    // Bounds for programs that may never end or may fill the memory (a batch run, input of
    // unknown origin). `steps`: evaluation steps (each form evaluated is one), counted from
    // the call of setLimits; past them every evaluation raises "step limit reached", so
    // neither a loop nor *error* nor vl-catch-all-apply gets further. `memory`: bytes of LISP
    // data alive at once (see heapBytes); making more raises "memory limit reached". 0 means
    // no bound, the default for both.
    struct Limits {
        uint64_t steps = 0;
        size_t memory = 0;
    };
    void setLimits(const Limits& limits);
    const Limits& limits() const { return limits_; }
    uint64_t stepsTaken() const { return steps_; }

    // ---- load ----
    // Directories that load searches for a relative name after the current directory.
    std::vector<std::string>& loadPath() { return loadPath_; }
    // The file load would use for a name: as given, then with ".lsp"; relative names in the
    // current directory first, then along the load path.
    std::optional<std::string> findLoadFile(const std::string& name) const;
    // Evaluates every expression of a file in order; the value of the last. An error leaving
    // the file says where in it it happened (LispError::where), unless a file it loaded did.
    Value loadFile(const std::string& path);

    // ---- output ----
    std::ostream& out() { return *out_; }
    void setOutput(std::ostream& os) { out_ = &os; }

    // ---- system variables ----
    // The host's table of system variables (getvar); nil for a name it does not know or
    // when no host gave one. rtos, angtos and distof read their defaults from it.
    using SystemVariables = std::function<Value(std::string_view name)>;
    using SystemVariableSetter = std::function<Value(std::string_view name, const Value& value)>;
    void setSystemVariables(SystemVariables get, SystemVariableSetter set = {})
    {
        sysvars_ = std::move(get);
        setSysvar_ = std::move(set);
    }
    Value systemVariable(std::string_view name) const
    {
        return sysvars_ ? sysvars_(name) : Value();
    }
    // Sets a variable as setvar does (its checks and errors); nil without a host table.
    Value setSystemVariable(std::string_view name, const Value& value)
    {
        return setSysvar_ ? setSysvar_(name, value) : Value();
    }

    // The code AutoCAD leaves in ERRNO when a function fails without raising an error (an
    // unknown handle, a pick that found nothing); 0 in a fresh session.
    int errorNumber() const { return errorNumber_; }
    void setErrorNumber(int code) { errorNumber_ = code; }

    // ---- external functions ----
    void setExternalFunctions(ExternalFunctions* ext) { external_ = ext; }
    ExternalFunctions* externalFunctions() const { return external_; }

    // ---- error protocol ----
    // Calls *error* for an error that has not reached it yet, unless a vl-catch-all-apply is
    // active or *error* is already running. An error raised by *error* itself replaces the
    // original one.
    void signal(LispError& e);
    // While one exists, errors are caught by vl-catch-all-apply and *error* stays silent.
    class CatchScope {
    public:
        explicit CatchScope(Interpreter& l) : lisp_(l) { ++lisp_.catchDepth_; }
        ~CatchScope() { --lisp_.catchDepth_; }
        CatchScope(const CatchScope&) = delete;
        CatchScope& operator=(const CatchScope&) = delete;

    private:
        Interpreter& lisp_;
    };

private:
    Value evalForm(const Value& form);
    Value callUser(const Usubr& fn, const Args& args);
    [[noreturn]] void noFunction(const Symbol& sym);

    SymbolTable symbols_;
    Bindings bindings_;
    Symbol* t_ = nullptr;
    Symbol* quiet_ = nullptr;
    Symbol* lambda_ = nullptr;
    Symbol* errorHandler_ = nullptr;
    std::ostream* out_;
    ExternalFunctions* external_ = nullptr;
    std::vector<std::string> loadPath_;
    SystemVariables sysvars_;
    SystemVariableSetter setSysvar_;
    int catchDepth_ = 0;
    int errorNumber_ = 0;
    bool inErrorHandler_ = false;
    Limits limits_;
    uint64_t steps_ = 0;
};

// Ctrl-C. A signal handler calls requestInterrupt(), which only sets an atomic flag; the
// evaluator looks at the flag on every step and turns it into the error "Function cancelled",
// which takes the normal way to *error* and the command line. takeInterrupt() reads and
// clears the flag (for a line editor that cancels a line being typed instead).
void requestInterrupt() noexcept;
bool takeInterrupt() noexcept;
extern const char* const kCancelledMessage;

// Installs the built-in functions; each group lives in its own source file.
void installForms(Interpreter& lisp);
void installListFunctions(Interpreter& lisp);
void installMathFunctions(Interpreter& lisp);
void installStringFunctions(Interpreter& lisp);
void installPredicates(Interpreter& lisp);
void installIoFunctions(Interpreter& lisp);
void installControlFunctions(Interpreter& lisp);
void installFileFunctions(Interpreter& lisp);
void installConversionFunctions(Interpreter& lisp);
void installVisualFunctions(Interpreter& lisp);

// vl-exit-with-value: ends the running command with a value instead of an error. It passes
// every function, load and *error* on its way out; the command line (evalTop, evalText) takes
// the value as the value of the expression it evaluated.
struct ExitWithValue {
    Value value;
};

// Structural equality as equal sees it: numbers by value (within fuzz), strings by text,
// lists element by element, anything else by identity.
bool lispEqual(const Value& a, const Value& b, double fuzz = 0.0);

}  // namespace lisp
