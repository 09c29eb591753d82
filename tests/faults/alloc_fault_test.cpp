// Allocation failure, injected into every allocation in turn, of the LISP value library, a
// module call through the host and a text lookup: the operation ends with std::bad_alloc (a
// module call with an error status), nothing is left half-made, and the next operation works.
#include "dialog_args.h"
#include "lisp_call.h"
#include "test_db.h"

#include "db/kordb.h"
#include "kor/adslisp.h"

#include <sqlite3.h>

#include <atomic>
#include <cstdlib>
#include <cstdio>
#include <new>

#include "failing_allocator.h"

namespace {

CKORAdsLispVar sampleList()
{
    using V = CKORAdsLispVar;
    const V inner = dialogtest::list({V(L"Überflurhydrant DN 100"), V(2.5)});
    CKORAdsLispVar list;
    for (int i = 0; i < 6; ++i)
        list.Append(dialogtest::list({V(i), V(L"Zeile mit etwas längerem Text, damit er nicht klein bleibt"), inner}));
    return list;
}

TEST(AllocationFailure, LispValuesAreWholeOrNotThere)
{
    const CKORAdsLispVar expected = sampleList();
    ads::RbPtr rb(CKORAdsLisp::ToResbuf(expected));
    const std::string shown = dialogtest::show(expected);
    long injected = failEachAllocation(
        [&] {
            CKORAdsLispVar copy = CKORAdsLisp::FromResbuf(rb.get());
            ads::RbPtr again(CKORAdsLisp::ToResbuf(copy));
            CKORAdsLispVar back = CKORAdsLisp::FromResbuf(again.get());
            if (dialogtest::show(back) != shown)
                throw std::runtime_error("changed");
        },
        [&](long n) { EXPECT_EQ(dialogtest::show(CKORAdsLisp::FromResbuf(rb.get())), shown) << "after allocation " << n; });
    EXPECT_GT(injected, 10);
}

class AllocationFailureInCalls : public dialogtest::ModuleFixture {};

TEST_F(AllocationFailureInCalls, AModuleCallEndsWithAnErrorAndTheNextCallAnswers)
{
    // FragBox's last argument check fails: all its checks and its log line run, no dialog opens.
    using V = CKORAdsLispVar;
    resbuf* head = nullptr;
    resbuf** tail = &head;
    for (const V& v : {V(L"WASSER"), V(L"TEXTE"), dialogtest::list({V(L"A"), V(0)}), dialogtest::list({V(1), V(2)})})
        for (*tail = CKORAdsLisp::ToResbuf(v); *tail; tail = &(*tail)->rbnext) {
        }
    ads::RbPtr rb(head);
    auto answers = [&] {
        korcad::CallResult r = host.invoke(L"korDialog_FragBox", rb.get());
        return r.hasValue ? dialogtest::show(CKORAdsLisp::FromResbuf(r.value.get())) : std::string("no value");
    };
    ASSERT_EQ(answers(), "(-6)");
    ::testing::internal::CaptureStderr();
    long injected = failEachAllocation(
        [&] {
            korcad::CallResult r = host.invoke(L"korDialog_FragBox", rb.get());
            if (!r.hasValue)
                throw std::bad_alloc();  // the host ended the call: the failure reached it
            EXPECT_EQ(dialogtest::show(CKORAdsLisp::FromResbuf(r.value.get())), "(-6)");
        },
        [&](long n) { EXPECT_EQ(answers(), "(-6)") << "after allocation " << n; });
    std::string err = ::testing::internal::GetCapturedStderr();
    EXPECT_GT(injected, 5);
    EXPECT_NE(err.find("korcad: not enough memory for an application's call"), std::string::npos) << err;
}

TEST(AllocationFailure, ATextLookupFailsWholeAndTheNextLookupAnswers)
{
    const std::string file = testing::TempDir() + "/alloc-fault-wasser-" + std::to_string(::getpid()) + ".sqlite";
    ASSERT_EQ(testdb::sqliteFile(file, testdb::textTable({{1, "Länge [m]"}, {2, "Material"}})), "");
    ASSERT_TRUE(kordb::setDatabase("WASSER", file));
    kordb::setDiagnosticSink([](const std::string&) {});
    auto lookup = [] {
        std::wstring table;
        if (!kordb::resolve(L"DB_WASSER", L"TEXTE", table))
            return std::wstring(L"(not resolved)");
        CKORRltbRecordset rs;
        if (!kor_reltab::Query(CString((L"SELECT Text FROM \"" + table + L"\" WHERE Identifier = 2").c_str()), rs))
            return std::wstring(L"(no answer)");
        return std::wstring(rs.GetFieldChar(L"Text", 1).GetString());
    };
    long injected = failEachAllocation(
        [&] {
            kordb::closeAll();  // every round opens, resolves and prepares anew
            if (lookup() != L"Material")
                throw std::bad_alloc();  // a failure the layer answered with false
        },
        [&](long n) { EXPECT_EQ(lookup(), L"Material") << "after allocation " << n; });
    EXPECT_GT(injected, 5);
    kordb::setDiagnosticSink(nullptr);
    kordb::clearHostDatabases();
    kordb::closeAll();
    std::remove(file.c_str());
}

}  // namespace
