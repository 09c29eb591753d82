// The LISP value library: arguments, type tests, lists, SetQ and results handed to the host.
#include "cad/CadHost.h"
#include "kor/adslisp.h"
#include "kor/korcommon.h"

#include "values.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace {

korcad::CadHost& testHost()
{
    static korcad::CadHost host;
    return host;
}

using L = CKORAdsLisp;
using V = CKORAdsLispVar;

// Reads the arguments of a call with these resbufs through Parameter, as a handler does.
template <typename Fn>
void withArgs(resbuf* args, Fn fn)
{
    ads::RbPtr owned(args);
    testHost().callAs(1, args, [&] {
        fn();
        return RSRSLT;
    });
}

V roundTrip(const V& v)
{
    korcad::CallResult r = testHost().callAs(1, nullptr, [&] { return L::Return(v) ? RSRSLT : RSERR; });
    EXPECT_EQ(r.status, RSRSLT);
    return L::FromResbuf(r.value.get());
}

}  // namespace

// Parameter reads nested lists, dotted pairs, points, T; missing arguments are nil.
TEST(LispValues, ParameterReadsEveryKindAndLeavesMissingArgumentsNil)
{
    double pt[3] = {1.5, 2.5, 3.5};
    withArgs(acutBuildList(RTLB, RTSTR, L"a", RTLB, RTLONG, 70000, RTLE, RTLE, RTLB, RTSTR, L"k",
                           RTDOTE, RTREAL, 2.0, RTLE, RT3DPOINT, pt, RTT, RTSHORT, 7, 0),
             [] {
                 V a, b, c, d, e, f;
                 ASSERT_TRUE(L::Parameter(a, b, c, d, e, f));
                 EXPECT_EQ(a.ToString() + L" " + b.ToString() + L" " + c.ToString(),
                           L"(\"a\" (70000)) (\"k\" . 2.0) (1.5 2.5 3.5)");
                 EXPECT_TRUE(L::Type(b) == LISP_DOTTED && !L::ListP(b) && L::Type(d) == LISP_T);
                 EXPECT_TRUE(L::IntP(e) && e.asLong() == 7 && L::Type(f) == LISP_NIL);
                 EXPECT_FALSE(L::NumberP(f) || L::StringP(f) || L::ListP(f) || L::RealP(f) || L::IntP(f));
             });
    V outside;
    EXPECT_FALSE(L::Parameter(outside)) << "no call in progress";
}

TEST(LispValues, TypeCodesAndListOperations)
{
    EXPECT_TRUE(L::Type(V(short(3))) == LISP_INT && L::Type(V(L"s")) == LISP_STRING);
    EXPECT_TRUE(L::NumberP(V(1.5)) && L::NumberP(V(2)) && !L::NumberP(V(L"5")));
    EXPECT_EQ(L::Type(V(static_cast<const wchar_t*>(nullptr))), LISP_NIL);
    // Nth counts from zero; out of range and of a non-list it is nil.
    V list = L::Append(L::List(V(L"a"), V(L"b")), L::List(V(L"c")));
    EXPECT_TRUE(L::Length(list) == 3 && L::Nth(2, list).text() == L"c" && L::Car(list).text() == L"a");
    EXPECT_TRUE(L::Type(L::Nth(3, list)) == LISP_NIL && L::Type(L::Nth(-1, list)) == LISP_NIL);
    EXPECT_TRUE(L::Length(V(5)) == 0 && L::Type(L::Nth(0, V(L"abc"))) == LISP_NIL);
    // Append: the static form copies, the member appends in place, nil itself as nothing.
    V a = L::List(V(1));
    EXPECT_EQ(L::Append(a, L::List(V(2), V(3))).ToString(), L"(1 2 3)");
    EXPECT_EQ(a.ToString(), L"(1)");
    V result;  // a handler's result variable starts nil
    result.Append(V(1)).Append(V(L"c")).Append(L::List(L::List(V(2), V(L"x")))).Append(L::List(L::Nil)).Append(L::Nil);
    EXPECT_EQ(result.ToString(), L"(1 \"c\" (2 \"x\") nil)");
    // Cons makes a dotted pair element.
    V pairs;
    pairs.Append(V(L::Cons(V(L"a"), V(1)))).Append(V(L::Cons(V(L"b"), V(2.5))));
    EXPECT_EQ(pairs.ToString(), L"((\"a\" . 1) (\"b\" . 2.5))");
    EXPECT_EQ(roundTrip(pairs), pairs);
}

