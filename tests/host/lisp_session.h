// lisp_session.h — the fixture of the LISP library tests: a korcad session (one drawing, no
// module) whose interpreter evaluates code as the command line does.
#pragma once

#include "app/Session.h"

#include "lisp/Printer.h"
#include "lisp/Reader.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

class LispSession : public ::testing::Test {
protected:
    void SetUp() override
    {
        korcad::Options o;
        o.noLoad = true;
        session_ = std::make_unique<korcad::Session>(o, in_, out_, err_);
        ASSERT_TRUE(session_->start()) << err_.str();
    }

    lisp::Interpreter& lisp() { return session_->lisp(); }
    korcad::Session& session() { return *session_; }

    // The value of the last expression as prin1 writes it, or "error: MESSAGE".
    std::string ev(const std::string& code)
    {
        try {
            lisp::Reader reader(code, lisp().symbols());
            lisp::Value value;
            while (auto form = reader.next())
                value = lisp().evalTop(*form);
            return lisp::toString(value, true);
        } catch (const lisp::LispError& e) {
            return "error: " + e.message();
        }
    }

    // What the code printed on the command line, and nothing from before.
    std::string printed(const std::string& code)
    {
        out_.str("");
        ev(code);
        return out_.str();
    }

    // Each pair: code and what ev answers for it.
    void expectAll(const std::vector<std::pair<std::string, std::string>>& cases)
    {
        for (const auto& [code, expected] : cases)
            EXPECT_EQ(ev(code), expected) << "for " << code;
    }

private:
    std::istringstream in_;
    std::ostringstream out_, err_;
    std::unique_ptr<korcad::Session> session_;
};
