// korcad with drawings, as a person runs it: saving what LISP and the drawing commands changed
// (read by an independent DXF reader), a save that fails on a full disk, picks from an answers
// file through the view.
#include "drawing_util.h"

#include "run_process.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace {

namespace fs = std::filesystem;
using namespace drawingtest;

TEST(KorcadDrawing, SavedChangesKeepEverythingElseAndAnIndependentReaderReadsThem)
{
    TempFile sample("netz.dxf", readFile(netzPath()));
    const std::string out = sample.dir() + "/out.dxf", plan = sample.dir() + "/plan.dxf";
    auto r = runProcess({KORCAD_PATH, "--no-load", "--dwg", sample.path(), "--save-as", out, "-e", "(regapp \"KOR_TEST\")",
                         "-e", "(setq e (ssname (ssget \"X\" '((0 . \"LWPOLYLINE\"))) 1))", "-e",
                         "(entmod (append (entget e) '((-3 (\"KOR_TEST\" (1000 . \"geprüft\") (1040 . 2.5))))))"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");  // saved: no warning of lost changes
    EXPECT_EQ(readFile(sample.path()), readFile(netzPath()));  // the original is untouched
    auto tags = tagStream(readFile(out));
    auto xdata = std::find(tags.begin(), tags.end(), std::make_pair(1001, std::string("KOR_TEST")));
    ASSERT_NE(xdata, tags.end());
    EXPECT_EQ(*(xdata + 2), std::make_pair(1040, std::string("2.5")));
    // A new drawing, drawn by commands: what the user types at the pause is the circle's centre.
    r = runProcess({KORCAD_PATH, "--no-load", "--dwg", plan, "--save-as", plan, "-e",
                    "(command \"_.LAYER\" \"_M\" \"ROHRE\" \"\")", "-e", "(command \"_.LINE\" '(0 0) \"10,0\" \"\")",
                    "-e", "(command \"plinie\" \"0,0\" \"5,5\" \"10,0\" \"\")", "-e", "(command \"KREIS\" pause 2.5)",
                    "-e", "(command \"_.TEXT\" \"1,1\" 2 0 \"Straße\")", "-e",
                    "(command \"Löschen\" (ssget \"X\" '((0 . \"LINE\"))) \"\")"},
                   "7,7\n");
    ASSERT_EQ(r.exitCode, 0) << r.err;

    if (runProcess({"/usr/bin/python3", "-c", "import ezdxf"}).exitCode != 0)
        GTEST_SKIP() << "python3-ezdxf is not installed: the independent reader was not asked";
    auto py = runProcess({"/usr/bin/python3", "-c",
                          "import sys\nfrom ezdxf import recover\n"
                          "doc, auditor = recover.readfile(sys.argv[1])\n"
                          "pipes = doc.modelspace().query('LWPOLYLINE')\n"
                          "print(len(doc.modelspace()), len(auditor.errors))\n"
                          "print(pipes[1].get_xdata('KOR_TEST'))\n"
                          "print(pipes[0].get_xdata('KOR_NETZ'))\n"
                          "doc, auditor = recover.readfile(sys.argv[2])\n"
                          "print([(e.dxftype(), e.dxf.layer) for e in doc.modelspace()], len(auditor.errors))\n"
                          "m = doc.modelspace()\n"
                          "print(m.query('CIRCLE')[0].dxf.center, m.query('TEXT')[0].dxf.text)\n",
                          out, plan});
    EXPECT_EQ(py.out,
              "24 0\n"
              "[DXFTag(1000, 'geprüft'), DXFTag(1040, 2.5)]\n"
              "[DXFTag(1000, 'PE'), DXFTag(1070, 110), DXFTag(1040, 10.0)]\n"
              "[('LWPOLYLINE', 'ROHRE'), ('CIRCLE', 'ROHRE'), ('TEXT', 'ROHRE')] 0\n"
              "(7.0, 7.0, 0.0) Straße\n")
        << py.err;
}

TEST(KorcadDrawing, AFailedSaveLeavesTheFileAsItWas)
{
    TempFile sample("netz.dxf", readFile(netzPath()));
    // A file size limit far below the drawing: the write fails as on a full disk.
    auto r = runProcess({"/bin/sh", "-c",
                         "ulimit -f 4; exec '" KORCAD_PATH "' --no-load --dwg '" + sample.path() + "' --save-as '" +
                             sample.path() + "' -e '(regapp \"KOR_X\")'"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("cannot save " + sample.path() + ": writing failed"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find(sample.path() + " is unchanged"), std::string::npos);
    EXPECT_NE(r.err.find("the changes to drawing netz.dxf were not saved"), std::string::npos);
    EXPECT_EQ(readFile(sample.path()), readFile(netzPath()));
    for (const auto& entry : fs::directory_iterator(sample.dir()))
        EXPECT_EQ(entry.path().filename(), "netz.dxf") << "left behind: " << entry.path();
}

// An answers file picks through the view with its snaps: an endpoint snap, a distance between
// two snapped ends, the hydrant by its circle, Escape.
TEST(KorcadDrawing, PicksInAnswersFilesGoThroughTheViewWithItsSnaps)
{
    TempFile answers("a.txt", "pick 60.2,0.1\npick 0.2,0.1\npick 59.7,-0.2\npick 30,1.5\nkey Escape\n");
    auto r = runProcess({KORCAD_PATH, "--no-load", "--dwg", netzPath(), "--answers", answers.path(), "-e",
                         "(getpoint \"P: \")", "-e", "(getdist \"D: \")", "-e", "(cdr (assoc 2 (entget (car (entsel)))))",
                         "-e", "(getpoint \"Q: \")"},
                        "", ProcessEnv{{{"QT_QPA_PLATFORM", "offscreen"}}, {}});
    EXPECT_EQ(r.out, "P: 60,0\n(60.0 0.0 0.0)\nD: 0,0\nZweiten Punkt angeben: 60,0\n60.0\n"
                     "Objekt wählen: 30,1.5\n\"HYDRANT\"\nQ: *Abbruch*\n");
    EXPECT_NE(r.err.find("Function cancelled"), std::string::npos) << r.err;
}

}  // namespace
