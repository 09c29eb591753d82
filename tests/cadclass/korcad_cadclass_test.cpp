// The CAD-class assignment as a person uses it: korcad with the module korKlasse and a test
// catalogue, driven by an answers file (picks, the class dialog, the question, the progress).
#include "CatalogueSql.h"
#include "korcad_run.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

// Picks on the hydrants' circles, beside the pipes that run through them.
const char* const kPickH101 = "pick 31.06,1.06\n";
const char* const kPickH103 = "pick 61.06,71.06\n";

// The KOR_ATTRIBUTE data of the three hydrants, in drawing order (H-101, H-102, H-103).
const char* const kHydrantAttributes =
    "(progn (setq ss (ssget \"X\" '((2 . \"HYDRANT\"))) i 0 out nil)"
    " (repeat (sslength ss) (setq out (cons (cdr (assoc -3 (entget (ssname ss i) '(\"KOR_ATTRIBUTE\")))) out) i (1+ i)))"
    " (reverse out))";

class KorcadCadClass : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() /
               ("korcad-cadclass-" + std::to_string(::getpid()) + "-" +
                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        std::filesystem::create_directories(dir_);
        ASSERT_EQ(catdbtest::makeDatabase(path("katalog.sqlite"), catdbtest::dialogCatalogueSql()), "");
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    // korcad on `drawing` with the test catalogue, running `lisp` after loading korKlasse.
    KorcadRun run(const std::string& drawing, const std::vector<std::string>& lisp, const std::string& answers,
                  const std::string& saveAs = {})
    {
        std::vector<std::string> args = {"--db", "KATALOG=" + path("katalog.sqlite"), "--dwg", drawing};
        if (!saveAs.empty())
            args.insert(args.end(), {"--save-as", saveAs});
        args.insert(args.end(), {"-e", "(arxload \"korKlasse\")"});
        for (const auto& e : lisp)
            args.insert(args.end(), {"-e", e});
        return korcad(args, answers);
    }

    std::filesystem::path dir_;
};

const std::string kNetz = std::string(EXAMPLES_DIR) + "/netz.dxf";

// korcad ended well and printed `text`.
void expectShows(const KorcadRun& r, const std::string& text)
{
    ASSERT_EQ(r.process.exitCode, 0) << r.process.err << r.process.out;
    EXPECT_NE(r.process.out.find(text), std::string::npos) << r.process.out;
}

TEST_F(KorcadCadClass, SearchPickAndConfirmClassifyTheSelectionAndASavedFileKeepsIt)
{
    // H-101 and H-103 become "Hydrant Überflur DN 100"; the search narrows the list first.
    std::string answers = std::string(kPickH101) + kPickH103 +
                          "input \"\"\n"
                          "type 30057 \"überflur*100\"\n"
                          "select 30058 \"Hydrant Überflur DN 100\"\n"
                          "ok\n"
                          "click \"Ja\"\n";
    KorcadRun r = run(kNetz, {"(kor_KlasseZuordnen \"Hydranten\" \"Punkt\")", kHydrantAttributes}, answers,
                      path("a.dxf"));
    expectShows(r, "\n2\n");
    const std::string classified =
        "((\"KOR_ATTRIBUTE\" (1000 . \"CAD-Class\") (1000 . \"HY-OF-100|Hydrant|1\") (1000 . \"CAD-Class_M\") "
        "(1071 . 1) (1000 . \"CAD-Class-Name\") (1000 . \"Hydrant Überflur DN 100\") (1000 . \"Material\") "
        "(1000 . \"GG\") (1000 . \"Nennweite\") (1000 . \"100\")))";
    EXPECT_NE(r.process.out.find("(" + classified + " nil " + classified + ")"), std::string::npos) << r.process.out;

    // Classified again as DN 150: the old class's attributes ("Material") are gone.
    answers = std::string(kPickH101) + "input \"\"\nselect 30058 \"Hydrant Überflur DN 150\"\nok\nclick \"Ja\"\n";
    r = run(path("a.dxf"), {"(kor_KlasseZuordnen)", kHydrantAttributes}, answers, path("b.dxf"));
    expectShows(r,
                "((\"KOR_ATTRIBUTE\" (1000 . \"CAD-Class\") (1000 . \"HY-OF-150|Hydrant|1\") (1000 . "
                "\"CAD-Class_M\") (1071 . 1) (1000 . \"CAD-Class-Name\") (1000 . \"Hydrant Überflur "
                "DN 150\") (1000 . \"Nennweite\") (1000 . \"150\")))");
}

}  // namespace
