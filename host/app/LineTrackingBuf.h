// LineTrackingBuf.h — an output stream that knows whether its output is at the start of a line,
// so that a message can start on a line of its own after (princ "...") left one open.
#pragma once

#include <ostream>
#include <streambuf>

namespace korcad {

// Passes every character straight on to the target (no buffer of its own, so its output and
// the target's stay in order) and remembers whether the last one ended a line.
class LineTrackingBuf : public std::streambuf {
public:
    explicit LineTrackingBuf(std::streambuf* target) : target_(target) {}
    bool atLineStart() const { return atLineStart_; }
    // Something outside this stream ended the line (the echo of a line the user typed).
    void markLineStart() { atLineStart_ = true; }

protected:
    int_type overflow(int_type c) override
    {
        if (traits_type::eq_int_type(c, traits_type::eof()))
            return traits_type::not_eof(c);
        if (traits_type::eq_int_type(target_->sputc(traits_type::to_char_type(c)), traits_type::eof()))
            return traits_type::eof();
        atLineStart_ = traits_type::to_char_type(c) == '\n';
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        std::streamsize written = target_->sputn(s, n);
        if (written > 0)
            atLineStart_ = s[written - 1] == '\n';
        return written;
    }
    int sync() override { return target_->pubsync(); }

private:
    std::streambuf* target_;
    bool atLineStart_ = true;
};

}  // namespace korcad
