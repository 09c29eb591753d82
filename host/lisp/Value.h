// Value.h — the values of our AutoLISP: integers, reals, strings, symbols, lists, functions,
// entity names, selection sets, files and the error objects of vl-catch-all-apply.
//
// A Value is a small tagged handle (16 bytes). Integers and reals live inside it; everything
// else is a reference-counted heap object. Symbols are interned and live as long as the
// interpreter's symbol table, so a Value holding one does not count references. nil is the
// empty Value. Lists are immutable once built: only ListBuilder fills a fresh list.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace lisp {

class Interpreter;
class Args;
class Value;

enum class Tag : uint8_t {
    Nil,
    Int,
    Real,
    Sym,
    // Heap objects from here on.
    Str,
    Cons,
    Subr,        // built-in function or special form
    Usubr,       // user function (defun, lambda)
    Exsubr,      // a function an application defined through ADS
    Ename,       // entity name handed over by an application
    Pickset,     // selection set
    CatchError,  // what vl-catch-all-apply returns for a caught error
    File,        // a file opened by open (lisp/Files.h)
};

// ---- what LISP data takes ------------------------------------------------------------------
// Every heap object is charged while it lives: a fixed charge for the object, plus the text of
// a string. With a limit set (Interpreter::setLimits), making an object that would pass it
// raises the LISP error "memory limit reached" and the object is not made. The sum is kept
// for the whole process: korcad runs one interpreter.
constexpr size_t kObjectCharge = 64;  // a cons cell with the allocator's bookkeeping
size_t heapBytes();
void setHeapLimit(size_t bytes);  // 0: no limit
size_t heapLimit();
// Raises the memory-limit error when `more` bytes on top of what is charged would pass the
// limit; for built-ins that build a large text before it becomes a string.
void checkHeap(size_t more);
void chargeHeap(size_t bytes);
void releaseHeap(size_t bytes) noexcept;
// Memory a built-in works in besides LISP data (a text decoded into characters, a table),
// charged while the object lives: the call is refused before it takes more than the limit.
class HeapCharge {
public:
    explicit HeapCharge(size_t bytes) : bytes_(bytes) { chargeHeap(bytes); }
    ~HeapCharge() { releaseHeap(bytes_); }
    HeapCharge(const HeapCharge&) = delete;
    HeapCharge& operator=(const HeapCharge&) = delete;

private:
    size_t bytes_;
};

struct Object {
    explicit Object(Tag t) : tag(t) { chargeHeap(kObjectCharge); }
    virtual ~Object() { releaseHeap(kObjectCharge); }
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    uint32_t refs = 0;
    const Tag tag;
};

struct Symbol;
struct Str;
struct Cons;
struct Subr;
struct Usubr;
struct Exsubr;
struct Ename;
struct Pickset;
struct CatchError;

class Value {
public:
    Value() noexcept { u_.obj = nullptr; }
    ~Value() { release(); }
    Value(const Value& o) noexcept : tag_(o.tag_), u_(o.u_) { retain(); }
    Value(Value&& o) noexcept : tag_(o.tag_), u_(o.u_)
    {
        o.tag_ = Tag::Nil;
        o.u_.obj = nullptr;
    }
    Value& operator=(const Value& o) noexcept
    {
        if (this != &o) {
            Value copy(o);
            swap(copy);
        }
        return *this;
    }
    Value& operator=(Value&& o) noexcept
    {
        Value moved(std::move(o));
        swap(moved);
        return *this;
    }
    void swap(Value& o) noexcept
    {
        std::swap(tag_, o.tag_);
        std::swap(u_, o.u_);
    }

    // Takes a fresh heap object (reference count 0) under management.
    explicit Value(Object* obj) noexcept : tag_(obj->tag) { u_.obj = obj; retain(); }

    static Value integer(int32_t i)
    {
        Value v;
        v.tag_ = Tag::Int;
        v.u_.i = i;
        return v;
    }
    static Value real(double r)
    {
        Value v;
        v.tag_ = Tag::Real;
        v.u_.r = r;
        return v;
    }
    static Value symbol(Symbol* s)
    {
        Value v;
        v.tag_ = Tag::Sym;
        v.u_.sym = s;
        return v;
    }
    static Value string(std::string text);
    static Value cons(Value car, Value cdr);

    Tag tag() const { return tag_; }
    bool isNil() const { return tag_ == Tag::Nil; }
    bool isInt() const { return tag_ == Tag::Int; }
    bool isReal() const { return tag_ == Tag::Real; }
    bool isNumber() const { return tag_ == Tag::Int || tag_ == Tag::Real; }
    bool isSym() const { return tag_ == Tag::Sym; }
    bool isStr() const { return tag_ == Tag::Str; }
    bool isCons() const { return tag_ == Tag::Cons; }
    bool isList() const { return tag_ == Tag::Nil || tag_ == Tag::Cons; }
    bool isObject() const { return tag_ >= Tag::Str; }
    explicit operator bool() const { return tag_ != Tag::Nil; }

