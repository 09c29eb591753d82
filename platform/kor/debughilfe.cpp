// The debug log: formatted lines to a file and to in-process sinks.
#include "kor/debughilfe.h"
#include "sys/syscalls.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <cstdlib>
#include <ctime>
#include <map>
#include <mutex>
#include <set>

namespace {

struct Sinks {
    std::mutex mutex;
    std::map<int, CDebugHilfe::Sink> sinks;
    int nextId = 1;
    std::atomic<size_t> count{0};  // sinks.size(), read without the lock
};

// Made on first use, which is inside the first module's start-up, so it is destroyed after
// that module's last words at exit; and freed when this library is unloaded with the modules
// that loaded it.
Sinks& sinks()
{
    static Sinks s;
    return s;
}

// Creates every missing directory on the way to path's parent.
void makeParentDirs(const std::string& path)
{
    for (size_t pos = path.find('/', 1); pos != std::string::npos; pos = path.find('/', pos + 1))
        mkdir(path.substr(0, pos).c_str(), 0700);
}

std::string timestamp()
{
    using namespace std::chrono;
    auto now = system_clock::now();
    std::time_t t = system_clock::to_time_t(now);
    int ms = static_cast<int>(duration_cast<milliseconds>(now.time_since_epoch()).count() % 1000);
    std::tm tm{};
    localtime_r(&t, &tm);
    char buf[64];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d.%03d", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, ms);
    return buf;
}

// A log that cannot be written is said once per file on standard error, then skipped: the
// log is diagnostic and must not stop the work it describes.
void warnOnce(const std::string& path, const std::string& reason)
{
    static std::mutex mutex;
    static std::set<std::string> warned;
    std::lock_guard<std::mutex> lock(mutex);
    if (warned.insert(path).second)
        std::fprintf(stderr, "debug log: cannot write %s: %s (set KOR_DEBUGLOG to another file, or to off)\n",
                     path.c_str(), reason.c_str());
}

void warnOnce(const std::string& path) { warnOnce(path, std::strerror(errno)); }

// Opens the log for appending without ever blocking (a FIFO without a reader would hold the
// program at its start). Regular files and devices such as /dev/null are written; a FIFO, a
// socket or a directory is refused. -1 after the report.
bool writableKind(mode_t mode) { return S_ISREG(mode) || S_ISCHR(mode); }

int openLog(const std::string& path)
{
    // Said by name before opening: a FIFO without a reader would otherwise read as "No such
    // device or address".
    if (struct stat st {}; ::stat(path.c_str(), &st) == 0 && !writableKind(st.st_mode)) {
        warnOnce(path, S_ISFIFO(st.st_mode) ? "a FIFO, not a regular file" : "not a regular file");
        return -1;
    }
    int fd = korsys::calls().open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NONBLOCK | O_CLOEXEC, 0644);
    if (fd < 0) {
        warnOnce(path);
        return -1;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !writableKind(st.st_mode)) {  // (replaced since the look)
        ::close(fd);
        warnOnce(path, "not a regular file");
        return -1;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);  // (a terminal would refuse writes)
    return fd;
}

// The log file is kept open between lines: a line costs a look at the path and one write,
// not the dozen calls of making its folders and opening it anew. It is opened again when the
// path names another file than the one held (moved away or rotated by another program,
// removed) or another path is asked for. Only under fileMutex().
struct HeldLog {
    std::string path;
    int fd = -1;
    dev_t device = 0;
    ino_t inode = 0;

    // The library may be unloaded with the modules before the process ends: its descriptor
    // goes with it (closed directly: the call table may be gone by then).
    ~HeldLog()
    {
        if (fd >= 0)
            ::close(fd);
    }

    void release()
    {
        if (fd >= 0)
            korsys::calls().close(fd);
        fd = -1;
        path.clear();
    }

    // Whether `p` still names the file held; `st` is its status.
    bool holds(const std::string& p, struct stat& st) const
    {
        return fd >= 0 && p == path && ::stat(p.c_str(), &st) == 0 && st.st_dev == device && st.st_ino == inode;
    }

    // Opens `p` (making its folders), false after the report.
    bool open(const std::string& p, struct stat& st)
    {
        release();
        makeParentDirs(p);
        int opened = openLog(p);
        if (opened < 0)
            return false;
        if (::fstat(opened, &st) != 0) {
            warnOnce(p);
            korsys::calls().close(opened);
            return false;
        }
        path = p, fd = opened, device = st.st_dev, inode = st.st_ino;
        return true;
    }
};

HeldLog& heldLog()
{
    static HeldLog held;
    return held;
}

std::mutex& fileMutex()
{
    static std::mutex m;  // lives as long as the sinks
    return m;
}

}  // namespace