// Reals truncate toward zero; out of range, the nearest end, never a wrapped value; no number: no change.
TEST(LispValues, SetQIntoNumbersTruncatesAndSaturatesIntegersAndRealsAlike)
{
    short s = 99;
    int i = 99;
    EXPECT_TRUE(L::SetQ(i, V(-70000)).asLong() == -70000 && i == -70000);
    L::SetQ(i, V(-2.9));
    EXPECT_EQ(i, -2);
    const std::pair<V, short> cases[] = {{V(2.9), 2},        {V(1e9), 32767},      {V(-1e9), -32768},
                                         {V(70000), 32767},  {V(65536), 32767},    {V(-70000), -32768},
                                         {V(32767), 32767},  {V(-32768), -32768},  {V(32768.5), 32767}};
    for (const auto& [value, expected] : cases) {
        EXPECT_EQ(L::SetQ(s, value).asLong(), expected) << std::string(value.ToString().begin(), value.ToString().end());
        EXPECT_EQ(s, expected);
    }
    L::SetQ(i, V(1e12));
    EXPECT_EQ(i, 2147483647) << "an int saturates the same way";
    L::SetQ(i, V(L"12"));
    L::SetQ(s, L::Nil);
    EXPECT_EQ(i, 2147483647) << "a string leaves the target alone";
    EXPECT_EQ(s, 32767) << "nil leaves it alone too";
    double d = 0;
    EXPECT_EQ(L::SetQ(d, V(5)).asReal(), 5.0);
    L::SetQ(d, V(L"x"));
    EXPECT_EQ(d, 5.0);
}

TEST(LispValues, SetQIntoTextsCutsAtTheBufferSize)
{
    std::wstring longText(300, L'x');
    longText[0] = L'Ä';
    V v(longText.c_str());
    wchar_t label[256];
    L::SetQ(label, v, 256);
    EXPECT_EQ(std::wstring(label), longText.substr(0, 255));
    wchar_t untouched[8] = L"keep";
    L::SetQ(untouched, V(3), 8);
    EXPECT_EQ(std::wstring(untouched), L"keep");
    const wchar_t* p = nullptr;
    L::SetQ(p, V(5));
    EXPECT_EQ(p, nullptr) << "a pointer stays null when the value is no string";
    L::SetQ(p, v);
    EXPECT_EQ(p, v.text().c_str()) << "points into the value's own text";
    V target(1);
    L::SetQ(target, L::List(V(L"x")));
    EXPECT_EQ(target.ToString(), L"(\"x\")");
}

TEST(LispValues, BothIntegerWidthsSurviveTheTripToTheHost)
{
    korcad::CallResult r = testHost().callAs(1, nullptr, [] {
        return L::Return(L::List(V(short(-5)), V(100000))) ? RSRSLT : RSERR;
    });
    ASSERT_TRUE(r.value);
    const resbuf* rb = r.value.get()->rbnext;
    EXPECT_TRUE(rb->restype == RTSHORT && rb->resval.rint == -5);
    EXPECT_TRUE(rb->rbnext->restype == RTLONG && rb->rbnext->resval.rlong == 100000);
    EXPECT_EQ(V(static_cast<unsigned long>(4294967295ul)).asLong(), -1);
    for (const V& v : {V(), V::T(), V(2.5), V(L"Straße"), L::List(V(1), L::List(V(2.0), V(L"x")))})
        EXPECT_EQ(roundTrip(v), v) << std::string(v.ToString().begin(), v.ToString().end());
}

