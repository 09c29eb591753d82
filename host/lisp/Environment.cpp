#include "lisp/Environment.h"

#include "lisp/Error.h"
#include "lisp/Utf8.h"

namespace lisp {

Symbol* SymbolTable::intern(std::string_view name)
{
    std::string key = utf8::upper(name);
    auto it = symbols_.find(key);
    if (it != symbols_.end())
        return it->second.get();
    auto sym = std::make_unique<Symbol>();
    sym->name = key;
    Symbol* raw = sym.get();
    symbols_.emplace(std::move(key), std::move(sym));
    return raw;
}

Symbol* SymbolTable::find(std::string_view name) const
{
    auto it = symbols_.find(utf8::upper(name));
    return it == symbols_.end() ? nullptr : it->second.get();
}

void Bindings::unwind(size_t mark)
{
    while (saved_.size() > mark) {
        Saved& s = saved_.back();
        s.sym->value = std::move(s.value);
        saved_.pop_back();
    }
}

void refuseConstant(const Symbol& sym) { fail("attempt to set a constant: " + sym.name); }

}  // namespace lisp
