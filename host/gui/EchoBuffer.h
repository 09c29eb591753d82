// EchoBuffer.h — a stream buffer that shows korcad's output in a second place.
#pragma once

#include <functional>
#include <streambuf>
#include <string>

namespace korcad {

// Passes what is written on to `next` and hands it to the sink as well (once one is set) as it
// comes, a line not finished yet included: what korcad prints shows in the window's command
// line at once, as (princ "\nHallo") shows "Hallo" before any line end. A UTF-8 character cut
// between two writes is handed over whole.
class EchoBuffer : public std::streambuf {
public:
    explicit EchoBuffer(std::streambuf* next) : next_(next) {}
    void setSink(std::function<void(const std::string&)> sink)
    {
        sink_ = std::move(sink);
        held_.clear();
    }
    // Where the output goes besides the sink.
    std::streambuf* next() const { return next_; }

protected:
    int overflow(int c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override { return next_->pubsync(); }

private:
    void take(const char* s, size_t n);
    std::streambuf* next_;
    std::function<void(const std::string&)> sink_;
    std::string held_;  // the start of a UTF-8 character whose rest has not been written yet
};

}  // namespace korcad