TEST(LispValues, ConvertList2StringAcceptsTextsNumbersAndListsOfThem)
{
    CString text, number;
    EXPECT_TRUE(ConvertList2String(L::List(V(L"DB_"), L::List(V(L"WAS"), V(L"SER"))), text) &&
                ConvertList2String(V(17), number));
    EXPECT_EQ(text.str() + L" " + number.str(), L"DB_WASSER 17");
    // Reals print as LISP prints them, in the value's own text and in a converted one.
    for (const auto& r : textvalues::kReals) {
        std::wstring expected(r.text, r.text + std::strlen(r.text));
        EXPECT_EQ(V(r.value).ToString(), expected);
        EXPECT_TRUE(ConvertList2String(L::List(V(L"r="), V(r.value)), text));
        EXPECT_EQ(text.str(), L"r=" + expected);
    }

    text = L"unchanged";
    EXPECT_FALSE(ConvertList2String(L::Nil, text));
    EXPECT_FALSE(ConvertList2String(V(L::Cons(V(1), V(2))), text));
    EXPECT_FALSE(ConvertList2String(L::List(V(L"a"), V::T()), text));
    EXPECT_EQ(text, L"unchanged");
}

// Values as a LISP program builds them: a list in a list in a list ... (repeat n (setq x (list x))).
static resbuf* nestedArgument(int levels, resbuf* after)
{
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (int k = 0; k <= 2 * levels; ++k, tail = &(*tail)->rbnext)
        *tail = acutNewRb(k < levels ? RTLB : k == levels ? RTNIL : RTLE);
    *tail = after;
    return head;
}

TEST(LispValues, AListNestedTooDeepReadsAsNilAndTheNextArgumentsStillRead)
{
    // Just too deep, and far beyond what any stack survives read one level per call.
    for (int levels : {CKORAdsLisp::MaxNesting + 1, 200000}) {
        const int at = levels == 200000 ? 1 : 0;  // that one second: the line names its place
        resbuf* args = nestedArgument(levels, acutBuildList(RTSTR, L"danach", RTSHORT, 3, 0));
        if (at == 1) {
            resbuf* first = acutBuildList(RTSTR, L"davor", 0);
            first->rbnext = args;
            args = first;
        }
        ::testing::internal::CaptureStderr();
        withArgs(args, [&] {
            V v[6];
            ASSERT_TRUE(L::Parameter(v[0], v[1], v[2], v[3], v[4], v[5]));
            EXPECT_EQ(L::Type(v[at]), LISP_NIL) << "so every type check of a handler refuses it";
            EXPECT_TRUE(v[at + 1].text() == L"danach" && v[at + 2].asLong() == 3 && L::Type(v[at + 3]) == LISP_NIL);
        });
        EXPECT_EQ(::testing::internal::GetCapturedStderr(),
                  "korlib: argument " + std::to_string(at + 1) + " is a list nested deeper than 1000 levels; it reads as nil\n");
    }
    // The deepest value that is read keeps its shape.
    ads::RbPtr deepest(nestedArgument(CKORAdsLisp::MaxNesting, nullptr));
    V v = L::FromResbuf(deepest.get());
    int depth = 0;
    for (V p = v; L::ListP(p); p = L::Car(p))
        ++depth;
    EXPECT_EQ(depth, CKORAdsLisp::MaxNesting);
    EXPECT_EQ(roundTrip(v), v);
    ::testing::internal::CaptureStderr();
    ads::RbPtr tooDeep(nestedArgument(50000, nullptr));
    EXPECT_EQ(L::Type(L::FromResbuf(tooDeep.get())), LISP_NIL);
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("a value is a list nested deeper"), std::string::npos);
}