    int32_t asInt() const { return u_.i; }
    double asReal() const { return u_.r; }
    double asDouble() const { return tag_ == Tag::Int ? double(u_.i) : u_.r; }
    Symbol* sym() const { return u_.sym; }
    Object* object() const { return u_.obj; }
    const std::string& str() const;
    Cons* consCell() const { return reinterpret_cast<Cons*>(u_.obj); }
    template <class T>
    T* as() const
    {
        return static_cast<T*>(u_.obj);
    }

    // Same object, same symbol, or the same number of the same kind.
    bool identical(const Value& o) const;

private:
    void retain() const noexcept
    {
        if (tag_ >= Tag::Str)
            ++u_.obj->refs;
    }
    void release() noexcept
    {
        if (tag_ >= Tag::Str && --u_.obj->refs == 0)
            destroy(u_.obj);
    }
    // Frees an object without recursing: a long or deeply nested list goes piece by piece.
    static void destroy(Object* obj) noexcept;

    Tag tag_ = Tag::Nil;
    union {
        int32_t i;
        double r;
        Symbol* sym;
        Object* obj;
    } u_;
};

// ---- the object kinds -------------------------------------------------------------------

struct Symbol {
    std::string name;  // upper case
    Value value;       // nil when unbound
    bool constant = false;
};

struct Str : Object {
    explicit Str(std::string t) : Object(Tag::Str), text(std::move(t)) { chargeHeap(text.size()); }
    ~Str() override { releaseHeap(text.size()); }
    const std::string text;
};

struct Cons : Object {
    Cons(Value a, Value d) : Object(Tag::Cons), car(std::move(a)), cdr(std::move(d)) {}
    Value car;
    Value cdr;
};

using BuiltinFn = Value (*)(Interpreter&, const Args&);
// A built-in that carries state of its own (the host's functions over its input, say).
using BuiltinClosure = std::function<Value(Interpreter&, const Args&)>;
using SpecialFn = Value (*)(Interpreter&, const Value& args);

struct Subr : Object {
    Subr(std::string n, BuiltinFn f, int minA, int maxA)
        : Object(Tag::Subr), name(std::move(n)), fn(f), minArgs(minA), maxArgs(maxA)
    {
    }
    Subr(std::string n, BuiltinClosure c, int minA, int maxA)
        : Object(Tag::Subr), name(std::move(n)), closure(std::move(c)), minArgs(minA),
          maxArgs(maxA)
    {
    }
    Subr(std::string n, SpecialFn s) : Object(Tag::Subr), name(std::move(n)), special(s) {}
    const std::string name;
    BuiltinFn fn = nullptr;
    BuiltinClosure closure;       // used when fn is null
    SpecialFn special = nullptr;  // set for special forms: they get their arguments unevaluated
    int minArgs = 0;
    int maxArgs = -1;  // -1: any number
};

struct Usubr : Object {
    Usubr() : Object(Tag::Usubr) {}
    std::string name;  // empty for a lambda
    std::vector<Symbol*> params;
    std::vector<Symbol*> locals;
    Value body;  // list of forms
};

struct Exsubr : Object {
    explicit Exsubr(Symbol* s) : Object(Tag::Exsubr), sym(s) {}
    Symbol* const sym;
};

struct Ename : Object {
    Ename(int64_t a, int64_t b) : Object(Tag::Ename), id{a, b} {}
    const int64_t id[2];
};

// A selection set of the host: its name, and what frees it when LISP lets go of the last
// reference (the host keeps the set until then).
struct Pickset : Object {
    Pickset(int64_t a, int64_t b, std::function<void(const int64_t*)> release)
        : Object(Tag::Pickset), id{a, b}, release_(std::move(release))
    {
    }
    ~Pickset() override
    {
        if (release_)
            release_(id);
    }
    const int64_t id[2];

private:
    std::function<void(const int64_t*)> release_;
};

struct CatchError : Object {
    explicit CatchError(std::string m) : Object(Tag::CatchError), message(std::move(m)) {}
    const std::string message;
};

inline const std::string& Value::str() const { return static_cast<Str*>(u_.obj)->text; }

// ---- list access ------------------------------------------------------------------------

// car and cdr of a cons; nil for anything else (callers check the type where it matters).
inline const Value& car(const Value& v)
{
    static const Value nil;
    return v.isCons() ? v.consCell()->car : nil;
}
inline const Value& cdr(const Value& v)
{
    static const Value nil;
    return v.isCons() ? v.consCell()->cdr : nil;
}

// Builds a list front to back; the only place where a cons is changed after it is made.
class ListBuilder {
public:
    void push(Value v);
    // Ends the list in a dotted tail instead of nil.
    void setTail(Value v);
    bool empty() const { return head_.isNil(); }
    Value take()
    {
        tail_ = nullptr;
        return std::move(head_);
    }

private:
    Value head_;
    Cons* tail_ = nullptr;
};

Value list(std::initializer_list<Value> items);

}  // namespace lisp
