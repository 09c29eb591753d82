// EchoBuffer.h — a stream buffer that shows korcad's output in a second place.
#pragma once

#include <functional>
#include <streambuf>
#include <string>

namespace korcad {

// Passes what is written on to `next` and hands each finished line to the sink as well (once
// one is set): what korcad prints shows in the window's command line too.
class EchoBuffer : public std::streambuf {
public:
    explicit EchoBuffer(std::streambuf* next) : next_(next) {}
    void setSink(std::function<void(const std::string&)> sink) { sink_ = std::move(sink); }

protected:
    int overflow(int c) override;
    std::streamsize xsputn(const char* s, std::streamsize n) override;
    int sync() override { return next_->pubsync(); }

private:
    void take(char c);
    std::streambuf* next_;
    std::function<void(const std::string&)> sink_;
    std::string line_;
};

}  // namespace korcad
