// lisptest — runs a LISP test file in a korcad session (one drawing open, no module) and
// checks each case against what the file expects.
//
// A case is the LISP code since the previous case, followed by directives:
//   ;input: LINE     a line the next prompt reads (getstring, getreal, ...)
//   ;out: TEXT       a line of expected output (the lines joined with "\n" must equal all the
//                    case printed; without ;out: the output is not checked)
//   ;=> VALUE        ends the case: the last value, as prin1 writes it
//   ;error: MESSAGE  ends the case: the case ends in this unhandled error
// Lines starting with ";;" are comments. Every case runs as the command line runs an
// expression: an unhandled error reaches *error*.
#include "input/InputSource.h"
#include "app/Session.h"

#include "lisp/Printer.h"
#include "lisp/Reader.h"

#include <fstream>
#include <iostream>
#include <sstream>

namespace {

struct Case {
    int line = 0;  // of the directive that ends the case
    std::string code;
    std::vector<std::string> input;
    std::vector<std::string> out;
    bool expectError = false;
    std::string expected;
};

bool startsWith(const std::string& s, const std::string& prefix) { return s.rfind(prefix, 0) == 0; }

std::string after(const std::string& s, const std::string& prefix)
{
    std::string rest = s.substr(prefix.size());
    if (!rest.empty() && rest[0] == ' ')
        rest.erase(0, 1);
    return rest;
}

std::vector<Case> parse(std::istream& in)
{
    std::vector<Case> cases;
    Case current;
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        if (startsWith(line, ";;")) {
            current.code += '\n';
        } else if (startsWith(line, ";input:")) {
            current.input.push_back(after(line, ";input:"));
            current.code += '\n';
        } else if (startsWith(line, ";out:")) {
            current.out.push_back(after(line, ";out:"));
            current.code += '\n';
        } else if (startsWith(line, ";=>") || startsWith(line, ";error:")) {
            current.expectError = startsWith(line, ";error:");
            current.expected = after(line, current.expectError ? ";error:" : ";=>");
            current.line = number;
            cases.push_back(std::move(current));
            current = Case();
        } else {
            current.code += line + '\n';
        }
    }
    return cases;
}

std::string joined(const std::vector<std::string>& lines)
{
    std::string s;
    for (size_t i = 0; i < lines.size(); ++i)
        s += (i ? "\n" : "") + lines[i];
    return s;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: lisptest FILE.lsp\n";
        return 2;
    }
    std::ifstream file(argv[1]);
    if (!file) {
        std::cerr << "lisptest: cannot read " << argv[1] << "\n";
        return 2;
    }
    std::vector<Case> cases = parse(file);

    korcad::Options options;
    options.noLoad = true;
    std::istringstream noInput;
    std::ostringstream output, errors;
    korcad::Session session(options, noInput, output, errors);
    if (!session.start()) {
        std::cerr << errors.str();
        return 1;
    }
    auto* queue = new korcad::QueueInput();
    session.setInput(std::unique_ptr<korcad::InputSource>(queue));
    lisp::Interpreter& lisp = session.lisp();

    int passed = 0, failed = 0;
    for (const Case& c : cases) {
        for (const auto& line : c.input)
            queue->push(line);
        output.str("");
        std::string got;
        bool gotError = false;
        try {
            lisp::Reader reader(c.code, lisp.symbols());
            lisp::Value value;
            while (auto form = reader.next())
                value = lisp.evalTop(*form);
            got = lisp::toString(value, true);
        } catch (const lisp::LispError& e) {
            gotError = true;
            got = e.message();
        }
        std::string problem;
        if (gotError != c.expectError || got != c.expected)
            problem = std::string("expected ") + (c.expectError ? "error: " : "value: ") +
                      c.expected + "\n    got " + (gotError ? "error: " : "value: ") + got;
        else if (!c.out.empty() && output.str() != joined(c.out))
            problem = "expected output:\n" + joined(c.out) + "\n    got output:\n" + output.str();
        if (problem.empty()) {
            ++passed;
        } else {
            ++failed;
            std::cout << argv[1] << ":" << c.line << ": FAILED\n    " << problem << "\n";
        }
    }
    std::cout << passed << " passed, " << failed << " failed\n";
    return failed == 0 && passed > 0 ? 0 : 1;
}
