// Environment.h — where LISP names get their values.
//
// AutoLISP scopes dynamically: a function's parameters and its "/" locals are bound while the
// function runs and unbound when it returns, and every function called meanwhile sees those
// bindings. We keep one value cell per symbol (the symbol's current value) and a stack of the
// values that bindings shadowed: binding is a push, leaving a scope pops back to a mark. No
// environment is copied or searched on a call, and a symbol's value is one pointer away.
#pragma once

#include "lisp/Value.h"

#include <memory>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace lisp {

// Interned symbols: one Symbol per name, names compared without regard to case.
class SymbolTable {
public:
    // The symbol of this name, created unbound on first use.
    Symbol* intern(std::string_view name);
    // The symbol if it exists, else null.
    Symbol* find(std::string_view name) const;
    size_t size() const { return symbols_.size(); }
    template <class F>
    void forEach(F f) const
    {
        for (const auto& [name, sym] : symbols_)
            f(*sym);
    }

private:
    struct SpellingHash {
        using is_transparent = void;
        size_t operator()(std::string_view s) const { return std::hash<std::string_view>{}(s); }
    };
    std::unordered_map<std::string, std::unique_ptr<Symbol>> symbols_;
    // The names as a program spells them ("list", "korDialog_ButtonDialog") -> their symbol:
    // a name read again is found without being upper-cased. Bounded: spellings past the limit
    // take the long way.
    std::unordered_map<std::string, Symbol*, SpellingHash, std::equal_to<>> spellings_;
    static constexpr size_t kMaxSpellings = 1 << 16;
};

// "attempt to set a constant: T", the error of setq, a binding or foreach that would change T.
[[noreturn]] void refuseConstant(const Symbol& sym);

class Bindings {
public:
    size_t mark() const { return saved_.size(); }
    // Gives the symbol a new value until the stack is unwound below this binding. A constant
    // (T) refuses, as it refuses setq: a parameter, local or foreach variable named T.
    void bind(Symbol* sym, Value value)
    {
        if (sym->constant)
            refuseConstant(*sym);
        saved_.push_back({sym, std::move(sym->value)});
        sym->value = std::move(value);
    }
    // Restores every value shadowed since the mark, newest first.
    void unwind(size_t mark);
    size_t depth() const { return saved_.size(); }
    // The value a symbol had outside its bindings that hold the symbol itself: for a
    // parameter named like the function passed to it, (defun hof (helper) (apply helper ...))
    // called as (hof 'helper), the function. nil when there is none.
    Value outerValue(const Symbol* sym) const
    {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it)
            if (it->sym == sym && !(it->value.isSym() && it->value.sym() == sym))
                return it->value;
        return Value();
    }

private:
    struct Saved {
        Symbol* sym;
        Value value;
    };
    std::vector<Saved> saved_;
};

// Restores the bindings made during its lifetime, also when an error passes.
class BindingScope {
public:
    explicit BindingScope(Bindings& b) : bindings_(b), mark_(b.mark()) {}
    ~BindingScope() { bindings_.unwind(mark_); }
    BindingScope(const BindingScope&) = delete;
    BindingScope& operator=(const BindingScope&) = delete;

private:
    Bindings& bindings_;
    size_t mark_;
};

}  // namespace lisp