CDebugHilfe::CDebugHilfe(const wchar_t* name, const wchar_t* fileName)
    : m_name(name ? name : L""), m_fileOverride(fileName ? AfxToUtf8(fileName) : std::string())
{
}

CDebugHilfe::~CDebugHilfe() = default;

void CDebugHilfe::Initialisiere(HINSTANCE instance)
{
    Dl_info info{};
    std::string file = instance && dladdr(instance, &info) && info.dli_fname ? info.dli_fname : "?";
    write(L"Init", L"log of " + m_name + L" in " + AfxFromUtf8(file) + L"\r\n");
}

std::string CDebugHilfe::LogFilePath()
{
    if (const char* env = std::getenv("KOR_DEBUGLOG"); env && *env)
        return std::string(env) == "off" ? std::string() : std::string(env);
    std::string state;
    if (const char* xdg = std::getenv("XDG_STATE_HOME"); xdg && *xdg)
        state = xdg;
    else if (const char* home = std::getenv("HOME"); home && *home)
        state = std::string(home) + "/.local/state";
    else
        return std::string();
    return state + "/korcad/kordebug.log";
}

void CDebugHilfe::AusgabeLang(const wchar_t* category, const wchar_t* format, ...)
{
    va_list ap;
    va_start(ap, format);
    AusgabeLangV(category, format, ap);
    va_end(ap);
}

bool CDebugHilfe::Wanted() const
{
    return sinks().count.load(std::memory_order_relaxed) > 0 || !m_fileOverride.empty() || !LogFilePath().empty();
}

void CDebugHilfe::AusgabeLangV(const wchar_t* category, const wchar_t* format, va_list args)
{
    if (!Wanted())
        return;
    CString text;
    text.FormatV(format, args);
    write(category ? category : L"", text.str());
}

void CDebugHilfe::write(const std::wstring& category, const std::wstring& text)
{
    std::string path = m_fileOverride.empty() ? LogFilePath() : m_fileOverride;
    if (!path.empty()) {
        std::string line = timestamp() + " " + AfxToUtf8(m_name.c_str()) + " [" +
                           AfxToUtf8(category.c_str()) + "] " + AfxToUtf8(text.c_str());
        // A text that does not end its line gets a line end, so lines never run together.
        if (line.empty() || line.back() != '\n')
            line += "\n";
        std::lock_guard<std::mutex> lock(fileMutex());
        HeldLog& held = heldLog();
        struct stat st {};
        bool open = held.holds(path, st) || held.open(path, st);
        if (open && S_ISREG(st.st_mode) && st.st_size > 0 &&
            static_cast<unsigned long long>(st.st_size) + line.size() > CDebugHilfe::kRotateAt) {
            // Full: the file becomes the one older file (replacing the one before) and the
            // line starts a new one.
            held.release();
            if (korsys::calls().rename(path.c_str(), (path + ".1").c_str()) != 0)
                warnOnce(path);
            open = held.open(path, st);
        }
        if (open && !korsys::writeAll(held.fd, line.data(), line.size())) {
            int writeError = errno;
            held.release();  // opened anew for the next line
            errno = writeError;
            warnOnce(path);
        }
    }
    std::lock_guard<std::mutex> lock(sinks().mutex);
    for (auto& [id, sink] : sinks().sinks)
        sink(KorDebugLine{m_name, category, text});
}

int CDebugHilfe::AddSink(Sink sink)
{
    std::lock_guard<std::mutex> lock(sinks().mutex);
    int id = sinks().nextId++;
    sinks().sinks[id] = std::move(sink);
    sinks().count = sinks().sinks.size();
    return id;
}

void CDebugHilfe::RemoveSink(int id)
{
    std::lock_guard<std::mutex> lock(sinks().mutex);
    sinks().sinks.erase(id);
    sinks().count = sinks().sinks.size();
}

CKORDebugHelpFunction::CKORDebugHelpFunction(CDebugHilfe& log, const wchar_t* category,
                                             const wchar_t* format, ...)
    : m_log(log), m_category(category ? category : L"")
{
    if (!m_log.Wanted())
        return;
    m_written = true;
    CString text;
    va_list ap;
    va_start(ap, format);
    text.FormatV(format, ap);
    va_end(ap);
    m_text = text.str();
    m_log.AusgabeLang(m_category.c_str(), L"> %s", m_text.c_str());
}

CKORDebugHelpFunction::~CKORDebugHelpFunction()
{
    // Runs while a failure unwinds the scope too: a line that cannot be made (no memory left)
    // is dropped rather than ending the program.
    try {
        if (m_written)
            m_log.AusgabeLang(m_category.c_str(), L"< %s", m_text.c_str());
    } catch (const std::exception&) {
        std::fputs("debug log: a scope's closing line was lost (not enough memory)\n", stderr);
    }
}
