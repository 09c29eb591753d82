#include "input/InputSource.h"

#include <istream>
#include <ostream>

namespace korcad {

std::optional<std::string> TerminalInput::readLine(const std::string& prompt)
{
    out_ << prompt;
    out_.flush();
    std::string line;
    if (!std::getline(in_, line))
        return std::nullopt;
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

std::optional<std::string> QueueInput::readLine(const std::string& prompt)
{
    if (lines_.empty())
        return std::nullopt;
    std::string line = std::move(lines_.front());
    lines_.pop_front();
    if (echo_) {
        *echo_ << prompt << line << '\n';
        echo_->flush();
    }
    return line;
}

}  // namespace korcad
