// Files: open, read and write text files; find, copy, rename and delete them; take file
// names apart; the environment.
//
// File names may use '/' or '\' between directories (programs written on Windows use both);
// the functions that take names apart accept either, the file system gets them as given.
#include "lisp/Interpreter.h"

#include "lisp/Files.h"
#include "lisp/Printer.h"
#include "lisp/Utf8.h"

#include "text/wildcard.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <system_error>

namespace lisp {

namespace fs = std::filesystem;

namespace {

[[noreturn]] void badValue(const std::string& what, const Value& v)
{
    fail("bad argument value: " + what + ": " + toString(v, true));
}

FileHandle* fileArg(const Value& v)
{
    if (v.tag() != Tag::File || !v.as<FileHandle>()->open)
        badArgType("streamp", v);
    return v.as<FileHandle>();
}

FileHandle* inputFileArg(const Value& v)
{
    FileHandle* f = fileArg(v);
    if (f->mode != 'r')
        badArgType("streamp", v);
    return f;
}

bool exists(const std::string& name)
{
    std::error_code ec;
    return fs::exists(name, ec);
}

bool isFile(const std::string& name)
{
    std::error_code ec;
    return fs::is_regular_file(name, ec);
}

bool isDir(const std::string& name)
{
    std::error_code ec;
    return fs::is_directory(name, ec);
}

// (open name mode): a file, or nil when it cannot be opened (a missing file to read, a
// directory that does not exist).
Value openFn(Interpreter&, const Args& a)
{
    const std::string& name = strArg(a[0]);
    const std::string& mode = strArg(a[1]);
    if (mode != "r" && mode != "w" && mode != "a")
        badValue("file mode", a[1]);
    auto* handle = new FileHandle(name, mode[0]);
    Value file(handle);
    if (mode == "r") {
        if (!isFile(name))
            return Value();
        std::ifstream in(name, std::ios::binary);
        if (!in)
            return Value();
        // Read whole into a text of its size (refused first when it would pass the memory
        // limit), and on as far as the file goes on (a file that grew, or one of /proc).
        std::error_code ec;
        auto size = fs::file_size(name, ec);
        std::string bytes;
        if (!ec) {
            checkHeap(size);
            bytes.reserve(size);
        }
        char buffer[65536];
        while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
            checkHeap(bytes.size() + static_cast<size_t>(in.gcount()));
            bytes.append(buffer, static_cast<size_t>(in.gcount()));
        }
        handle->hold(utf8::fromFileText(std::move(bytes)));
        return file;
    }
    if (isDir(name))
        return Value();
    handle->out = std::fopen(name.c_str(), mode == "w" ? "wb" : "ab");
    return handle->out ? file : Value();
}

Value closeFn(Interpreter&, const Args& a)
{
    FileHandle* f = fileArg(a[0]);
    f->open = false;
    if (f->out) {
        bool ok = std::fclose(f->out) == 0;
        f->out = nullptr;
        if (!ok)
            fail("error writing file: \"" + f->name + "\"");
    }
    f->drop();
    return Value();
}

// A line without its end (\n or \r\n); nil at the end of the file.
Value readLineFn(Interpreter&, const Args& a)
{
    FileHandle* f = inputFileArg(a[0]);
    if (f->pos >= f->text.size())
        return Value();
    size_t end = f->text.find('\n', f->pos);
    size_t next = end == std::string::npos ? f->text.size() : end + 1;
    if (end == std::string::npos)
        end = f->text.size();
    size_t stop = end > f->pos && f->text[end - 1] == '\r' ? end - 1 : end;
    checkHeap(stop - f->pos);
    std::string line = f->text.substr(f->pos, stop - f->pos);
    f->pos = next;
    return Value::string(std::move(line));
}

// The code of the next character; a line end (\n or \r\n) reads as 10; nil at the end.
Value readCharFn(Interpreter&, const Args& a)
{
    FileHandle* f = inputFileArg(a[0]);
    if (f->pos >= f->text.size())
        return Value();
    if (f->text[f->pos] == '\r' && f->pos + 1 < f->text.size() && f->text[f->pos + 1] == '\n') {
        f->pos += 2;
        return Value::integer(10);
    }
    char32_t c = kortext::next(f->text, f->pos);
    return Value::integer(static_cast<int32_t>(c));
}

// (write-line text [file]): the text and a line end; the text is the value.
Value writeLineFn(Interpreter& lisp, const Args& a)
{
    FileHandle* file = outputFileArg(a, 1);
    writeOut(lisp, file, strArg(a[0]));
    writeOut(lisp, file, "\n");
    return a[0];
}

Value writeCharFn(Interpreter& lisp, const Args& a)
{
    int32_t code = intArg(a[0]);
    if (code <= 0 || !utf8::isScalar(static_cast<char32_t>(code)))
        badValue("character code", a[0]);
    std::string s;
    utf8::append(s, static_cast<char32_t>(code));
    writeOut(lisp, outputFileArg(a, 1), s);
    return a[0];
}

std::string fullPath(const fs::path& p)
{
    std::error_code ec;
    fs::path abs = fs::absolute(p, ec);
    return (ec ? p : abs).lexically_normal().string();
}

// (findfile name): the full path of the file, searched in the current directory, then in the
// directories of SRCHPATH (separated by ';'), then along the path load searches (korcad's support path, $KORCAD_APP_PATH); nil when it is nowhere.
// A name with a directory is looked up as it is.
Value findfileFn(Interpreter& lisp, const Args& a)
{
    const std::string& name = strArg(a[0]);
    if (name.empty())
        return Value();
    if (isFile(name))
        return Value::string(fullPath(name));
    fs::path p(name);
    if (p.is_absolute() || p.has_parent_path())
        return Value();
    std::vector<std::string> dirs;
    Value search = lisp.systemVariable("SRCHPATH");
    for (size_t start = 0; search.isStr() && start < search.str().size();) {
        size_t end = std::min(search.str().find(';', start), search.str().size());
        if (end > start)
            dirs.push_back(search.str().substr(start, end - start));
        start = end + 1;
    }
    dirs.insert(dirs.end(), lisp.loadPath().begin(), lisp.loadPath().end());
    for (const auto& dir : dirs) {
        fs::path candidate = fs::path(dir) / name;
        if (isFile(candidate.string()))
            return Value::string(fullPath(candidate));
    }
    return Value();
}

Value fileDeleteFn(Interpreter& lisp, const Args& a)
{
    const std::string& name = strArg(a[0]);
    std::error_code ec;
    return lisp.boolean(isFile(name) && fs::remove(name, ec) && !ec);
}

// (vl-file-rename old new): T, or nil when old is missing or new exists already.
Value fileRenameFn(Interpreter& lisp, const Args& a)
{
    const std::string& from = strArg(a[0]);
    const std::string& to = strArg(a[1]);
    if (!exists(from) || exists(to))
        return lisp.boolean(false);
    std::error_code ec;
    fs::rename(from, to, ec);
    return lisp.boolean(!ec);
}

// (vl-file-copy source dest [append]): the number of bytes copied; nil when the source is
// missing or the destination exists and append is nil.
Value fileCopyFn(Interpreter&, const Args& a)
{
    const std::string& from = strArg(a[0]);
    const std::string& to = strArg(a[1]);
    bool append = a.has(2) && !a[2].isNil();
    if (!isFile(from) || isDir(to) || (!append && exists(to)))
        return Value();
    std::ifstream in(from, std::ios::binary);
    std::ofstream out(to, append ? std::ios::binary | std::ios::app : std::ios::binary);
    if (!in || !out)
        return Value();
    // Copied a piece at a time: a file of any size takes no more memory than the piece.
    char buffer[65536];
    size_t copied = 0;
    while (in.read(buffer, sizeof buffer) || in.gcount() > 0) {
        out.write(buffer, in.gcount());
        copied += static_cast<size_t>(in.gcount());
    }
    out.flush();
    if (!out)
        return Value();
    return Value::integer(static_cast<int32_t>(copied));
}

Value fileDirectoryP(Interpreter& lisp, const Args& a) { return lisp.boolean(isDir(strArg(a[0]))); }

// (vl-file-size name): bytes; 0 for a directory; nil when there is nothing of that name.
Value fileSizeFn(Interpreter&, const Args& a)
{
    const std::string& name = strArg(a[0]);
    if (isDir(name))
        return Value::integer(0);
    if (!isFile(name))
        return Value();
    std::error_code ec;
    auto size = fs::file_size(name, ec);
    if (ec)
        return Value();
    return size > uintmax_t(INT32_MAX) ? Value::real(double(size))
                                       : Value::integer(static_cast<int32_t>(size));
}

// (vl-mkdir name): T when the directory was made; nil when it exists or cannot be made.
Value mkdirFn(Interpreter& lisp, const Args& a)
{
    const std::string& name = strArg(a[0]);
    std::error_code ec;
    return lisp.boolean(!exists(name) && fs::create_directory(name, ec) && !ec);
}

// A file pattern as on the command line of DOS: * and ? are wildcards, everything else
// stands for itself, and "name.*" also matches "name" without an extension ("*.*" matches
// everything). As a wcmatch pattern.
std::string filePattern(const std::string& pattern)
{
    auto escaped = [](const std::string& p) {
        std::string out;
        for (char c : p) {
            if (std::string_view("#@.~[],`").find(c) != std::string_view::npos)
                out += '`';
            out += c;
        }
        return out;
    };
    std::string result = escaped(pattern);
    if (pattern.size() >= 2 && pattern.compare(pattern.size() - 2, 2, ".*") == 0)
        result += "," + escaped(pattern.substr(0, pattern.size() - 2));
    return result;
}

// (vl-directory-files [dir [pattern [what]]]): names in a directory matching the file pattern
// (* and ?, without regard to case); what -1: directories only, 1: files only, nil or 0:
// both ("." and ".." among the directories). Sorted by name; nil when dir does not exist.
Value directoryFilesFn(Interpreter&, const Args& a)
{
    std::string dir = a.has(0) && !a[0].isNil() ? strArg(a[0]) : std::string(".");
    std::string pattern = a.has(1) && !a[1].isNil() ? strArg(a[1]) : std::string("*");
    int32_t what = a.has(2) && !a[2].isNil() ? intArg(a[2]) : 0;
    if (dir.empty())
        dir = ".";
    if (!isDir(dir))
        return Value();
    std::vector<std::string> names;
    if (what <= 0) {
        names.push_back(".");
        names.push_back("..");
    }
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(dir, ec)) {
        std::error_code ec2;
        bool directory = entry.is_directory(ec2);
        if ((directory && what > 0) || (!directory && what < 0))
            continue;
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin() + (what <= 0 ? 2 : 0), names.end());
    ListBuilder b;
    for (const auto& n : names)
        if (kortext::wildcardMatch(n, filePattern(pattern), true))
            b.push(Value::string(n));
    return b.take();
}

