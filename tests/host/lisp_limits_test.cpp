// The interpreter's limits on evaluation steps and LISP data's memory, set as korcad's options set them.
#include "lisp/Interpreter.h"
#include "lisp/Printer.h"
#include "lisp/Reader.h"

#include <gtest/gtest.h>

#include <malloc.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <new>

// Every allocation of this program is counted (the forms without exceptions too, which the
// library's temporary buffers use), so a test sees the most memory a LISP call took at once.
namespace {
std::atomic<size_t> liveBytes{0};
std::atomic<size_t> peakBytes{0};
}  // namespace

void* operator new(size_t n)
{
    void* p = std::malloc(n ? n : 1);
    if (!p)
        throw std::bad_alloc();
    size_t now = liveBytes.fetch_add(malloc_usable_size(p)) + malloc_usable_size(p);
    for (size_t peak = peakBytes.load(); now > peak && !peakBytes.compare_exchange_weak(peak, now);) {
    }
    return p;
}
void operator delete(void* p) noexcept
{
    if (p)
        liveBytes.fetch_sub(malloc_usable_size(p));
    std::free(p);
}
void* operator new(size_t n, const std::nothrow_t&) noexcept
{
    try {
        return operator new(n);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}
void* operator new[](size_t n) { return operator new(n); }
void* operator new[](size_t n, const std::nothrow_t& t) noexcept { return operator new(n, t); }
void operator delete[](void* p) noexcept { operator delete(p); }
void operator delete(void* p, size_t) noexcept { operator delete(p); }
void operator delete[](void* p, size_t) noexcept { operator delete(p); }
void operator delete(void* p, const std::nothrow_t&) noexcept { operator delete(p); }
void operator delete[](void* p, const std::nothrow_t&) noexcept { operator delete(p); }

namespace {

class LispLimits : public ::testing::Test {
protected:
    // The value of the last expression as prin1 writes it, or "error: MESSAGE".
    std::string ev(const std::string& code)
    {
        try {
            lisp::Reader reader(code, lisp.symbols());
            lisp::Value value;
            while (auto form = reader.next())
                value = lisp.evalTop(*form);
            return lisp::toString(value, true);
        } catch (const lisp::LispError& e) {
            return "error: " + e.message();
        }
    }
    lisp::Interpreter lisp;
};

TEST_F(LispLimits, StepsStopLoopsRecursionStarErrorAndCatchAllAlike)
{
    lisp.setLimits({5000, 0});
    EXPECT_EQ(ev("(setq i 0) (while T (setq i (1+ i)))"), "error: step limit reached");
    EXPECT_EQ(lisp.stepsTaken(), 5000u);
    // Once reached, nothing evaluates any more: not a caught call, not *error*.
    EXPECT_EQ(ev("(vl-catch-all-apply '+ '(1 2))"), "error: step limit reached");
    EXPECT_EQ(ev("1"), "error: step limit reached") << "every evaluation is a step";
    // Neither a catch in a loop, nor a looping *error*, nor deep recursion passes the limit.
    for (const char* code : {"(defun f () (/ 1 0)) (while T (vl-catch-all-apply 'f nil))",
                             "(defun *error* (m) (while T nil)) (car 1)",
                             "(setq *error* nil) (defun down (n) (if (> n 0) (1+ (down (1- n))) 0)) (down 100000)"}) {
        lisp.setLimits({20000, 0});
        EXPECT_EQ(ev(code), "error: step limit reached") << code;
    }
    lisp.setLimits({20000, 0});
    EXPECT_EQ(ev("(down 100)"), "100");
    lisp.setLimits({});  // no limit: the count stays at zero
    EXPECT_EQ(ev("(repeat 10000 (setq i 1))"), "1");
    EXPECT_EQ(lisp.stepsTaken(), 0u);
}

TEST_F(LispLimits, MemoryCountsLiveDataAndRefusesWhatWouldPassTheLimit)
{
    size_t before = lisp::heapBytes();
    lisp.setLimits({0, before + (4u << 20)});
    // Doubling a text: refused on the way past 4 MiB; what was built before stays until let go,
    // and its charge goes with it.
    EXPECT_EQ(ev("(setq s \"0123456789abcdef\") (repeat 30 (setq s (strcat s s))) (strlen s)"),
              "error: memory limit reached");
    EXPECT_GE(ev("(strlen s)").size(), 7u);
    EXPECT_EQ(ev("(setq s nil)"), "nil");
    EXPECT_LT(lisp::heapBytes(), before + (64u << 10));
    // A list of a million cells: refused the same way.
    EXPECT_EQ(ev("(setq l nil) (repeat 1000000 (setq l (cons 1 l))) (length l)"), "error: memory limit reached");
    EXPECT_EQ(ev("(setq l nil) (length (vl-catch-all-apply 'list '(1 2)))"), "2");
    EXPECT_LT(lisp::heapBytes(), before + (64u << 10));
    // A text of 1 MiB held a thousand times takes little; joined or printed, it is refused.
    EXPECT_EQ(ev("(setq s \"0123456789abcdef\") (repeat 16 (setq s (strcat s s))) (strlen s)"), "1048576");
    EXPECT_EQ(ev("(setq l nil) (repeat 1000 (setq l (cons s l))) (length l)"), "1000");
    EXPECT_EQ(ev("(strlen (apply 'strcat l))"), "error: memory limit reached");
    EXPECT_EQ(ev("(strlen (vl-princ-to-string l))"), "error: memory limit reached");
    EXPECT_EQ(ev("(strlen (strcat s s))"), "2097152") << "what fits is joined as before";
    EXPECT_EQ(ev("(setq l nil s nil)"), "nil");
    lisp.setLimits({});
    EXPECT_EQ(lisp::heapLimit(), 0u);
}

// A text doubled by each function until the limit stops it, before the function builds its answer.
TEST_F(LispLimits, FunctionsThatBuildTextsOrListsCheckWhatTheyTakeBeforeTheyTakeIt)
{
    const size_t budget = (6u << 20) + (100u << 10);  // room for a text of 2 MiB beside one of 4 MiB
    for (const std::string loop :
         {"(setq s (substr (strcat s s) 2))", "(setq s (strcase (strcat s s) T))", "(setq s (vl-string-subst s \"0\" s))",
          "(setq s (vl-string-translate \"abc\" \"xyz\" (strcat s s)))", "(setq s (vl-string-trim \"x\" (strcat s s)))",
          "(setq s (vl-string-left-trim \"0\" (strcat s s)))", "(setq s (vl-string-right-trim \"f\" (strcat s s)))",
          "(setq s (read (strcat \"\\\"\" s s \"\\\"\")))", "(setq s (strcat s s) l (vl-string->list s))",
          "(setq s (strcat s s) l (vl-string-search \"x\" s))", "(setq s (strcat s s) l (wcmatch s \"*x*\"))",
          "(setq l (append l l (list s)))"}) {
        ev("(setq s nil l nil)");
        lisp.setLimits({0, lisp::heapBytes() + budget});
        const size_t base = liveBytes.load();
        peakBytes = base;
        EXPECT_EQ(ev("(setq s \"0123456789abcdef\") (while T " + loop + ")"), "error: memory limit reached") << loop;
        EXPECT_LT(peakBytes.load() - base, budget + (256u << 10)) << loop;
        lisp.setLimits({});
    }
    // A file opened for reading is held whole: a file larger than the limit is refused.
    const auto file = std::filesystem::temp_directory_path() / ("lisp-limits-" + std::to_string(::getpid()) + ".txt");
    std::ofstream(file) << std::string(2 * budget, 'x');
    lisp.setLimits({0, lisp::heapBytes() + budget});
    EXPECT_EQ(ev("(setq f (open \"" + file.string() + "\" \"r\"))"), "error: memory limit reached");
    lisp.setLimits({});
    EXPECT_EQ(ev("(setq f (open \"" + file.string() + "\" \"r\")) (strlen (read-line f)) (close f)"), "nil");
    std::filesystem::remove(file);
}

}  // namespace
