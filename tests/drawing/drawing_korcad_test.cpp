// korcad with drawings, as a person runs it: opening the sample, LISP over it, saving with
// extended data, a second, independent DXF reader, broken files and failed saves.
#include "DrawingTestUtil.h"

#include "run_process.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

namespace fs = std::filesystem;
using drawingtest::readFile;
using drawingtest::tagStream;

ProcessResult korcad(std::vector<std::string> args, const std::string& input = "")
{
    args.insert(args.begin(), {KORCAD_PATH, "--no-load"});
    return runProcess(args, input);
}

// A copy of the sample in a fresh directory.
struct SampleCopy {
    TempFile file{"netz.dxf", readFile(drawingtest::netzPath())};
    std::string path() const { return file.path(); }
    std::string dir() const { return file.dir(); }
    std::string in(const std::string& name) const { return file.dir() + "/" + name; }
};

bool hasEzdxf() { return runProcess({"/usr/bin/python3", "-c", "import ezdxf"}).exitCode == 0; }

TEST(KorcadDrawing, TheSampleNetworkAnswersLisp)
{
    auto r = korcad({"--dwg", drawingtest::netzPath(), "-e", "(cdr (assoc 2 (tblnext \"LTYPE\" T)))", "-e",
                     "(sslength (ssget \"X\" '((0 . \"INSERT\"))))", "-e",
                     "(sslength (ssget \"X\" '((0 . \"INSERT\") (2 . \"HYDRANT\"))))", "-e",
                     "(cdr (assoc 1 (entget (entnext (ssname (ssget \"X\" '((2 . \"SCHIEBER\"))) 2)))))", "-e",
                     "(cdr (assoc 1 (entget (ssname (ssget \"X\" '((0 . \"MTEXT\"))) 0))))"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "\"Continuous\"\n7\n3\n\"S-203\"\n\"Versorgungszone Nord\\\\PStraße: Hauptstraße\"\n");
    EXPECT_EQ(r.err, "");
}

TEST(KorcadDrawing, LispSeesNamesSetsAndGroupsAsAutoLispShowsThem)
{
    auto r = korcad({"--dwg", drawingtest::netzPath(), "-e", "(type (entlast))", "-e",
                     "(type (ssget \"X\"))", "-e", "(setq p (ssname (ssget \"X\" '((0 . \"LWPOLYLINE\"))) 0))",
                     "-e", "(cdr (assoc 10 (entget p)))", "-e", "(assoc -3 (entget p '(\"KOR*\")))", "-e",
                     "(eq (entlast) (entlast))", "-e", "(ssget \"X\" '((0 . \"DIMENSION\")))", "-e",
                     "(handent \"ZZ\")"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    auto lines = r.out;
    EXPECT_NE(lines.find("ENAME\nPICKSET\n<Entity name: "), std::string::npos) << lines;
    EXPECT_NE(lines.find("\n(0.0 0.0)\n"), std::string::npos) << lines;  // a 2D vertex
    EXPECT_NE(lines.find("(-3 (\"KOR_NETZ\" (1000 . \"PE\") (1070 . 110) (1040 . 10.0)))\nT\nnil\nnil\n"),
              std::string::npos)
        << lines;
    // Wrong arguments get AutoLISP's wording.
    r = korcad({"--dwg", drawingtest::netzPath(), "-e", "(entget nil)"});
    EXPECT_NE(r.err.find("bad argument type: lentityp nil"), std::string::npos) << r.err;
    r = korcad({"--dwg", drawingtest::netzPath(), "-e", "(entmod (list (cons -1 (entlast)) '(62 . \"rot\")))"});
    EXPECT_NE(r.err.find("bad DXF group: (62 . \"rot\")"), std::string::npos) << r.err;
    r = korcad({"-e", "(ssget \"X\" '((-4 . \"<OR\") (0 . \"LINE\")))"});
    EXPECT_NE(r.err.find("bad SSGET list: filter: a logic group is not closed"), std::string::npos) << r.err;
}

// The tags of `after` are those of `before` with one new APPID record and one application's
// extended data added, and a new handle seed; true when nothing else differs.
::testing::AssertionResult onlyAdded(const std::vector<std::pair<int, std::string>>& before,
                                     const std::vector<std::pair<int, std::string>>& after, const std::string& app)
{
    size_t i = 0, j = 0;
    int skipped = 0;
    while (i < before.size() && j < after.size()) {
        if (before[i] == after[j]) {
            ++i, ++j;
            continue;
        }
        if (j > 0 && after[j - 1] == std::make_pair(9, std::string("$HANDSEED"))) {
            ++i, ++j;
            continue;
        }
        if (after[j] == std::make_pair(0, std::string("APPID"))) {
            do
                ++j;
            while (j < after.size() && after[j].first != 0);
            ++skipped;
            continue;
        }
        if (after[j] == std::make_pair(1001, app)) {
            do
                ++j;
            while (j < after.size() && after[j].first >= 1000 && after[j].first != 1001);
            ++skipped;
            continue;
        }
        return ::testing::AssertionFailure() << "group " << i << " (" << before[i].first << " " << before[i].second
                                             << ") became (" << after[j].first << " " << after[j].second << ")";
    }
    if (i != before.size() || j != after.size() || skipped != 2)
        return ::testing::AssertionFailure() << "ends differ or " << skipped << " insertions";
    return ::testing::AssertionSuccess();
}

TEST(KorcadDrawing, ExtendedDataSavedWithEverythingElseUnchanged)
{
    SampleCopy sample;
    std::string out = sample.in("out.dxf");
    auto r = korcad({"--dwg", sample.path(), "--save-as", out, "-e", "(regapp \"KOR_TEST\")", "-e",
                     "(setq e (ssname (ssget \"X\" '((0 . \"LWPOLYLINE\"))) 1))", "-e",
                     "(entmod (append (entget e) '((-3 (\"KOR_TEST\" (1000 . \"geprüft\") (1040 . 2.5))))))"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");  // saved: no warning of lost changes
    EXPECT_EQ(readFile(sample.path()), readFile(drawingtest::netzPath()));  // the original is untouched
    EXPECT_TRUE(onlyAdded(tagStream(readFile(sample.path())), tagStream(readFile(out)), "KOR_TEST"));

    r = korcad({"--dwg", out, "-e",
                "(cdr (assoc -3 (entget (ssname (ssget \"X\" '((-3 (\"KOR_TEST\")))) 0) '(\"KOR_TEST\"))))"});
    EXPECT_EQ(r.out, "((\"KOR_TEST\" (1000 . \"geprüft\") (1040 . 2.5)))\n") << r.err;

    if (!hasEzdxf())
        GTEST_SKIP() << "python3-ezdxf is not installed: the independent reader was not asked";
    auto py = runProcess({"/usr/bin/python3", "-c",
                          "import sys, ezdxf\n"
                          "from ezdxf import recover\n"
                          "doc, auditor = recover.readfile(sys.argv[1])\n"
                          "pipes = doc.modelspace().query('LWPOLYLINE')\n"
                          "print(len(doc.modelspace()), len(auditor.errors))\n"
                          "print(pipes[1].get_xdata('KOR_TEST'))\n"
                          "print(pipes[0].get_xdata('KOR_NETZ'))\n",
                          out});
    EXPECT_EQ(py.exitCode, 0) << py.err;
    EXPECT_EQ(py.out,
              "24 0\n"
              "[DXFTag(1000, 'geprüft'), DXFTag(1040, 2.5)]\n"
              "[DXFTag(1000, 'PE'), DXFTag(1070, 110), DXFTag(1040, 10.0)]\n");
}

TEST(KorcadDrawing, BrokenAndForeignFilesAreReportedAndNothingRunsOnThem)
{
    std::string text = readFile(drawingtest::netzPath());
    TempFile cut("cut.dxf", text.substr(0, text.size() / 2));
    auto r = korcad({"--dwg", cut.path(), "-e", "(entlast)"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot open the drawing " + cut.path() + ": line "), std::string::npos) << r.err;
    EXPECT_EQ(r.out, "");

    TempFile dwg("plan.dwg", std::string("AC1027\0\0\0\0\0\x01", 12));
    r = korcad({"--dwg", dwg.path(), "-e", "1"});
    EXPECT_NE(r.err.find("it is a DWG file; korcad reads DXF"), std::string::npos) << r.err;
    EXPECT_EQ(r.exitCode, 1);
}

TEST(KorcadDrawing, AFailedSaveLeavesTheFileAsItWas)
{
    SampleCopy sample;
    std::string original = readFile(sample.path());
    // A file size limit far below the drawing: the write fails as on a full disk.
    std::string cmd = "ulimit -f 4; exec '" + std::string(KORCAD_PATH) + "' --no-load --dwg '" + sample.path() +
                      "' --save-as '" + sample.path() + "' -e '(regapp \"KOR_X\")'";
    auto r = runProcess({"/bin/sh", "-c", cmd});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot save " + sample.path() + ": writing failed"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(sample.path() + " is unchanged"), std::string::npos);
    EXPECT_NE(r.err.find("the changes to drawing netz.dxf were not saved"), std::string::npos);
    EXPECT_EQ(readFile(sample.path()), original);
    for (const auto& entry : fs::directory_iterator(sample.dir()))
        EXPECT_EQ(entry.path().filename(), "netz.dxf") << "left behind: " << entry.path();

    // A directory that does not exist: nothing written, said so.
    r = korcad({"--dwg", sample.path(), "--save-as", sample.in("fehlt/x.dxf"), "-e", "1"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot create a file in " + sample.in("fehlt")), std::string::npos) << r.err;
}

TEST(KorcadDrawing, CommandsSaveAndUnsavedChangesAreNotDroppedSilently)
{
    SampleCopy sample;
    // QSAVE typed at the command line and (command "_.QSAVE") from LISP.
    auto r = korcad({"--dwg", sample.path()}, "(regapp \"KOR_A\")\nQSAVE\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("Zeichnung gespeichert: " + sample.path()), std::string::npos) << r.out;
    EXPECT_EQ(r.err, "");
    r = korcad({"--dwg", sample.path(), "-e", "(regapp \"KOR_B\")", "-e", "(command \"_.QSAVE\")"});
    EXPECT_EQ(r.err, "");
    r = korcad({"--dwg", sample.path(), "-e", "(list (tblsearch \"APPID\" \"KOR_A\") (tblsearch \"APPID\" \"KOR_B\"))"});
    EXPECT_EQ(r.out, "(((0 . \"APPID\") (2 . \"KOR_A\") (70 . 0)) ((0 . \"APPID\") (2 . \"KOR_B\") (70 . 0)))\n");

    // SAVEAS (German: SICHALS) asks for the format, then for the name; the drawing takes it.
    r = korcad({"--dwg", sample.path()}, "SICHALS\n\n" + sample.in("kopie") + "\n(getvar-free)\n");
    EXPECT_TRUE(fs::exists(sample.in("kopie.dxf"))) << r.out;

    // Changes not saved: a warning at the end.
    r = korcad({"--dwg", sample.path(), "-e", "(regapp \"KOR_C\")"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.err.find("warning: the changes to drawing netz.dxf were not saved"), std::string::npos) << r.err;

    // A file that does not exist yet is a new drawing that QSAVE writes there.
    r = korcad({"--dwg", sample.in("neu.dxf"), "-e", "(command \"QSAVE\")"});
    EXPECT_NE(r.err.find("does not exist: a new drawing is opened"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(sample.in("neu.dxf")));
}

TEST(KorcadDrawing, TheSampleIsWhatItsGeneratorWrites)
{
    if (runProcess({"/usr/bin/python3", "-c", "1"}).exitCode != 0)
        GTEST_SKIP() << "python3 is not installed: examples/make_netz.py was not run";
    TempFile out("netz.dxf", "");
    auto r = runProcess({"/usr/bin/python3", std::string(EXAMPLES_DIR) + "/make_netz.py", out.path()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(readFile(out.path()), readFile(drawingtest::netzPath()));
}

}  // namespace

namespace {

TEST(KorcadDrawing, ThePipeListOfTheSampleComesFromItsPolylinesAndExtendedData)
{
    ProcessEnv env{{{"KORCAD_APP_PATH", EXAMPLES_DIR}}, {}};
    auto r = runProcess({KORCAD_PATH, "--no-load", "--dwg", drawingtest::netzPath(), "-e", "(load \"rohrliste\")",
                         "-e", "(rohr:aus-zeichnung)"},
                        "", env);
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "\n((\"W-62 PE DN 110\" 100.0) (\"W-63 GGG DN 150\" 60.0) (\"W-64 PE DN 90\" 90.0) "
                     "(\"W-65 PVC DN 100\" 35.0))\n");
}

}  // namespace

namespace {

TEST(KorcadDrawing, EntselTakesTheEntityAtATypedPoint)
{
    auto r = runProcess({KORCAD_PATH, "--no-load", "--dwg", drawingtest::netzPath(), "-e",
                         "(cdr (assoc 2 (entget (car (entsel)))))", "-e", "(cadr (entsel \"Rohr: \"))", "-e",
                         "(entsel \"Leer: \")", "-e", "(cdr (assoc 0 (entget (car (entsel)))))"},
                        "30.5,0\n100,0\n200,200\n");
    EXPECT_EQ(r.exitCode, 1) << r.err;
    // A part of a block picks its insert; a pipe is found along its segment; where nothing
    // is, nothing is found; the end of the input cancels.
    EXPECT_EQ(r.out, "Objekt wählen: \"HYDRANT\"\nRohr: (100.0 0.0 0.0)\nLeer: Kein Objekt gefunden.\nnil\n"
                     "Objekt wählen: ")
        << r.err;
    EXPECT_NE(r.err.find("Function cancelled"), std::string::npos) << r.err;
}

}  // namespace

namespace {

TEST(KorcadDrawing, PicksInAnswersFilesGoThroughTheViewWithItsSnaps)
{
    TempFile answers("a.txt", "pick 60.2,0.1\npick 0.2,0.1\npick 59.7,-0.2\npick 30,1.5\nkey Escape\n");
    auto r = runProcess({KORCAD_PATH, "--no-load", "--dwg", drawingtest::netzPath(), "--answers", answers.path(),
                         "-e", "(getpoint \"P: \")", "-e", "(getdist \"D: \")", "-e",
                         "(cdr (assoc 2 (entget (car (entsel)))))", "-e", "(getpoint \"Q: \")"},
                        "", ProcessEnv{{{"QT_QPA_PLATFORM", "offscreen"}}, {}});
    // An endpoint snap, a distance between two snapped ends, the hydrant by its circle, Escape.
    EXPECT_EQ(r.out, "P: 60,0\n(60.0 0.0 0.0)\nD: 0,0\nZweiten Punkt angeben: 60,0\n60.0\n"
                     "Objekt wählen: 30,1.5\n\"HYDRANT\"\nQ: *Abbruch*\n");
    EXPECT_NE(r.err.find("Function cancelled"), std::string::npos) << r.err;
}

}  // namespace

namespace {

TEST(KorcadDrawing, TheUserSelectsByPicksWindowsAndCrossings)
{
    // A pick on the hydrant's circle, the same again (counted once), a crossing over it that
    // adds the pipe, Enter. Then windows and crossings given as points, with a filter.
    auto r = runProcess({KORCAD_PATH, "--no-load", "--dwg", drawingtest::netzPath(), "-e", "(sslength (ssget))", "-e",
                         "(sslength (ssget \"W\" '(20 -5) '(52 5)))", "-e",
                         "(sslength (ssget \"C\" '(25 -5) '(35 5) '((0 . \"INSERT\"))))", "-e",
                         "(ssget \"W\" '(200 200) '(300 300))"},
                        "30,1.5\n30,1.5\nK\n25,-5\n35,5\n\n");
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out,
              "Objekte wählen oder [Fenster/Kreuzen]: 1 gefunden, 1 gesamt\n"
              "Objekte wählen oder [Fenster/Kreuzen]: 0 gefunden, 1 gesamt\n"
              "Objekte wählen oder [Fenster/Kreuzen]: Erste Ecke angeben: Entgegengesetzte Ecke angeben: "
              "1 gefunden, 2 gesamt\n"
              "Objekte wählen oder [Fenster/Kreuzen]: 2\n"
              "1\n1\nnil\n");  // only the hydrant lies wholly in the window
}

}  // namespace
