// The translation between LISP values and result-buffer chains, at the level of the chains.
#include "cad/AdsBridge.h"

#include "lisp/Printer.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace {

using lisp::Value;

struct Chain {
    std::vector<short> types;
    std::vector<resbuf> entries;
};

Chain inspect(const resbuf* rb)
{
    Chain c;
    for (; rb; rb = rb->rbnext) {
        c.types.push_back(rb->restype);
        c.entries.push_back(*rb);
    }
    return c;
}

class Bridge : public ::testing::Test {
protected:
    ads::RbPtr chainOf(const std::string& argsText)
    {
        Value list = lisp.read(argsText);
        std::vector<Value> args;
        for (const Value* p = &list; p->isCons(); p = &p->consCell()->cdr)
            args.push_back(p->consCell()->car);
        return korcad::toResbufChain(lisp::Args(args.data(), args.size()));
    }
    std::string read(const resbuf* rb) { return lisp::toString(korcad::fromResbuf(lisp, rb), true); }

    lisp::Interpreter lisp;
};

TEST_F(Bridge, IntegersAreShortWithinSixteenBitsAndLongBeyond)
{
    auto chain = chainOf("(-32768 32767 -32769 32768 2147483647)");
    Chain c = inspect(chain.get());
    ASSERT_EQ(c.types, (std::vector<short>{RTSHORT, RTSHORT, RTLONG, RTLONG, RTLONG}));
    EXPECT_EQ(c.entries[0].resval.rint, -32768);
    EXPECT_EQ(c.entries[1].resval.rint, 32767);
    EXPECT_EQ(c.entries[2].resval.rlong, -32769);
    EXPECT_EQ(c.entries[3].resval.rlong, 32768);
    EXPECT_EQ(c.entries[4].resval.rlong, 2147483647);
}

TEST_F(Bridge, StringsGoOverAsWideText)
{
    auto chain = chainOf("(\"Grüße €\" \"\")");
    ASSERT_EQ(chain->restype, RTSTR);
    EXPECT_EQ(std::wstring(chain->resval.rstring), L"Grüße €");
    EXPECT_EQ(std::wstring(chain->rbnext->resval.rstring), L"");
    EXPECT_EQ(read(chain.get()), "\"Grüße €\"");
}

TEST_F(Bridge, ListsAndDottedPairsAreBracketed)
{
    auto chain = chainOf("((1 (2.5 . \"a\")) nil T)");
    EXPECT_EQ(inspect(chain.get()).types,
              (std::vector<short>{RTLB, RTSHORT, RTLB, RTREAL, RTDOTE, RTSTR, RTLE, RTLE, RTNIL,
                                  RTT}));
    EXPECT_EQ(read(chain.get()), "(1 (2.5 . \"a\"))");
    EXPECT_EQ(chainOf("()").get(), nullptr);
}

TEST_F(Bridge, OnlyTheFirstValueOfAChainIsRead)
{
    ads::RbPtr chain(acutBuildList(RTSHORT, 1, RTSTR, L"rest", 0));
    EXPECT_EQ(read(chain.get()), "1");
    EXPECT_EQ(read(nullptr), "nil");
}

TEST_F(Bridge, PointsAndSpecialAnswersRead)
{
    double p2[3] = {1.0, 2.0, 0.0}, p3[3] = {1.0, 2.0, 3.5};
    ads::RbPtr two(acutBuildList(RTPOINT, p2, 0));
    ads::RbPtr three(acutBuildList(RT3DPOINT, p3, 0));
    ads::RbPtr voidAnswer(acutBuildList(RTVOID, 0));
    ads::RbPtr t(acutBuildList(RTT, 0));
    EXPECT_EQ(read(two.get()), "(1.0 2.0)");
    EXPECT_EQ(read(three.get()), "(1.0 2.0 3.5)");
    EXPECT_EQ(read(voidAnswer.get()), "nil");
    EXPECT_EQ(read(t.get()), "T");
}

TEST_F(Bridge, MalformedChainsAreLispErrors)
{
    auto expectError = [&](resbuf* raw, const std::string& part) {
        ads::RbPtr chain(raw);
        try {
            read(chain.get());
            ADD_FAILURE() << "no error for " << part;
        } catch (const lisp::LispError& e) {
            EXPECT_NE(e.message().find(part), std::string::npos) << e.message();
        }
    };
    expectError(acutBuildList(RTLE, 0), "RTLE without RTLB");
    expectError(acutBuildList(RTLB, RTSHORT, 1, 0), "RTLB without RTLE");
    expectError(acutBuildList(RTLB, RTDOTE, RTSHORT, 1, RTLE, 0), "misplaced RTDOTE");
    expectError(acutBuildList(RTLB, RTSHORT, 1, RTDOTE, RTLE, 0), "RTDOTE without a value");
    expectError(acutBuildList(RTLB, RTSHORT, 1, RTDOTE, RTSHORT, 2, RTSHORT, 3, RTLE, 0),
                "value after the tail");
    expectError(acutNewRb(5011), "unknown result type from application: 5011");
}

TEST_F(Bridge, ValuesWithoutResbufFormAreRefused)
{
    EXPECT_THROW(chainOf("(SYMBOL)"), lisp::LispError);
    EXPECT_THROW(chainOf("((1 SYMBOL))"), lisp::LispError);
    EXPECT_EQ(korcad::adsRequestError("korDialog_FragBox"), "ADS request error: korDialog_FragBox");
}

}  // namespace
