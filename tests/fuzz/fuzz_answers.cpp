// Fuzz target: korcad's answers-file reader on any text. A file either reads, every action
// then naming the line it came from, or is refused with a message naming the line.
#include "gui/AnswerRunner.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<korcad::Action> actions;
    std::string error;
    if (!korcad::parseAnswers(text, actions, &error)) {
        if (error.rfind("line ", 0) != 0)
            std::abort();  // a refusal names the line
        return 0;
    }
    int last = 0;
    for (const korcad::Action& a : actions) {
        if (a.line <= last)
            std::abort();  // one action per line, in order
        last = a.line;
        if (a.kind == korcad::Action::Kind::Edit && (a.index < 0 || a.column < 0))
            std::abort();
    }
    return 0;
}
