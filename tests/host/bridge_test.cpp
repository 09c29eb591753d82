// Result-buffer chains an application hands back, read as LISP values: what no well-behaved
// application (lisp/external.lsp) sends.
#include "cad/AdsBridge.h"

#include "lisp/Printer.h"

#include <gtest/gtest.h>

namespace {

class Bridge : public ::testing::Test {
protected:
    std::string read(resbuf* raw)
    {
        ads::RbPtr chain(raw);
        return lisp::toString(korcad::fromResbuf(lisp, chain.get()), true);
    }
    lisp::Interpreter lisp;
};

TEST_F(Bridge, TheFirstValueOfAChainIsReadPointsAsLists)
{
    double p2[3] = {1.0, 2.0, 0.0}, p3[3] = {1.0, 2.0, 3.5};
    EXPECT_EQ(read(acutBuildList(RTSHORT, 1, RTSTR, L"rest", 0)) + " " + read(nullptr) + " " +
                  read(acutBuildList(RTPOINT, p2, 0)) + " " + read(acutBuildList(RT3DPOINT, p3, 0)),
              "1 nil (1.0 2.0) (1.0 2.0 3.5)");
}

TEST_F(Bridge, MalformedChainsAreLispErrors)
{
    const std::pair<resbuf*, std::string> cases[] = {
        {acutBuildList(RTLE, 0), "RTLE without RTLB"},
        {acutBuildList(RTLB, RTSHORT, 1, 0), "RTLB without RTLE"},
        {acutBuildList(RTLB, RTDOTE, RTSHORT, 1, RTLE, 0), "misplaced RTDOTE"},
        {acutBuildList(RTLB, RTSHORT, 1, RTDOTE, RTLE, 0), "RTDOTE without a value"},
        {acutBuildList(RTLB, RTSHORT, 1, RTDOTE, RTSHORT, 2, RTSHORT, 3, RTLE, 0), "value after the tail"},
        {acutNewRb(5011), "unknown result type from application: 5011"}};
    for (const auto& [chain, part] : cases) {
        try {
            read(chain);
            ADD_FAILURE() << "no error for " << part;
        } catch (const lisp::LispError& e) {
            EXPECT_NE(e.message().find(part), std::string::npos) << e.message();
        }
    }
}

}  // namespace
