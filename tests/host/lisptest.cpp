// The LISP test files lisp/*.lsp, one test each (host.Lisp.NAME), each in a korcad session of its
// own (no module) in a fresh current directory, $LISPTEST_DIR. A case is the code since the
// previous case, ended by its expectation (on the code's last line or a line of its own):
//   FORM ;=> VALUE       the last value, as prin1 writes it
//   FORM ;error: TEXT    the case ends in this unhandled error (which reaches *error*)
// Lines before it may give ";input: LINE" (a line the next prompt reads; both are printed) and
// ";out: TEXT" (the case's whole output, its lines joined with "\n"); a file's first line
// ";dwg: FILE" opens that drawing of the examples. ";;" starts a comment. $KORCAD_APP_PATH is the
// folder's "path", lisp/data and the examples.
#include "input/InputSource.h"
#include "app/Session.h"

#include "lisp/Printer.h"
#include "lisp/Reader.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace {

namespace fs = std::filesystem;

struct Case {
    int line = 0;  // where the case ends
    std::string code;
    std::vector<std::string> input, out;
    std::string expected;  // "value: PRINTED" or "error: MESSAGE"
};

// The text after a directive found at `at`, without the blank that follows it.
std::string after(const std::string& s, size_t at, const std::string& directive)
{
    std::string rest = s.substr(at + directive.size());
    return !rest.empty() && rest[0] == ' ' ? rest.substr(1) : rest;
}

// The cases of a file, and the drawing it asks for.
std::vector<Case> parse(std::istream& in, std::string& drawing)
{
    std::vector<Case> cases;
    Case c;
    std::string line;
    for (int number = 1; std::getline(in, line); ++number) {
        size_t value = line.find(";=>"), error = line.find(";error:"), end = std::min(value, error);
        if (line.rfind(";;", 0) == 0)
            continue;
        if (line.rfind(";dwg:", 0) == 0)
            drawing = after(line, 0, ";dwg:");
        else if (line.rfind(";input:", 0) == 0)
            c.input.push_back(after(line, 0, ";input:"));
        else if (line.rfind(";out:", 0) == 0)
            c.out.push_back(after(line, 0, ";out:"));
        else if (end == std::string::npos || (end > 0 && line[end - 1] != ' '))
            c.code += line + '\n';
        else {
            c.code += line.substr(0, end) + '\n';
            c.expected = (end == error ? "error: " : "value: ") + after(line, end, end == error ? ";error:" : ";=>");
            c.line = number;
            cases.push_back(std::move(c));
            c = Case();
        }
    }
    return cases;
}

void runFile(const std::string& path)
{
    std::ifstream file(path);
    std::string drawing;
    std::vector<Case> cases = parse(file, drawing);
    ASSERT_FALSE(cases.empty()) << path << " holds no case";
    char dirTemplate[] = "/tmp/lisptest-Prüfung-XXXXXX";
    ASSERT_TRUE(mkdtemp(dirTemplate));
    const fs::path dir = dirTemplate, home = fs::current_path();
    fs::create_directory(dir / "path");
    fs::current_path(dir);
    setenv("LISPTEST_DIR", dir.c_str(), 1);
    setenv("KORCAD_APP_PATH", ((dir / "path").string() + ":" LISP_TEST_DIR "/data:" EXAMPLES_DIR).c_str(), 1);

    korcad::Options options;
    options.noLoad = true;
    options.drawingGiven = !drawing.empty();
    if (options.drawingGiven)
        options.drawing = EXAMPLES_DIR "/" + drawing;
    std::istringstream noInput;
    std::ostringstream output, errors;
    {
        korcad::Session session(options, noInput, output, errors);
        ASSERT_TRUE(session.start()) << errors.str();
        auto* queue = new korcad::QueueInput(&output);
        session.setInput(std::unique_ptr<korcad::InputSource>(queue));
        lisp::Interpreter& lisp = session.lisp();
        for (const Case& c : cases) {
            for (const auto& line : c.input)
                queue->push(line);
            output.str("");
            std::string got;
            try {
                lisp::Reader reader(c.code, lisp.symbols());
                lisp::Value value;
                while (auto form = reader.next())
                    value = lisp.evalTop(*form);
                got = "value: " + lisp::toString(value, true);
            } catch (const lisp::LispError& e) {
                got = "error: " + e.message();
            }
            std::string out;
            for (size_t i = 0; i < c.out.size(); ++i)
                out += (i ? "\n" : "") + c.out[i];
            if (got != c.expected)
                ADD_FAILURE_AT(path.c_str(), c.line) << "expected " << c.expected << "\n     got " << got;
            else if (!c.out.empty() && output.str() != out)
                ADD_FAILURE_AT(path.c_str(), c.line) << "expected output:\n" << out << "\ngot output:\n" << output.str();
        }
    }
    fs::current_path(home);
    fs::remove_all(dir);
}

struct LispFile : ::testing::Test {
    explicit LispFile(std::string path) : path(std::move(path)) {}
    void TestBody() override { runFile(path); }
    std::string path;
};

const bool registered = [] {
    std::vector<fs::path> files;
    for (const auto& entry : fs::directory_iterator(LISP_TEST_DIR))
        if (entry.path().extension() == ".lsp")
            files.push_back(entry.path());
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files)
        ::testing::RegisterTest("Lisp", f.stem().c_str(), nullptr, nullptr, __FILE__, __LINE__,
                                [f]() -> LispFile* { return new LispFile(f.string()); });
    return true;
}();

}  // namespace
