// korcad — the CAD host a person runs: an AutoLISP command line with one drawing open and
// the korDialog module loaded. See `korcad --help`.
#include "EchoBuffer.h"
#include "DialogWiring.h"
#include "LineEditor.h"
#include "Session.h"

#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    korcad::ParsedOptions parsed = korcad::parseOptions(args);
    if (!parsed.error.empty()) {
        std::cerr << "korcad: " << parsed.error << "\n"
                  << "Try 'korcad --help' for more information.\n";
        return korcad::kExitUsage;
    }
    if (parsed.options.help) {
        std::cout << korcad::helpText();
        return korcad::kExitOk;
    }
    // A person at a display types in the window's command line and picks in its view; what
    // korcad prints shows there as well as on standard output.
    const korcad::Options& o = parsed.options;
    const char* platform = std::getenv("QT_QPA_PLATFORM");
    const bool windowCommandLine = o.items.empty() && o.answersFile.empty() && !o.terminal &&
                                   (std::getenv("DISPLAY") || std::getenv("WAYLAND_DISPLAY")) &&
                                   !(platform && std::string(platform) == "offscreen");
    korcad::EchoBuffer echo(std::cout.rdbuf());
    struct Restore {
        std::streambuf* buffer;
        ~Restore() { std::cout.rdbuf(buffer); }
    } restore{std::cout.rdbuf()};
    if (windowCommandLine)
        std::cout.rdbuf(&echo);
    korcad::Session session(std::move(parsed.options));
    korcad::DialogWiring dialogs;
    std::string error;
    if (!dialogs.install(session, &error)) {
        std::cerr << "korcad: " << error << "\n";
        return korcad::kExitUsage;
    }
    // A person at a terminal gets line editing, history and Ctrl-C on the command line.
    // Files and -e expressions run as a batch: Ctrl-C ends korcad there, as for any program.
    const bool interactive = session.options().items.empty() && session.options().answersFile.empty();
    if (!(windowCommandLine && dialogs.useWindowCommandLine(session, &echo)) && interactive &&
        korcad::LineEditor::available())
        session.setInput(std::make_unique<korcad::LineEditor>(std::cerr));
    int rc = session.run();
    dialogs.shootMainWindow();
    if (size_t unused = dialogs.unusedAnswers())
        std::cerr << "korcad: warning: " << unused << " answer(s) of " << session.options().answersFile
                  << " were not used\n";
    return rc;
}
