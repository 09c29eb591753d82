// The interpreter's limits: evaluation steps and the memory LISP data takes, for programs that
// may never end (a batch run, input of unknown origin).
#include "lisp_session.h"

namespace {

class LispLimits : public LispSession {};

TEST_F(LispLimits, StepsStopLoopsRecursionStarErrorAndCatchAllAlike)
{
    lisp().setLimits({5000, 0});
    EXPECT_EQ(ev("(setq i 0) (while T (setq i (1+ i)))"), "error: step limit reached");
    EXPECT_EQ(lisp().stepsTaken(), 5000u);
    // Once reached, nothing evaluates any more: not a caught call, not *error*.
    EXPECT_EQ(ev("(vl-catch-all-apply '+ '(1 2))"), "error: step limit reached");
    EXPECT_EQ(ev("1"), "error: step limit reached") << "every evaluation is a step";

    // A fresh allowance: a catch does not let a loop around it past the limit, and a
    // *error* that loops ends too.
    lisp().setLimits({20000, 0});
    EXPECT_EQ(ev("(defun f () (/ 1 0)) (while T (vl-catch-all-apply 'f nil))"), "error: step limit reached");
    lisp().setLimits({20000, 0});
    EXPECT_EQ(ev("(defun *error* (m) (while T nil)) (car 1)"), "error: step limit reached");
    lisp().setLimits({20000, 0});
    EXPECT_EQ(ev("(setq *error* nil) (defun down (n) (if (> n 0) (1+ (down (1- n))) 0)) (down 100)"), "100");
    EXPECT_EQ(ev("(down 100000)"), "error: step limit reached");

    // No limit: the count stays at zero.
    lisp().setLimits({});
    EXPECT_EQ(ev("(repeat 10000 (setq i 1))"), "1");
    EXPECT_EQ(lisp().stepsTaken(), 0u);
}

TEST_F(LispLimits, MemoryCountsLiveDataAndRefusesWhatWouldPassTheLimit)
{
    size_t before = lisp::heapBytes();
    lisp().setLimits({0, before + (4u << 20)});
    // Doubling a text: refused on the way past 4 MiB, and the program's *error* still runs
    // once the failing command's data is let go.
    EXPECT_EQ(ev("(setq s \"0123456789abcdef\") (repeat 30 (setq s (strcat s s))) (strlen s)"),
              "error: memory limit reached");
    EXPECT_GE(ev("(strlen s)").size(), 7u) << "what was built before stays";
    EXPECT_EQ(ev("(setq s nil)"), "nil");
    EXPECT_LT(lisp::heapBytes(), before + (64u << 10)) << "the text was let go and its charge with it";

    // A list of a million cells in a loop: refused the same way, whatever builds it.
    EXPECT_EQ(ev("(setq l nil) (repeat 1000000 (setq l (cons 1 l))) (length l)"), "error: memory limit reached");
    EXPECT_EQ(ev("(setq l nil) (length (vl-catch-all-apply 'list '(1 2)))"), "2");
    EXPECT_LT(lisp::heapBytes(), before + (64u << 10));

    // One text of 1 MiB held a thousand times takes little, but joined or printed it would
    // take a gibibyte: refused before it is built.
    EXPECT_EQ(ev("(setq s \"0123456789abcdef\") (repeat 16 (setq s (strcat s s))) (strlen s)"), "1048576");
    EXPECT_EQ(ev("(setq l nil) (repeat 1000 (setq l (cons s l))) (length l)"), "1000");
    EXPECT_EQ(ev("(strlen (apply 'strcat l))"), "error: memory limit reached");
    EXPECT_EQ(ev("(strlen (vl-princ-to-string l))"), "error: memory limit reached");
    EXPECT_EQ(ev("(strlen (strcat s s))"), "2097152") << "what fits is joined as before";
    EXPECT_EQ(ev("(setq l nil s nil)"), "nil");

    lisp().setLimits({});
    EXPECT_EQ(lisp::heapLimit(), 0u);
    EXPECT_EQ(ev("(setq s \"ab\") (repeat 20 (setq s (strcat s s))) (strlen s) (setq s nil)"), "nil");
}

}  // namespace
