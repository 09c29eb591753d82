// A program with DCL dialogs next to korDialog_FragBox (examples/dcl), run by korcad with its
// answers file as the demo runs.
#include "korcad_run.h"

#include <gtest/gtest.h>

namespace {

TEST(DclExample, RunsFromAnswers)
{
    const std::string examples = EXAMPLES_DIR;
    KorcadRun run = korcad({examples + "/dcl/rohr.lsp"}, readFile(examples + "/dcl/rohr.answers"),
                           {{"KORCAD_APP_PATH", examples + "/dcl"}});
    EXPECT_EQ(run.process.exitCode, 0) << run.process.err;
    EXPECT_NE(run.process.out.find("Rohr (DCL): (\"Stahl\" 150.0 \"PN16\" T \"2\" 6.5)"), std::string::npos)
        << run.process.out;
    EXPECT_NE(run.process.out.find("Rohr (FragBox): (\"PE 100\" 150.0 \"PN 10\")"), std::string::npos)
        << run.process.out;
}

}  // namespace
