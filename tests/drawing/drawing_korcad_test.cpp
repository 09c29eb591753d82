// korcad with a drawing as a person runs it: picks from an answers file through the view.
#include "drawing_util.h"

#include "run_process.h"

#include <gtest/gtest.h>

namespace {

using namespace drawingtest;

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
