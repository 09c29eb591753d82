// The window side of a korcad session.
#include "DialogWiring.h"

#include "mfc/afx.h"
#include "mfc/afxdriver.h"
#include "mfc/afxhost.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace korcad {

namespace {

// Prompts answered by the `input` lines of the answers file, echoed like a person's typing.
class AnswerInput : public InputSource {
public:
    AnswerInput(afxdriver::AnswerRunner& runner, std::ostream& echo) : runner_(runner), echo_(echo) {}
    std::optional<std::string> readLine(const std::string& prompt) override
    {
        // With every answer used, the input has ended, as a terminal's does at end of file:
        // the command line closes, a LISP prompt is cancelled.
        if (runner_.remaining() == 0)
            return std::nullopt;
        std::wstring text;
        if (!runner_.nextInput(text, prompt))
            return std::nullopt;
        std::string line = AfxToUtf8(text.c_str());
        echo_ << prompt << line << "\n";
        return line;
    }

private:
    afxdriver::AnswerRunner& runner_;
    std::ostream& echo_;
};

}  // namespace

DialogWiring::DialogWiring() = default;
DialogWiring::~DialogWiring() = default;

bool DialogWiring::install(Session& session, std::string* error)
{
    const Options& options = session.options();
    std::wstring drawing = AfxFromUtf8(options.drawing);
    AfxHostSetMainWindowText(L"korcad - " + drawing,
                             drawing + L"\n\nDie Befehlszeile ist im Terminal; Dialoge öffnen sich hier.");
    session.setMainWindowProvider([] { return AfxHostMainWindow(); });
    if (!options.shotsDir.empty())
        afxdriver::setShotsDirectory(options.shotsDir);
    if (options.answersFile.empty())
        return true;

    std::vector<afxdriver::Action> actions;
    if (!afxdriver::loadAnswers(options.answersFile, actions, error))
        return false;  // the message names the file and the line
    // An answer that does not fit stops the run at once: whatever the program does next
    // would be built on a dialog the file did not mean.
    runner_ = std::make_unique<afxdriver::AnswerRunner>(std::move(actions), [](const std::string& message) {
        std::cout.flush();
        std::cerr << "korcad: " << message << std::endl;
        std::_Exit(kExitAnswers);
    });
    session.setInput(std::make_unique<AnswerInput>(*runner_, std::cout));
    return true;
}

size_t DialogWiring::unusedAnswers() const { return runner_ ? runner_->remaining() : 0; }

}  // namespace korcad