// The parts of a file name; '/' and '\' both separate directories.
size_t lastSeparator(const std::string& name) { return name.find_last_of("/\\"); }

std::string baseWithExtension(const std::string& name)
{
    size_t sep = lastSeparator(name);
    return sep == std::string::npos ? name : name.substr(sep + 1);
}

// The dot of the extension in a base name; none for ".profile" or "name.".
size_t extensionDot(const std::string& base)
{
    size_t dot = base.rfind('.');
    if (dot == std::string::npos || dot == 0)
        return std::string::npos;
    return dot;
}

Value filenameBaseFn(Interpreter&, const Args& a)
{
    std::string base = baseWithExtension(strArg(a[0]));
    size_t dot = extensionDot(base);
    return Value::string(dot == std::string::npos ? base : base.substr(0, dot));
}

Value filenameExtensionFn(Interpreter&, const Args& a)
{
    std::string base = baseWithExtension(strArg(a[0]));
    size_t dot = extensionDot(base);
    if (dot == std::string::npos || dot + 1 == base.size())
        return Value();
    return Value::string(base.substr(dot));
}

Value filenameDirectoryFn(Interpreter&, const Args& a)
{
    const std::string& name = strArg(a[0]);
    size_t sep = lastSeparator(name);
    if (sep == std::string::npos)
        return Value::string("");
    return Value::string(name.substr(0, sep == 0 ? 1 : sep));
}

