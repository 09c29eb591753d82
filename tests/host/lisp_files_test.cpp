// Files from LISP: open / read / write / close in both encodings, printing to a file, and the
// file-system functions; end to end through korcad with the sample program rohrliste.lsp.
#include "lisp_session.h"

#include "run_process.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

namespace {

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

void writeBytes(const fs::path& p, const std::string& bytes)
{
    std::ofstream(p, std::ios::binary) << bytes;
}

// A session with a fresh directory, known to LISP as `dir` (with a trailing '/').
class LispFiles : public LispSession {
protected:
    void SetUp() override
    {
        LispSession::SetUp();
        char tmpl[] = "/tmp/korlisp-files-XXXXXX";
        ASSERT_NE(mkdtemp(tmpl), nullptr);
        dir_ = tmpl;
        ev("(setq dir \"" + dir_.string() + "/\")");
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::current_path(home_, ec);
        fs::remove_all(dir_, ec);
    }
    fs::path dir_;
    fs::path home_ = fs::current_path();
};

TEST_F(LispFiles, WritesAndReadsLinesAndCharacters)
{
    expectAll({
        {"(setq f (open (strcat dir \"a.txt\") \"w\"))", "#<file \"" + dir_.string() + "/a.txt\">"},
        {"(type f)", "FILE"},
        {"(write-line \"Grüße\" f)", "\"Grüße\""},
        {"(write-char 65 f)", "65"},
        {"(write-char 10 f)", "10"},
        {"(princ \"a\\\"b\" f)", "\"a\\\"b\""},
        {"(prin1 \"a\\\"b\" f)", "\"a\\\"b\""},
        {"(print 1.5 f)", "1.5"},
        {"(close f)", "nil"},
    });
    EXPECT_EQ(slurp(dir_ / "a.txt"), "Grüße\nA\na\"b\"a\\\"b\"\n1.5 ");
    expectAll({
        {"(setq f (open (strcat dir \"a.txt\") \"r\"))", "#<file \"" + dir_.string() + "/a.txt\">"},
        {"(read-line f)", "\"Grüße\""},
        {"(list (read-char f) (read-char f))", "(65 10)"},
        {"(read-line f)", "\"a\\\"b\\\"a\\\\\\\"b\\\"\""},
        {"(read-line f)", "\"1.5 \""},
        {"(list (read-line f) (read-char f))", "(nil nil)"},
        {"(close f)", "nil"},
    });
}

TEST_F(LispFiles, AppendsAndReadsWindowsFiles)
{
    // Written on Windows: Windows-1252 and CR LF.
    writeBytes(dir_ / "win.csv", "Gr\xFCn;1\r\nWei\xDF;2\r\n");
    expectAll({
        {"(setq f (open (strcat dir \"win.csv\") \"r\"))", "#<file \"" + dir_.string() + "/win.csv\">"},
        {"(read-line f)", "\"Grün;1\""},
        {"(read-char f)", "87"},
        {"(read-line f)", "\"eiß;2\""},
        {"(read-line f)", "nil"},
        {"(close f)", "nil"},
        {"(setq f (open (strcat dir \"win.csv\") \"a\"))", "#<file \"" + dir_.string() + "/win.csv\">"},
        {"(write-line \"Blau;3\" f)", "\"Blau;3\""},
        {"(close f)", "nil"},
    });
    EXPECT_EQ(slurp(dir_ / "win.csv"), "Gr\xFCn;1\r\nWei\xDF;2\r\nBlau;3\n");
    // A UTF-8 file with CR LF: each line end reads as one 10.
    writeBytes(dir_ / "u.txt", "ä\r\nb");
    EXPECT_EQ(ev("(setq f (open (strcat dir \"u.txt\") \"r\")) (list (read-char f) (read-char f) "
                 "(read-char f) (read-char f))"),
              "(228 10 98 nil)");
}

TEST_F(LispFiles, OpenAndUseRefuseWhatCannotWork)
{
    expectAll({
        {"(open (strcat dir \"missing.txt\") \"r\")", "nil"},
        {"(open (strcat dir \"no/such/dir/x.txt\") \"w\")", "nil"},
        {"(open dir \"w\")", "nil"},  // a directory
        {"(open (strcat dir \"x\") \"x\")", "error: bad argument value: file mode: \"x\""},
        {"(open (strcat dir \"x\") \"R\")", "error: bad argument value: file mode: \"R\""},
        {"(open 1 \"r\")", "error: bad argument type: stringp 1"},
        {"(open \"x\" nil)", "error: bad argument type: stringp nil"},
        {"(princ \"x\" 5)", "error: bad argument type: streamp 5"},
        {"(write-line \"x\" \"file\")", "error: bad argument type: streamp \"file\""},
        {"(read-line nil)", "error: bad argument type: streamp nil"},
        {"(write-char 0 nil)", "error: bad argument value: character code: 0"},
    });
    std::string name = dir_.string() + "/r.txt";
    writeBytes(name, "x\n");
    std::string shown = "#<file \"" + name + "\">";
    expectAll({
        {"(setq w (open (strcat dir \"w.txt\") \"w\") r (open (strcat dir \"r.txt\") \"r\")) nil", "nil"},
        {"(write-line \"x\" r)", "error: bad argument type: streamp " + shown},
        {"(read-line w)", "error: bad argument type: streamp #<file \"" + dir_.string() + "/w.txt\">"},
        {"(close r)", "nil"},
        {"(read-line r)", "error: bad argument type: streamp " + shown},
        {"(close r)", "error: bad argument type: streamp " + shown},
        {"(close w)", "nil"},
    });
    // Without a file the command line gets it.
    EXPECT_EQ(printed("(write-line \"Zeile\") (write-char 33)"), "Zeile\n!");
}

TEST_F(LispFiles, FindfileLooksHereThenAlongTheSupportPath)
{
    fs::create_directories(dir_ / "here");
    fs::create_directories(dir_ / "support");
    writeBytes(dir_ / "here" / "local.lsp", "");
    writeBytes(dir_ / "support" / "shared.lsp", "");
    writeBytes(dir_ / "support" / "local.lsp", "");
    fs::current_path(dir_ / "here");
    // korcad's support path: $KORCAD_APP_PATH, as load searches it.
    lisp().loadPath() = {"/nonexistent", (dir_ / "support").string()};
    expectAll({
        {"(findfile \"local.lsp\")", "\"" + (dir_ / "here" / "local.lsp").string() + "\""},
        {"(findfile \"shared.lsp\")", "\"" + (dir_ / "support" / "shared.lsp").string() + "\""},
        {"(findfile \"nowhere.lsp\")", "nil"},
        {"(findfile \"\")", "nil"},
        {"(findfile (strcat dir \"support/shared.lsp\"))",
         "\"" + (dir_ / "support" / "shared.lsp").string() + "\""},
        {"(findfile \"support\")", "nil"},  // directories are no files
        {"(findfile 'x)", "error: bad argument type: stringp X"},
    });
}

TEST_F(LispFiles, CopyRenameDeleteSizeAndDirectories)
{
    writeBytes(dir_ / "a.txt", "12345");
    writeBytes(dir_ / "noext", "");
    expectAll({
        {"(vl-file-size (strcat dir \"a.txt\"))", "5"},
        {"(vl-file-size dir)", "0"},
        {"(vl-file-size (strcat dir \"none\"))", "nil"},
        {"(vl-file-copy (strcat dir \"a.txt\") (strcat dir \"b.txt\"))", "5"},
        {"(vl-file-copy (strcat dir \"a.txt\") (strcat dir \"b.txt\"))", "nil"},  // exists
        {"(vl-file-copy (strcat dir \"a.txt\") (strcat dir \"b.txt\") T)", "5"},   // appended
        {"(vl-file-size (strcat dir \"b.txt\"))", "10"},
        {"(vl-file-copy (strcat dir \"none\") (strcat dir \"c.txt\"))", "nil"},
        {"(vl-file-rename (strcat dir \"b.txt\") (strcat dir \"a.txt\"))", "nil"},  // target exists
        {"(vl-file-rename (strcat dir \"b.txt\") (strcat dir \"c.txt\"))", "T"},
        {"(vl-file-rename (strcat dir \"b.txt\") (strcat dir \"d.txt\"))", "nil"},
        {"(vl-mkdir (strcat dir \"sub\"))", "T"},
        {"(vl-mkdir (strcat dir \"sub\"))", "nil"},
        {"(vl-mkdir (strcat dir \"x/y/z\"))", "nil"},
        {"(list (vl-file-directory-p (strcat dir \"sub\")) (vl-file-directory-p (strcat dir \"a.txt\")) "
         "(vl-file-directory-p (strcat dir \"none\")))",
         "(T nil nil)"},
        {"(vl-directory-files dir)", "(\".\" \"..\" \"a.txt\" \"c.txt\" \"noext\" \"sub\")"},
        {"(vl-directory-files dir \"*.TXT\" 1)", "(\"a.txt\" \"c.txt\")"},
        {"(vl-directory-files dir nil -1)", "(\".\" \"..\" \"sub\")"},
        {"(vl-directory-files dir \"c*\")", "(\"c.txt\")"},
        {"(vl-directory-files dir \"*.*\" 1)", "(\"a.txt\" \"c.txt\" \"noext\")"},
        {"(vl-directory-files dir \"?.txt\" 1)", "(\"a.txt\" \"c.txt\")"},
        {"(vl-directory-files dir \"#*\" 1)", "nil"},  // # is no wildcard here
        {"(vl-directory-files (strcat dir \"none\"))", "nil"},
        {"(vl-file-delete (strcat dir \"c.txt\"))", "T"},
        {"(vl-file-delete (strcat dir \"c.txt\"))", "nil"},
        {"(vl-file-delete (strcat dir \"sub\"))", "nil"},  // not a file
        {"(vl-file-delete nil)", "error: bad argument type: stringp nil"},
        {"(length (vl-file-systime (strcat dir \"a.txt\")))", "8"},
        {"(> (car (vl-file-systime (strcat dir \"a.txt\"))) 2020)", "T"},
        {"(vl-file-systime (strcat dir \"none\"))", "nil"},
        {"(vl-file-systime dir)", "nil"},
    });
    EXPECT_FALSE(fs::exists(dir_ / "c.txt"));
    EXPECT_EQ(slurp(dir_ / "a.txt"), "12345");
}

TEST_F(LispFiles, FileNamesTakenApart)
{
    expectAll({
        {"(vl-filename-base \"c:\\\\acadwin\\\\file.dwg\")", "\"file\""},
        {"(vl-filename-base \"/a/b.tar.gz\")", "\"b.tar\""},
        {"(vl-filename-base \"/a/.profile\")", "\".profile\""},
        {"(vl-filename-base \"\")", "\"\""},
        {"(vl-filename-extension \"c:\\\\acadwin\\\\file.dwg\")", "\".dwg\""},
        {"(list (vl-filename-extension \"file\") (vl-filename-extension \"file.\") "
         "(vl-filename-extension \"/a.b/c\"))",
         "(nil nil nil)"},
        {"(vl-filename-directory \"c:\\\\acadwin\\\\file.dwg\")", "\"c:\\\\acadwin\""},
        {"(vl-filename-directory \"/home/u/plan.dxf\")", "\"/home/u\""},
        {"(vl-filename-directory \"/plan.dxf\")", "\"/\""},
        {"(vl-filename-directory \"file.dwg\")", "\"\""},
        {"(vl-filename-base 5)", "error: bad argument type: stringp 5"},
    });
    std::string name = ev("(setq tmp (vl-filename-mktemp \"rohr.csv\" dir))");
    EXPECT_TRUE(name.rfind("\"" + dir_.string() + "/rohr", 0) == 0) << name;
    EXPECT_EQ(ev("(wcmatch (vl-filename-base tmp) \"rohr[0-9a-f][0-9a-f][0-9a-f]\")"), "T");
    EXPECT_EQ(ev("(vl-filename-extension tmp)"), "\".csv\"");
    EXPECT_EQ(ev("(findfile tmp)"), "nil") << "a name, not a file";
    EXPECT_NE(ev("(vl-filename-mktemp \"rohr.csv\" dir)"), name) << "a new name each time";
    EXPECT_EQ(ev("(wcmatch (vl-filename-mktemp) \"*/$VL~~???\")"), "T");
    EXPECT_EQ(ev("(wcmatch (vl-filename-mktemp \"abcdefgh\" dir \".tmp\") \"*/abcde???.tmp\")"), "T");
}

TEST_F(LispFiles, Getenv)
{
    setenv("KORLISP_TEST_VAR", "Wert äöü", 1);
    expectAll({
        {"(getenv \"KORLISP_TEST_VAR\")", "\"Wert äöü\""},
        {"(getenv \"KORLISP_NO_SUCH_VAR\")", "nil"},
        {"(getenv nil)", "error: bad argument type: stringp nil"},
        {"(setenv \"KORLISP_TEST_SET\" \"1\")", "\"1\""},
        {"(getenv \"KORLISP_TEST_SET\")", "\"1\""},
        {"(setenv \"A=B\" \"1\")", "error: bad argument value: environment variable name: \"A=B\""},
        {"(setenv \"X\" 1)", "error: bad argument type: stringp 1"},
    });
    unsetenv("KORLISP_TEST_SET");
    unsetenv("KORLISP_TEST_VAR");
}

// As a person runs it: korcad writes a file and reads it back, in one command line.
TEST(LispFilesCommand, KorcadWritesAndReadsAFile)
{
    TempFile place("unused.txt", "");
    std::string file = place.dir() + "/out.txt";
    auto r = runProcess({KORCAD_PATH, "--no-load", "-e",
                         "(setq f (open \"" + file + "\" \"w\")) (write-line \"Zeile 1\" f) "
                         "(princ 42 f) (close f)",
                         "-e", "(setq f (open \"" + file + "\" \"r\")) (list (read-line f) (read-line f) (read-line f))"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "nil\n(\"Zeile 1\" \"42\" nil)\n");
}

TEST(LispFilesCommand, FindfileSearchesTheApplicationPath)
{
    TempFile shared("gemeinsam.lsp", "");
    ProcessEnv env{{{"KORCAD_APP_PATH", "/nonexistent:" + shared.dir()}}, {}};
    auto r = runProcess({KORCAD_PATH, "--no-load", "-e", "(findfile \"gemeinsam.lsp\")", "-e",
                         "(findfile \"fehlt.lsp\")"},
                        "", env);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "\"" + shared.path() + "\"\nnil\n");
}

// The sample program: a pipe list written as CSV with rtos-formatted lengths, read back.
TEST(LispFilesCommand, RohrlisteWritesAndReadsItsCsv)
{
    TempFile place("unused.txt", "");
    std::string csv = place.dir() + "/rohre.csv";
    auto r = runProcess({KORCAD_PATH, "--no-load", EXAMPLES_DIR "/rohrliste.lsp", "-e",
                         "(rohr:csv-schreiben \"" + csv +
                             "\" '((\"W-101\" 12.5) (\"W-102; Abzweig\" 3.25) (\"Ring \\\"Nord\\\"\" 100)))",
                         "-e", "(rohr:csv-lesen \"" + csv + "\")"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(slurp(csv),
              "Name;Laenge\n"
              "W-101;12.50\n"
              "\"W-102; Abzweig\";3.25\n"
              "\"Ring \"\"Nord\"\"\";100.00\n");
    EXPECT_EQ(r.out, "3\n((\"W-101\" 12.5) (\"W-102; Abzweig\" 3.25) (\"Ring \\\"Nord\\\"\" 100.0))\n");

    auto demo = runProcess({KORCAD_PATH, "--no-load", EXAMPLES_DIR "/rohrliste.lsp", "-e", "(c:rohrliste)"});
    EXPECT_EQ(demo.exitCode, 0) << demo.err;
    EXPECT_NE(demo.out.find("W-101"), std::string::npos) << demo.out;
    EXPECT_NE(demo.out.find("Summe"), std::string::npos) << demo.out;
}

}  // namespace
