// The interactive command line: "Befehl: " prompts, as in the CAD program.
//
// A line that starts with "(" (or another LISP expression) is evaluated and its value shown;
// an expression may span lines ("(_> " asks for the rest). "!name" shows a value. Any other
// word runs the command C:WORD that LISP defined, or one of korcad's own (Commands.h); QUIT
// (or EXIT) ends the command line.
// Errors show as "; error: ..." unless *error* took care of them; the command line goes on.
//
// On a terminal (an interactive input) Ctrl-C cancels the line being typed and asks again;
// while LISP runs it raises "Function cancelled" (see LineEditor). When the input ends inside
// an expression, the command line says so before it closes.
#include "app/Session.h"

#include "cad/CadHost.h"
#include "cad/Commands.h"
#include "cad/UserInput.h"

#include "lisp/Printer.h"
#include "lisp/Reader.h"
#include "lisp/Utf8.h"

#include <ostream>

namespace korcad {

namespace {

bool isBlank(const std::string& s) { return s.find_first_not_of(" \t\r\n") == std::string::npos; }

std::string firstWord(const std::string& s)
{
    size_t b = s.find_first_not_of(" \t\r\n");
    if (b == std::string::npos)
        return std::string();
    size_t e = s.find_first_of(" \t\r\n", b);
    return s.substr(b, e == std::string::npos ? std::string::npos : e - b);
}

}  // namespace

bool Session::mayQuit()
{
    Drawing* d = host_->drawing(host_->currentDrawing());
    if (!d || !d->modified())
        return true;
    if (quitCheck_)
        return quitCheck_();
    return !input_->interactive() || askToSaveAtPrompt();
}

bool Session::askToSaveAtPrompt()
{
    Drawing* d = host_->drawing(host_->currentDrawing());
    if (!d || !d->modified())
        return true;
    ads::InputRequest r;
    r.kind = ads::InputKind::Keyword;
    r.prompt = L"Änderungen an " + d->name() + L" speichern? [Ja/Nein/Abbrechen] <Ja>: ";
    r.keywords = L"Ja Nein Abbrechen";
    ads::InputAnswer a;
    int rc = userInput_->get(r, a);
    outLine_.markLineStart();
    if (rc == RTNONE || (rc == RTNORM && a.text == L"Ja"))
        return commands_->run("QSAVE");
    return rc == RTNORM && a.text == L"Nein";
}

int Session::repl()
{
    std::string pending;  // an expression not yet complete
    for (;;) {
        std::optional<std::string> line;
        try {
            line = input_->readLine(pending.empty() ? "Befehl: " : "(_> ");
        } catch (const LineCancelled&) {
            pending.clear();
            outLine_.markLineStart();
            continue;
        }
        // The prompt and the line end the user typed (or, from a pipe, the prompt alone)
        // are not LISP output: a message after them needs no line of its own.
        outLine_.markLineStart();
        if (!line) {
            if (input_->interactive()) {
                if (!isBlank(pending))
                    out_ << "; error: incomplete input: the input ended inside an expression; "
                            "it was not evaluated\n";
                out_.flush();
                return kExitOk;
            }
            out_ << '\n';
            return kExitOk;
        }
        pending += *line;
        pending += '\n';
        if (isBlank(pending)) {
            pending.clear();
            continue;
        }

        size_t start = pending.find_first_not_of(" \t");
        char first = pending[start];
        bool lispInput = first == '(' || first == '\'' || first == '"' || first == '!' ||
                         first == ';' || lisp::parseNumber(firstWord(pending)).has_value();
        try {
            if (!lispInput) {
                std::string word = lisp::utf8::upper(firstWord(pending));
                pending.clear();
                if (word == "QUIT" || word == "_QUIT" || word == "EXIT") {
                    if (!mayQuit())
                        continue;
                    return kExitOk;
                }
                lisp::Symbol* command = lisp_->symbols().find("C:" + word);
                if ((!command || command->value.isNil()) && !Commands::commandName(word).empty()) {
                    commands_->run(word, {});
                    continue;
                }
                if (!command || command->value.isNil()) {
                    out_ << "Unbekannter Befehl \"" << word << "\".\n";
                    continue;
                }
                lisp::Value result = lisp_->evalTop(lisp::list({lisp::Value::symbol(command)}));
                if (!(result.isSym() && result.sym()->name.empty()))
                    out_ << lisp::toString(result, true) << '\n';
                continue;
            }
            std::string text = first == '!' ? pending.substr(start + 1) : pending;
            std::vector<lisp::Value> forms;
            try {
                lisp::Reader reader(text, lisp_->symbols());
                while (auto form = reader.next())
                    forms.push_back(*form);
            } catch (const lisp::IncompleteInput&) {
                continue;  // ask for the rest of the expression
            }
            pending.clear();
            for (const auto& form : forms) {
                lisp::Value result = lisp_->evalTop(form);
                // (princ) at the end of a program returns a symbol that shows as nothing.
                if (!(result.isSym() && result.sym()->name.empty()))
                    out_ << lisp::toString(result, true) << '\n';
            }
        } catch (const lisp::LispError& e) {
            pending.clear();
            if (!e.reported) {
                // Ctrl-C while LISP ran: the terminal echoed ^C where the output stood.
                bool interrupted = input_->interactive() && e.message() == lisp::kCancelledMessage &&
                                   !dynamic_cast<const LineCancelled*>(&e);
                if (interrupted)
                    out_ << '\n';
                else
                    startLine();
                out_ << "; error: " << e.message() << '\n';
                if (!e.where.empty())
                    out_ << ";        " << e.where << '\n';
            }
        }
        out_.flush();
    }
}

}  // namespace korcad
