#include "korcad_run.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

KorcadRun korcad(std::vector<std::string> args, const std::string& answers,
                 const std::vector<std::pair<std::string, std::string>>& env)
{
    TempFile answersFile("answers.txt", answers);
    std::string logPath = answersFile.dir() + "/kordebug.log";
    std::string config = answersFile.dir() + "/config";
    std::filesystem::create_directories(config);
    if (std::find(args.begin(), args.end(), "--answers") == args.end())
        args.insert(args.begin(), {"--answers", answersFile.path()});
    args.insert(args.begin(), KORCAD_PATH);
    ProcessEnv processEnv{{{"KOR_DEBUGLOG", logPath}, {"QT_QPA_PLATFORM", "offscreen"}, {"XDG_CONFIG_HOME", config}},
                          {"DISPLAY", "WAYLAND_DISPLAY"}};
    for (const auto& e : env)
        processEnv.set.push_back(e);
    KorcadRun run{runProcess(args, "", processEnv), ""};
    run.log = readFile(logPath);
    return run;
}

KorcadRun runDemo(const std::string& dir)
{
    const std::string examples = EXAMPLES_DIR;
    return korcad({"--dwg", examples + "/netz.dxf", "--save-as", dir + "/netz-demo.dxf", "--answers",
                   examples + "/demo.answers", "--shots", dir, examples + "/demo.lsp"},
                  "", {{"KORCAD_APP_PATH", examples}});
}
