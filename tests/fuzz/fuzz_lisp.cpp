// Fuzz target: korcad's LISP reader and evaluator on any text.
//
// Each input is read as LISP source and every expression is evaluated under the interpreter's
// limits, so a program that loops or grows without end stops with a LISP error rather than
// the fuzzer's timeout or memory limit. What the program prints goes nowhere. Functions that
// reach the file system for writing, or that could block on a device (open, load), are
// removed first: the inputs are the fuzzer's, not a user's.
#include "lisp/Interpreter.h"
#include "lisp/Printer.h"
#include "lisp/Reader.h"

#include <cstddef>
#include <cstdint>
#include <ostream>
#include <streambuf>
#include <string_view>

namespace {

class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

NullBuffer nullBuffer;
std::ostream nowhere(&nullBuffer);

constexpr const char* kRemoved[] = {"open", "load", "vl-file-delete", "vl-file-rename", "vl-file-copy",
                                    "vl-mkdir", "setenv", "vl-directory-files", "vl-filename-mktemp",
                                    "findfile", "vl-file-directory-p", "vl-file-size", "vl-file-systime"};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    lisp::Interpreter lisp;
    lisp.setOutput(nowhere);
    for (const char* name : kRemoved)
        lisp.setSymbolValue(name, lisp::Value());
    lisp.setLimits({20000, 16u << 20});
    std::string_view text(reinterpret_cast<const char*>(data), size);
    // As the command line does: one expression after the other, each through *error*; an
    // error is an answer (the text was wrong, or a limit was reached) and the next one runs.
    lisp::Reader reader(text, lisp.symbols());
    for (;;) {
        std::optional<lisp::Value> form;
        try {
            form = reader.next();
        } catch (const lisp::LispError&) {
            break;  // the rest of the text cannot be read
        }
        if (!form)
            break;
        try {
            lisp::Value v = lisp.evalTop(*form);
            // Printing is part of the way back to the user: every value must print.
            lisp::toString(v, true);
            lisp::toString(v, false);
        } catch (const lisp::LispError&) {
        }
    }
    return 0;
}
