// Running korcad as a person does, for the dialog tests on the user's path: headless, its own
// debug log and an empty configuration folder of its own (saved positions, databases.ini), so
// only what the test passes decides the run and the user's own files stay untouched.
#pragma once

#include "run_process.h"

#include <string>
#include <utility>
#include <vector>

struct KorcadRun {
    ProcessResult process;
    std::string log;  // the debug log the run wrote
};

std::string readFile(const std::string& path);

// Runs korcad with args; `answers` is the text of the answers file it gets, unless args name
// one of their own. An empty answers file lets no dialog open unanswered, so no run can hang.
KorcadRun korcad(std::vector<std::string> args, const std::string& answers,
                 const std::vector<std::pair<std::string, std::string>>& env = {});

// The main job's run of the demo: examples/demo.lsp with its answers on the sample drawing,
// the examples folder on the application path, screenshots and the saved drawing in `dir`.
KorcadRun runDemo(const std::string& dir);
