#include "lisp/Value.h"

#include "lisp/Error.h"

#include <atomic>

namespace lisp {

namespace {

std::atomic<size_t> heapUsed{0};
std::atomic<size_t> heapMax{0};

}  // namespace

const char* const kMemoryLimitMessage = "memory limit reached";

size_t heapBytes() { return heapUsed.load(std::memory_order_relaxed); }
void setHeapLimit(size_t bytes) { heapMax.store(bytes, std::memory_order_relaxed); }
size_t heapLimit() { return heapMax.load(std::memory_order_relaxed); }

void checkHeap(size_t more)
{
    size_t limit = heapLimit();
    if (limit != 0 && (more > limit || heapBytes() > limit - more))
        throw LispError(kMemoryLimitMessage);
}

void chargeHeap(size_t bytes)
{
    checkHeap(bytes);
    heapUsed.fetch_add(bytes, std::memory_order_relaxed);
}

void releaseHeap(size_t bytes) noexcept { heapUsed.fetch_sub(bytes, std::memory_order_relaxed); }

Value Value::string(std::string text) { return Value(new Str(std::move(text))); }

Value Value::cons(Value car, Value cdr) { return Value(new Cons(std::move(car), std::move(cdr))); }

bool Value::identical(const Value& o) const
{
    if (tag_ != o.tag_)
        return false;
    switch (tag_) {
    case Tag::Nil:
        return true;
    case Tag::Int:
        return u_.i == o.u_.i;
    case Tag::Real:
        return u_.r == o.u_.r;
    case Tag::Sym:
        return u_.sym == o.u_.sym;
    case Tag::Ename:
        // Entity names are values, as in AutoLISP: two names of one entity are eq.
        return as<Ename>()->id[0] == o.as<Ename>()->id[0] && as<Ename>()->id[1] == o.as<Ename>()->id[1];
    case Tag::Pickset:
        return as<Pickset>()->id[0] == o.as<Pickset>()->id[0] && as<Pickset>()->id[1] == o.as<Pickset>()->id[1];
    default:
        return u_.obj == o.u_.obj;
    }
}

void Value::destroy(Object* obj) noexcept
{
    // Destroying an object releases the values it holds, which may destroy further objects.
    // Those are queued here instead of being destroyed from inside the destructor, so the
    // depth of the C++ stack does not grow with the length or nesting of a list.
    static thread_local std::vector<Object*> pending;
    static thread_local bool draining = false;
    pending.push_back(obj);
    if (draining)
        return;
    draining = true;
    while (!pending.empty()) {
        Object* next = pending.back();
        pending.pop_back();
        delete next;
    }
    draining = false;
}

void ListBuilder::push(Value v)
{
    auto* cell = new Cons(std::move(v), Value());
    Value wrapped(cell);
    if (!tail_)
        head_ = std::move(wrapped);
    else
        tail_->cdr = std::move(wrapped);
    tail_ = cell;
}

void ListBuilder::setTail(Value v)
{
    if (!tail_)
        head_ = std::move(v);
    else
        tail_->cdr = std::move(v);
}

Value list(std::initializer_list<Value> items)
{
    ListBuilder b;
    for (const Value& v : items)
        b.push(v);
    return b.take();
}

}  // namespace lisp
