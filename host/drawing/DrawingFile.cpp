#include "drawing/DrawingFile.h"

#include "sys/syscalls.h"
#include "text/text.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <iterator>
#include <new>
#include <pthread.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysinfo.h>
#include <unistd.h>

namespace korcad {

namespace fs = std::filesystem;

namespace {

// What a file that is no regular file is, for messages.
std::string kindOf(mode_t mode)
{
    if (S_ISDIR(mode))
        return "a directory";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "something else";
}

// The most memory a file's bytes could ever take: the machine's memory and swap, or less
// when the process is limited.
uint64_t memoryForFiles()
{
    uint64_t room = std::string().max_size();
    struct sysinfo info {};
    if (::sysinfo(&info) == 0)
        room = std::min<uint64_t>(room, (uint64_t(info.totalram) + info.totalswap) * info.mem_unit);
    for (int resource : {RLIMIT_AS, RLIMIT_DATA}) {
        struct rlimit limit {};
        if (::getrlimit(resource, &limit) == 0 && limit.rlim_cur != RLIM_INFINITY)
            room = std::min<uint64_t>(room, limit.rlim_cur);
    }
    return room;
}

Drawing::FileIdentity identityOf(const struct stat& st)
{
    Drawing::FileIdentity id;
    id.known = true;
    id.device = st.st_dev;
    id.inode = st.st_ino;
    id.size = st.st_size;
    id.mtimeSeconds = st.st_mtim.tv_sec;
    id.mtimeNanoseconds = st.st_mtim.tv_nsec;
    return id;
}

// The bytes of the regular file at `path`, and its identity as it was before they were read;
// false with the reason in *why. Only a regular file is read: a FIFO would wait for a writer,
// a device such as /dev/zero never end.
bool readRegularFile(const std::string& path, std::string& bytes, Drawing::FileIdentity& identity, std::string* why)
{
    // O_NONBLOCK: a FIFO opens without waiting for a writer (and is refused below).
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        *why = std::strerror(errno);
        return false;
    }
    struct Closer {
        int fd;
        ~Closer() { ::close(fd); }
    } closer{fd};
    struct stat st;
    if (::fstat(fd, &st) != 0) {
        *why = std::strerror(errno);
        return false;
    }
    if (!S_ISREG(st.st_mode)) {
        *why = "it is " + kindOf(st.st_mode) + ", not a regular file";
        return false;
    }
    identity = identityOf(st);
    const uint64_t room = memoryForFiles();
    if (static_cast<uint64_t>(st.st_size) > room) {
        *why = "its " + std::to_string(st.st_size) + " bytes do not fit in memory (at most " + std::to_string(room) +
               " bytes)";
        return false;
    }
    try {
        bytes.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        // Up to the size fstat gave, straight into the string; past it (the file grew since)
        // through a small buffer, so that the usual last read that finds the end does not
        // double the string's room.
        char more[4096];
        while (true) {
            const bool inPlace = done < bytes.size();
            ssize_t n = inPlace ? ::read(fd, bytes.data() + done, bytes.size() - done) : ::read(fd, more, sizeof more);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                *why = std::strerror(errno);
                return false;
            }
            if (n == 0)
                break;
            if (!inPlace)
                bytes.append(more, static_cast<size_t>(n));
            done += static_cast<size_t>(n);
        }
        bytes.resize(done);
    } catch (const std::bad_alloc&) {
        std::string().swap(bytes);
        *why = "there is not enough memory for it";
        return false;
    }
    return true;
}

}  // namespace

bool readFileBytes(const std::string& path, std::string& bytes, std::string* error)
{
    std::string why;
    Drawing::FileIdentity identity;
    if (readRegularFile(path, bytes, identity, &why))
        return true;
    *error = "cannot read " + path + ": " + why;
    return false;
}

std::unique_ptr<Drawing> loadDrawing(const std::string& path, std::string* error)
{
    std::string why;
    try {
        std::string bytes;
        Drawing::FileIdentity identity;
        if (readRegularFile(path, bytes, identity, &why)) {
            const std::wstring name = kortext::toWide(fs::path(path).filename().string());
            // An empty file holds nothing to lose: it is a new drawing that is saved there.
            auto d = dxf::sniff(bytes) == dxf::FileKind::Empty ? std::make_unique<Drawing>(name)
                                                                : Drawing::read(name, std::move(bytes), &why);
            if (d) {
                d->setPath(path);
                d->setFileIdentity(identity);
                return d;
            }
        }
    } catch (const std::bad_alloc&) {
        why = "there is not enough memory for it";
    }
    *error = path + ": " + why;
    return nullptr;
}

std::string savePath(const Drawing& drawing)
{
    if (!drawing.path().empty())
        return drawing.path();
    fs::path p(kortext::fromWide(drawing.name()));
    p.replace_extension(".dxf");
    return p.string();
}