// (vl-filename-mktemp [pattern [dir [extension]]]): a name for a temporary file that does not
// exist yet: up to five characters of the pattern ("$VL~~" by default) and three hex digits,
// in dir (default $TMPDIR, else /tmp). A pattern with a directory keeps it.
Value filenameMktempFn(Interpreter&, const Args& a)
{
    std::string pattern = a.has(0) && !a[0].isNil() ? strArg(a[0]) : std::string("$VL~~");
    std::string dir;
    if (a.has(1) && !a[1].isNil())
        dir = strArg(a[1]);
    std::string ext = a.has(2) && !a[2].isNil() ? strArg(a[2]) : std::string();
    size_t sep = lastSeparator(pattern);
    if (sep != std::string::npos) {
        if (dir.empty())
            dir = pattern.substr(0, sep);
        pattern = pattern.substr(sep + 1);
    }
    size_t dot = extensionDot(pattern);
    if (dot != std::string::npos) {
        if (ext.empty())
            ext = pattern.substr(dot);
        pattern = pattern.substr(0, dot);
    }
    if (!ext.empty() && ext[0] != '.')
        ext = "." + ext;
    if (dir.empty()) {
        const char* tmp = std::getenv("TMPDIR");
        dir = tmp && *tmp ? tmp : "/tmp";
    }
    auto cps = utf8::decode(pattern);
    if (cps.size() > 5)
        cps.resize(5);
    std::string prefix = utf8::encode(cps);
    static unsigned counter = 0;
    for (unsigned tries = 0; tries < 4096; ++tries) {
        counter = (counter + 1) & 0xFFF;
        char num[8];
        std::snprintf(num, sizeof num, "%03x", counter);
        std::string candidate = (fs::path(dir) / (prefix + num + ext)).string();
        if (!exists(candidate))
            return Value::string(candidate);
    }
    fail("no temporary file name left in " + dir);
}

