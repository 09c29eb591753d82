// Files.h — a file opened by LISP's open, and where the printing functions write.
//
// A file opened for reading is read whole when it is opened: UTF-8 as it is, any other text
// as Windows-1252 (as load reads a file), so read-line and read-char hand out characters.
// Its text counts against the memory limit until the file is closed or let go.
// A file opened for writing ("w") or appending ("a") gets UTF-8. close ends either; a closed
// file refuses further use with "bad argument type: streamp #<file "NAME">".
#pragma once

#include "lisp/Value.h"

#include <cstdio>
#include <string>

namespace lisp {

class Interpreter;

struct FileHandle : Object {
    FileHandle(std::string n, char m) : Object(Tag::File), name(std::move(n)), mode(m) {}
    ~FileHandle() override
    {
        if (out)
            std::fclose(out);
        releaseHeap(charged);
    }
    // Holds the text to read, charged against the memory limit (which it may raise).
    void hold(std::string t)
    {
        chargeHeap(t.size());
        drop();
        charged = t.size();
        text = std::move(t);
    }
    void drop() noexcept
    {
        std::string().swap(text);
        releaseHeap(charged);
        charged = 0;
    }
    const std::string name;  // as the program gave it to open
    const char mode;         // 'r', 'w' or 'a'
    bool open = true;
    std::string text;        // what is left to read ('r')
    size_t pos = 0;
    std::FILE* out = nullptr;  // ('w', 'a')
    size_t charged = 0;        // of text
};

// The file argument of a function that writes: null for nil or a missing argument (the
// command line). Anything else but a file open for writing raises "bad argument type:
// streamp ...".
FileHandle* outputFileArg(const Args& a, size_t i);
// Writes to the file, or to the command line for null.
void writeOut(Interpreter& lisp, FileHandle* file, const std::string& text);

}  // namespace lisp
