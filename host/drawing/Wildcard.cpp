#include "drawing/Wildcard.h"

#include "lisp/Interpreter.h"

#include "text/text.h"

namespace korcad {

bool wildcardMatch(std::wstring_view text, std::wstring_view pattern, bool ignoreCase)
{
    return lisp::wildcardMatch(kortext::fromWide(text), kortext::fromWide(pattern), ignoreCase);
}

}  // namespace korcad