// (vl-file-systime name): when the file was last changed, in local time, as (year month
// weekday day hours minutes seconds milliseconds) with Sunday as weekday 0; nil when it
// does not exist.
Value fileSystimeFn(Interpreter&, const Args& a)
{
    const std::string& name = strArg(a[0]);
    struct stat st {};
    if (!isFile(name) || ::stat(name.c_str(), &st) != 0)
        return Value();
    std::tm tm{};
    localtime_r(&st.st_mtime, &tm);
    return list({Value::integer(tm.tm_year + 1900), Value::integer(tm.tm_mon + 1),
                 Value::integer(tm.tm_wday), Value::integer(tm.tm_mday), Value::integer(tm.tm_hour),
                 Value::integer(tm.tm_min), Value::integer(tm.tm_sec),
                 Value::integer(static_cast<int32_t>(st.st_mtim.tv_nsec / 1000000))});
}

// (setenv name value): sets the variable for this program and the programs it starts.
Value setenvFn(Interpreter&, const Args& a)
{
    const std::string& name = strArg(a[0]);
    const std::string& value = strArg(a[1]);
    if (name.empty() || name.find('=') != std::string::npos)
        badValue("environment variable name", a[0]);
    if (::setenv(name.c_str(), value.c_str(), 1) != 0)
        fail("setenv failed: \"" + name + "\"");
    return a[1];
}

Value getenvFn(Interpreter&, const Args& a)
{
    const char* v = std::getenv(strArg(a[0]).c_str());
    return v ? Value::string(v) : Value();
}

}  // namespace

FileHandle* outputFileArg(const Args& a, size_t i)
{
    if (!a.has(i) || a[i].isNil())
        return nullptr;
    FileHandle* f = fileArg(a[i]);
    if (!f->out)
        badArgType("streamp", a[i]);
    return f;
}

void writeOut(Interpreter& lisp, FileHandle* file, const std::string& text)
{
    if (file) {
        if (std::fwrite(text.data(), 1, text.size(), file->out) != text.size())
            fail("error writing file: \"" + file->name + "\"");
        return;
    }
    lisp.out() << text;
    lisp.out().flush();
}

void installFileFunctions(Interpreter& lisp)
{
    lisp.defineBuiltin("open", openFn, 2, 2);
    lisp.defineBuiltin("close", closeFn, 1, 1);
    lisp.defineBuiltin("read-line", readLineFn, 1, 1);
    lisp.defineBuiltin("read-char", readCharFn, 1, 1);
    lisp.defineBuiltin("write-line", writeLineFn, 1, 2);
    lisp.defineBuiltin("write-char", writeCharFn, 1, 2);
    lisp.defineBuiltin("findfile", findfileFn, 1, 1);
    lisp.defineBuiltin("vl-file-delete", fileDeleteFn, 1, 1);
    lisp.defineBuiltin("vl-file-rename", fileRenameFn, 2, 2);
    lisp.defineBuiltin("vl-file-copy", fileCopyFn, 2, 3);
    lisp.defineBuiltin("vl-file-directory-p", fileDirectoryP, 1, 1);
    lisp.defineBuiltin("vl-file-size", fileSizeFn, 1, 1);
    lisp.defineBuiltin("vl-mkdir", mkdirFn, 1, 1);
    lisp.defineBuiltin("vl-directory-files", directoryFilesFn, 0, 3);
    lisp.defineBuiltin("vl-filename-base", filenameBaseFn, 1, 1);
    lisp.defineBuiltin("vl-filename-extension", filenameExtensionFn, 1, 1);
    lisp.defineBuiltin("vl-filename-directory", filenameDirectoryFn, 1, 1);
    lisp.defineBuiltin("vl-filename-mktemp", filenameMktempFn, 0, 3);
    lisp.defineBuiltin("getenv", getenvFn, 1, 1);
    lisp.defineBuiltin("setenv", setenvFn, 2, 2);
    lisp.defineBuiltin("vl-file-systime", fileSystimeFn, 1, 1);
}

}  // namespace lisp
