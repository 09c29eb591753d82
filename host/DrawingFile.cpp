#include "DrawingFile.h"

#include "sys/syscalls.h"
#include "text/text.h"

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <new>
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

// The bytes of the regular file at `path`; false with the reason in *why. Only a regular file
// is read: a FIFO would wait for a writer, a device such as /dev/zero never end.
bool readRegularFile(const std::string& path, std::string& bytes, std::string* why)
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
    const uint64_t room = memoryForFiles();
    if (static_cast<uint64_t>(st.st_size) > room) {
        *why = "its " + std::to_string(st.st_size) + " bytes do not fit in memory (at most " + std::to_string(room) +
               " bytes)";
        return false;
    }
    try {
        bytes.resize(static_cast<size_t>(st.st_size));
        size_t done = 0;
        while (true) {
            if (done == bytes.size())
                bytes.resize(bytes.size() + 65536);  // the file grew since fstat
            ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                *why = std::strerror(errno);
                return false;
            }
            if (n == 0)
                break;
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
    if (readRegularFile(path, bytes, &why))
        return true;
    *error = "cannot read " + path + ": " + why;
    return false;
}

std::unique_ptr<Drawing> loadDrawing(const std::string& path, std::string* error)
{
    std::string why;
    try {
        std::string bytes;
        if (readRegularFile(path, bytes, &why)) {
            const std::wstring name = kortext::toWide(fs::path(path).filename().string());
            // An empty file holds nothing to lose: it is a new drawing that is saved there.
            auto d = dxf::sniff(bytes) == dxf::FileKind::Empty ? std::make_unique<Drawing>(name)
                                                                : Drawing::read(name, std::move(bytes), &why);
            if (d) {
                d->setPath(path);
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

bool saveDrawing(Drawing& drawing, const std::string& path, std::string* error)
{
    // Beyond a file size limit, write must fail with EFBIG rather than end the program.
    std::signal(SIGXFSZ, SIG_IGN);
    std::error_code ec;
    const bool existed = fs::exists(path, ec);
    const std::string unchanged = existed ? "; " + path + " is unchanged" : "; nothing was written";
    if (existed && fs::is_directory(path, ec)) {
        *error = "cannot save to " + path + ": it is a directory";
        return false;
    }
    fs::path target(path);
    fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    std::string tmpl = (dir / ("." + target.filename().string() + ".XXXXXX")).string();
    auto& sys = korsys::calls();
    int fd = sys.mkstemp(tmpl.data());
    if (fd < 0) {
        *error = "cannot save " + path + ": cannot create a file in " + dir.string() + ": " + std::strerror(errno) +
                 unchanged;
        return false;
    }
    auto fail = [&](const char* step) {
        int e = errno;
        sys.close(fd);
        ::unlink(tmpl.c_str());
        *error = "cannot save " + path + ": " + step + ": " + std::strerror(e) + unchanged;
        return false;
    };
    // The new file gets the permissions of the one it replaces, or those a new file gets.
    mode_t mode;
    struct stat st;
    if (existed && ::stat(path.c_str(), &st) == 0) {
        mode = st.st_mode & 07777;
    } else {
        mode_t mask = ::umask(0);
        ::umask(mask);
        mode = 0666 & ~mask;
    }
    const std::string text = drawing.write();
    if (!korsys::writeAll(fd, text.data(), text.size()))
        return fail("writing failed");
    if (sys.fsync(fd) != 0)
        return fail("flushing to the disk failed");
    if (sys.fchmod(fd, mode) != 0)
        return fail("setting the permissions failed");
    if (sys.close(fd) != 0) {
        int e = errno;
        ::unlink(tmpl.c_str());
        *error = "cannot save " + path + ": closing failed: " + std::strerror(e) + unchanged;
        return false;
    }
    if (sys.rename(tmpl.c_str(), path.c_str()) != 0) {
        int e = errno;
        ::unlink(tmpl.c_str());
        *error = "cannot save " + path + ": renaming failed: " + std::strerror(e) + unchanged;
        return false;
    }
    // The rename itself reaches the disk with the directory.
    int dfd = sys.open(dir.c_str(), O_RDONLY | O_DIRECTORY, 0);
    if (dfd >= 0) {
        sys.fsync(dfd);
        sys.close(dfd);
    }
    drawing.setPath(path);
    drawing.setName(kortext::toWide(target.filename().string()));
    drawing.setSaved();
    return true;
}

}  // namespace korcad
