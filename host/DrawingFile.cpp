#include "DrawingFile.h"

#include "sys/syscalls.h"
#include "text/text.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace korcad {

namespace fs = std::filesystem;

bool readFileBytes(const std::string& path, std::string& bytes, std::string* error)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    struct stat st;
    if (fd < 0 || ::fstat(fd, &st) != 0) {
        *error = "cannot read " + path + ": " + std::strerror(errno);
        if (fd >= 0)
            ::close(fd);
        return false;
    }
    bytes.resize(static_cast<size_t>(st.st_size));
    size_t done = 0;
    while (true) {
        if (done == bytes.size())
            bytes.resize(bytes.size() + 65536);  // the file grew since fstat
        ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *error = "cannot read " + path + ": " + std::strerror(errno);
            ::close(fd);
            return false;
        }
        if (n == 0)
            break;
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    ::close(fd);
    return true;
}

std::unique_ptr<Drawing> loadDrawing(const std::string& path, std::string* error)
{
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        *error = path + " is a directory, not a drawing file";
        return nullptr;
    }
    std::string bytes;
    if (!readFileBytes(path, bytes, error))
        return nullptr;
    std::string why;
    auto d = Drawing::read(kortext::toWide(fs::path(path).filename().string()), std::move(bytes), &why);
    if (!d) {
        *error = path + ": " + why;
        return nullptr;
    }
    d->setPath(path);
    return d;
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