namespace {

// The file `path` names in the end, symbolic links followed (also to a target that does not
// exist yet). False with errno ELOOP for links that lead round in a circle.
bool followLinks(const std::string& path, std::string& target)
{
    fs::path p(path);
    for (int hops = 0; hops <= 40; ++hops) {
        struct stat st;
        if (::lstat(p.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
            target = p.string();
            return true;
        }
        std::error_code ec;
        fs::path to = fs::read_symlink(p, ec);
        if (ec) {
            errno = ec.value();
            return false;
        }
        p = to.is_absolute() ? to : p.parent_path() / to;
    }
    errno = ELOOP;
    return false;
}

// The name of the temporary file beside `name` in `dir`, a template for mkstemp: ".NAME.XXXXXX",
// with NAME cut short (never inside a UTF-8 character) where the whole would be longer than a
// name in that folder may be.
std::string temporaryName(const fs::path& dir, std::string name)
{
    long most = ::pathconf(dir.c_str(), _PC_NAME_MAX);
    if (most <= 0)
        most = 255;
    const size_t room = most > 8 ? static_cast<size_t>(most) - 8 : 1;
    if (name.size() > room) {
        size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
            --cut;  // name[cut] continues a character: cut before that character
        name.resize(cut);
    }
    return "." + name + ".XXXXXX";
}

// ---- a signal that ends korcad during a save takes the temporary file with it ---------------
//
// While a save runs, SIGTERM, SIGHUP and SIGINT are caught where they would end korcad (their
// action is the default one; korcad's own Ctrl-C at the command line only interrupts LISP, and
// the save goes on). The handler removes the temporary file and ends korcad with the signal,
// as the signal would have: it only reads what the save recorded before it said so, and calls
// unlink, sigaction, pthread_sigmask and raise, all async-signal-safe. A signal that comes
// while mkstemp makes the file, whose name is not known yet, is acted on once it is made.

constexpr int kEndingSignals[] = {SIGTERM, SIGHUP, SIGINT};
char g_temporary[PATH_MAX];              // the temporary file's name, once g_phase says so
std::atomic<int> g_phase{0};             // 0: no temporary file; 1: being made; 2: g_temporary
std::atomic<int> g_pending{0};           // a signal that came while the file was being made
static_assert(std::atomic<int>::is_always_lock_free);

[[noreturn]] void endWith(int sig)
{
    if (g_phase.load() == 2)
        ::unlink(g_temporary);
    struct sigaction action {};
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(sig, &action, nullptr);
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, sig);
    ::pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
    ::raise(sig);
    ::_exit(128 + sig);  // not reached: the signal's default action ends korcad
}

void onEndingSignal(int sig)
{
    g_pending.store(sig);
    if (g_phase.load() == 1)
        return;  // the save acts on it once the file is made
    endWith(sig);
}

// Catches the ending signals while it lives, and makes the temporary file.
class TemporaryFile {
public:
    TemporaryFile()
    {
        struct sigaction ours {};
        ours.sa_handler = onEndingSignal;
        sigemptyset(&ours.sa_mask);
        for (int sig : kEndingSignals)
            sigaddset(&ours.sa_mask, sig);
        ours.sa_flags = SA_RESTART;
        for (size_t i = 0; i < std::size(kEndingSignals); ++i) {
            caught_[i] = ::sigaction(kEndingSignals[i], nullptr, &previous_[i]) == 0 &&
                         !(previous_[i].sa_flags & SA_SIGINFO) && previous_[i].sa_handler == SIG_DFL &&
                         ::sigaction(kEndingSignals[i], &ours, nullptr) == 0;
        }
    }
    ~TemporaryFile()
    {
        gone();
        for (size_t i = 0; i < std::size(kEndingSignals); ++i)
            if (caught_[i])
                ::sigaction(kEndingSignals[i], &previous_[i], nullptr);
        g_pending.store(0);
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    // mkstemp through the table of calls; from then on a signal removes the file.
    int make(std::string& pathTemplate)
    {
        g_phase.store(1);
        int fd = korsys::calls().mkstemp(pathTemplate.data());
        if (fd >= 0 && pathTemplate.size() < sizeof g_temporary) {
            std::memcpy(g_temporary, pathTemplate.c_str(), pathTemplate.size() + 1);
            g_phase.store(2);
        } else {
            g_phase.store(0);
        }
        if (int sig = g_pending.load())
            endWith(sig);
        return fd;
    }
    // The file is renamed or removed: a signal has nothing left to remove.
    void gone() { g_phase.store(0); }

private:
    struct sigaction previous_[std::size(kEndingSignals)];
    bool caught_[std::size(kEndingSignals)] = {};
};

}  // namespace

bool saveDrawing(Drawing& drawing, const std::string& path, std::string* error, SaveMode mode,
                 std::string* backupWarning)
{
    // Beyond a file size limit, write must fail with EFBIG rather than end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    struct stat st;
    const bool named = ::lstat(path.c_str(), &st) == 0;
    std::string unchanged = named ? "; " + path + " is unchanged" : "; nothing was written";
    auto refuse = [&](const std::string& why) {
        *error = "cannot save " + path + ": " + why + unchanged;
        return false;
    };
    // Through a symbolic link the file it leads to is saved, and the link stays.
    std::string target;
    if (!followLinks(path, target))
        return refuse(std::strerror(errno));
    const bool existed = ::stat(target.c_str(), &st) == 0;
    if (!existed && errno != ENOENT)
        return refuse(std::strerror(errno));
    if (existed) {
        // The new file takes the old one's place, so the old one must be one the user could
        // change: a regular file, not read-only, writable by the user, with no other name
        // (a hard link would keep the old drawing).
        if (S_ISDIR(st.st_mode))
            return refuse("it is a directory");
        if (!S_ISREG(st.st_mode))
            return refuse("it is " + kindOf(st.st_mode) + ", not a regular file");
        // QSAVE writes only over the drawing's own file, as it was read or last saved: not over
        // another program's save, nor over a file the drawing never came from.
        if (mode == SaveMode::Quick && !drawing.fileIdentity().known)
            return refuse("a file of that name is there already, and the drawing was not read from it; SAVEAS "
                          "writes over it");
        if (mode == SaveMode::Quick && identityOf(st) != drawing.fileIdentity())
            return refuse("the file changed on disk since the drawing was read or last saved (another program "
                          "wrote it?); SAVEAS saves under a name of your choice");
        if ((st.st_mode & 0222) == 0)
            return refuse("it is read-only");
        if (::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0)
            return refuse(std::string("you may not write it: ") + std::strerror(errno));
        if (st.st_nlink > 1)
            return refuse("it has " + std::to_string(st.st_nlink) +
                          " names (hard links), which a save would part; save it under a name of its own (SAVEAS)");
        if (backupWarning)
            keepBackup(path, backupWarning);
    }
    fs::path file(target);
    fs::path dir = file.parent_path().empty() ? fs::path(".") : file.parent_path();
    std::string tmpl = (dir / temporaryName(dir, file.filename().string())).string();
    const std::string text = drawing.write();
    auto& sys = korsys::calls();
    TemporaryFile temporary;
    int fd = temporary.make(tmpl);
    if (fd < 0)
        return refuse("cannot create a file in " + dir.string() + ": " + std::strerror(errno));
    auto fail = [&](const char* step) {
        int e = errno;
        sys.close(fd);
        ::unlink(tmpl.c_str());
        temporary.gone();
        return refuse(std::string(step) + ": " + std::strerror(e));
    };
    // The new file gets the owner, group and permissions of the one it replaces, or those a
    // new file gets. An owner that cannot be kept (the user is not the owner) refuses the save.
    mode_t permissions;
    if (existed) {
        permissions = st.st_mode & 07777;
        struct stat made;
        if (::fstat(fd, &made) != 0)
            return fail("cannot read the new file's owner");
        if ((made.st_uid != st.st_uid || made.st_gid != st.st_gid) && sys.fchown(fd, st.st_uid, st.st_gid) != 0)
            return fail("its owner and group cannot be kept");
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        permissions = 0666 & ~mask;
    }
    if (!korsys::writeAll(fd, text.data(), text.size()))
        return fail("writing failed");
    if (sys.fsync(fd) != 0)
        return fail("flushing to the disk failed");
    if (sys.fchmod(fd, permissions) != 0)
        return fail("setting the permissions failed");
    struct stat written;
    if (::fstat(fd, &written) != 0)
        return fail("cannot read the new file's identity");
    if (sys.close(fd) != 0) {
        int e = errno;
        ::unlink(tmpl.c_str());
        temporary.gone();
        return refuse(std::string("closing failed: ") + std::strerror(e));
    }
    if (sys.rename(tmpl.c_str(), target.c_str()) != 0) {
        int e = errno;
        ::unlink(tmpl.c_str());
        temporary.gone();
        return refuse(std::string("renaming failed: ") + std::strerror(e));
    }
    temporary.gone();
    // The rename itself reaches the disk with the directory.
    int dfd = sys.open(dir.c_str(), O_RDONLY | O_DIRECTORY, 0);
    if (dfd >= 0) {
        sys.fsync(dfd);
        sys.close(dfd);
    }
    drawing.setPath(path);
    drawing.setName(kortext::toWide(fs::path(path).filename().string()));
    drawing.setFileIdentity(identityOf(written));
    drawing.setSaved();
    return true;
}

std::string backupPath(const std::string& path)
{
    fs::path p(path);
    p.replace_extension(".bak");
    return p.string();
}

bool keepBackup(const std::string& path, std::string* error)
{
    std::error_code ec;
    if (!fs::is_regular_file(path, ec))
        return true;
    const std::string backup = backupPath(path);
    if (fs::equivalent(path, backup, ec)) {
        *error = "cannot keep the previous file as " + backup + ": it is the drawing file itself";
        return false;
    }
    // A copy, not a link: the backup keeps the old contents whatever the save does to the
    // file's name (a symbolic link is followed, its target replaced).
    if (!fs::copy_file(path, backup, fs::copy_options::overwrite_existing, ec)) {
        *error = "cannot keep the previous file as " + backup + ": " + ec.message();
        return false;
    }
    return true;
}

}  // namespace korcad
