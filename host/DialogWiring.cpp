// The window side of a korcad session.
#include "DialogWiring.h"

#include "AnswerRunner.h"
#include "CadHost.h"
#include "MainWindow.h"

#include "mfc/afx.h"
#include "mfc/afxhost.h"
#include "uidriver/afxdriver.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>

namespace korcad {

namespace {

// Prompts answered by the `input` lines of the answers file, echoed like a person's typing.
class AnswerInput : public InputSource {
public:
    AnswerInput(AnswerRunner& runner, std::ostream& echo) : runner_(runner), echo_(echo) {}
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
    AnswerRunner& runner_;
    std::ostream& echo_;
};

}  // namespace

DialogWiring::DialogWiring() = default;

DialogWiring::~DialogWiring()
{
    if (shotsListener_)
        AfxRemoveDialogListener(shotsListener_);
}

bool DialogWiring::install(Session& session, std::string* error)
{
    const Options& options = session.options();
    mainWindow_ = std::make_unique<MainWindow>(AfxFromUtf8(options.drawing));
    AfxHostSetApplicationName(L"korcad");
    MainWindow* window = mainWindow_.get();
    CadHost* host = &session.host();
    window->setDrawingSource([host]() -> const Drawing* { return host->drawing(host->currentDrawing()); });
    session.host().setWindows([window] { return window->handle(); },
                              [window] { return window->drawingViewHandle(); });

    if (!options.shotsDir.empty()) {
        // Every dialog is saved as it opens, as DIR/NNN-<template id>.png.
        shotsDir_ = options.shotsDir;
        shotsListener_ = AfxAddDialogListener([this](CDialog& dialog, AfxDialogEvent event) {
            if (event != AfxDialogEvent::Opened)
                return;
            char name[64];
            std::snprintf(name, sizeof name, "%03d-%u.png", ++shotCount_, dialog.GetTemplateId());
            afxdriver::Result r = afxdriver::shot(dialog, shotsDir_ + "/" + name);
            if (!r)
                std::cerr << "korcad: screenshot: " << r.message << std::endl;
        });
    }
    if (options.answersFile.empty())
        return true;

    std::vector<Action> actions;
    if (!loadAnswers(options.answersFile, actions, error))
        return false;  // the message names the file and the line
    // An answer that does not fit stops the run at once: whatever the program does next
    // would be built on a dialog the file did not mean.
    runner_ = std::make_unique<AnswerRunner>(std::move(actions), [](const std::string& message) {
        std::cout.flush();
        std::cerr << "korcad: " << message << std::endl;
        std::_Exit(kExitAnswers);
    });
    runner_->setShotsDirectory(options.shotsDir);
    session.setInput(std::make_unique<AnswerInput>(*runner_, std::cout));
    return true;
}

size_t DialogWiring::unusedAnswers() const { return runner_ ? runner_->remaining() : 0; }

}  // namespace korcad
