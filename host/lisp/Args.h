// Args.h — the evaluated arguments of a built-in or external call, and the type checks that
// raise AutoLISP's "bad argument type" errors.
#pragma once

#include "lisp/Error.h"
#include "lisp/Value.h"

#include <vector>

namespace lisp {

class Args {
public:
    Args(const Value* data, size_t n) : data_(data), n_(n) {}
    size_t size() const { return n_; }
    bool has(size_t i) const { return i < n_; }
    const Value& operator[](size_t i) const { return data_[i]; }
    const Value* begin() const { return data_; }
    const Value* end() const { return data_ + n_; }

private:
    const Value* data_;
    size_t n_;
};

// Holds the values of one call; small calls stay on the C++ stack.
class ArgBuffer {
public:
    void push(Value v)
    {
        if (n_ < kInline) {
            inline_[n_++] = std::move(v);
            return;
        }
        if (heap_.empty())
            heap_.assign(std::make_move_iterator(inline_), std::make_move_iterator(inline_ + n_));
        heap_.push_back(std::move(v));
        ++n_;
    }
    Args args() const { return Args(n_ <= kInline ? inline_ : heap_.data(), n_); }

private:
    static constexpr size_t kInline = 6;
    Value inline_[kInline];
    std::vector<Value> heap_;
    size_t n_ = 0;
};

// Type checks: return the payload or raise "bad argument type: <predicate>: <value>".
inline int32_t intArg(const Value& v)
{
    if (!v.isInt())
        badArgType("fixnump", v);
    return v.asInt();
}
inline double numArg(const Value& v)
{
    if (!v.isNumber())
        badArgType("numberp", v);
    return v.asDouble();
}
inline const std::string& strArg(const Value& v)
{
    if (!v.isStr())
        badArgType("stringp", v);
    return v.str();
}
inline Symbol* symArg(const Value& v)
{
    if (!v.isSym())
        badArgType("symbolp", v);
    return v.sym();
}
inline const Value& listArg(const Value& v)
{
    if (!v.isList())
        badArgType("listp", v);
    return v;
}

}  // namespace lisp
