// Faults in the file system calls (korsys's table) of a save and the debug log, a process
// killed or signalled mid-save, memory running out while a drawing is read, and a
// configuration folder korcad cannot write.
#include "drawing/DrawingFile.h"
#include "run_process.h"
#include "kor/debughilfe.h"
#include "sys/syscalls.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>

#include <sys/wait.h>
#include <unistd.h>

#include "failing_allocator.h"

namespace {

namespace fs = std::filesystem;

std::string readAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class FileFaults : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("file-faults-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::create_directories(dir_);
        target_ = dir_ / "netz.dxf";
        // On disk a new drawing; in memory, to be saved over it, the sample.
        std::ofstream(target_, std::ios::binary) << korcad::Drawing(L"netz.dxf").write();
        original_ = readAll(target_);
        std::string error;
        drawing_ = korcad::loadDrawing(std::string(EXAMPLES_DIR) + "/netz.dxf", &error);
        ASSERT_NE(drawing_, nullptr) << error;
        saved_ = drawing_->write();
        ASSERT_NE(saved_, original_);
    }
    void TearDown() override { fs::remove_all(dir_); }

    // Whether a save left files (temporary ones) besides the target.
    bool strays() const { return std::distance(fs::directory_iterator(dir_), fs::directory_iterator()) > 1; }

    fs::path dir_, target_;
    std::string original_, saved_;
    std::unique_ptr<korcad::Drawing> drawing_;
};

// The process dies before its n-th call through the table; `Slot` keeps same-typed entries apart.
long g_callsLeft = 0;
template <int Slot, class R, class... A>
R (*dieBefore(R (*call)(A...)))(A...)
{
    static R (*real)(A...) = nullptr;
    real = call;
    return [](A... a) -> R {
        if (--g_callsLeft == 0)
            ::_exit(9);
        return real(a...);
    };
}

TEST_F(FileFaults, ASaveKilledBeforeAnyOfItsStepsLeavesTheOldFileOrTheNewOneWhole)
{
    const korsys::Calls& sys = korsys::systemCalls();
    int killed = 0;
    for (long n = 1;; ++n) {
        ASSERT_LT(n, 100) << "the save never ended";
        pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            g_callsLeft = n;
            korsys::Calls& c = korsys::calls();
            c.open = dieBefore<0>(sys.open);
            c.mkstemp = dieBefore<1>(sys.mkstemp);
            c.write = dieBefore<2>(sys.write);
            c.fsync = dieBefore<3>(sys.fsync);
            c.fchmod = dieBefore<4>(sys.fchmod);
            c.close = dieBefore<5>(sys.close);
            c.rename = dieBefore<6>(sys.rename);
            c.fchown = dieBefore<7>(sys.fchown);
            std::string error;
            ::_exit(korcad::saveDrawing(*drawing_, target_.string(), &error) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFEXITED(status));
        const std::string now = readAll(target_);
        if (WEXITSTATUS(status) == 9) {
            ++killed;
            EXPECT_TRUE(now == original_ || now == saved_) << "killed before call " << n << ": a mixed file";
            continue;
        }
        EXPECT_TRUE(WEXITSTATUS(status) == 0 && now == saved_) << "the save without a fault, at call " << n;
        break;
    }
    // mkstemp, the writes, fsync, fchmod, close, rename, and the folder's open, fsync, close.
    EXPECT_GE(killed, 9);
}

TEST_F(FileFaults, AFailingStepOfASaveIsNamedAndTheFileStaysAsItWas)
{
    struct Case {
        const char* what;
        void (*plant)(korsys::Calls&);
        const char* message;
    };
    static const Case cases[] = {
        {"the disk fills up after 4 KiB",
         [](korsys::Calls& c) {
             c.write = [](int fd, const void* p, size_t n) -> ssize_t {
                 static size_t left = 4096;
                 size_t take = std::min(n, left);
                 left -= take;
                 return take ? korsys::systemCalls().write(fd, p, take) : (errno = ENOSPC, -1);
             };
         },
         "writing failed: No space left on device"},
        {"the flush fails", [](korsys::Calls& c) { c.fsync = [](int) { return errno = EIO, -1; }; },
         "flushing to the disk failed: Input/output error"},
        {"closing fails", [](korsys::Calls& c) { c.close = [](int fd) { return korsys::systemCalls().close(fd), errno = EIO, -1; }; },
         "closing failed: Input/output error"},
        {"renaming fails", [](korsys::Calls& c) { c.rename = [](const char*, const char*) { return errno = EXDEV, -1; }; },
         "renaming failed: Invalid cross-device link"},
        {"no temporary file can be made", [](korsys::Calls& c) { c.mkstemp = [](char*) { return errno = ENOSPC, -1; }; },
         "cannot create a file in"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string error;
        {
            korsys::ScopedCalls faults;
            c.plant(korsys::calls());
            EXPECT_FALSE(korcad::saveDrawing(*drawing_, target_.string(), &error));
        }
        EXPECT_NE(error.find(c.message), std::string::npos) << error;
        EXPECT_NE(error.find(target_.string() + " is unchanged"), std::string::npos) << error;
        EXPECT_TRUE(readAll(target_) == original_ && !strays()) << "the file changed or a file stayed";
    }
    // With the faults gone the same drawing saves.
    std::string error;
    EXPECT_TRUE(korcad::saveDrawing(*drawing_, target_.string(), &error)) << error;
    EXPECT_TRUE(readAll(target_) == saved_) << "the file is not the drawing saved";
}

// A signal ending a save while its temporary file is made or written takes that file with it.
int g_signal = 0;
int g_midSave = -1;

TEST_F(FileFaults, ASignalThatEndsASaveRemovesItsTemporaryFile)
{
    for (bool whileMade : {false, true}) {
        for (int sig : {SIGTERM, SIGHUP, SIGINT}) {
            SCOPED_TRACE(std::string(strsignal(sig)) + (whileMade ? " while the file is made" : " while it is written"));
            int midSave[2];
            ASSERT_EQ(::pipe(midSave), 0);
            pid_t pid = ::fork();
            ASSERT_GE(pid, 0);
            if (pid == 0) {
                g_signal = sig;
                g_midSave = midSave[1];
                ::signal(sig, SIG_DFL);
                ::alarm(30);  // a save the signal does not end ends by SIGALRM
                korsys::Calls& c = korsys::calls();
                if (whileMade) {  // as mkstemp has made the file, before the save knows its name
                    c.mkstemp = [](char* pathTemplate) {
                        int fd = korsys::systemCalls().mkstemp(pathTemplate);
                        ::raise(g_signal);
                        return fd;
                    };
                } else {  // the first write puts part of the drawing in, says so and waits
                    c.write = [](int fd, const void* p, size_t n) -> ssize_t {
                        ssize_t done = korsys::systemCalls().write(fd, p, std::min<size_t>(n, 4096));
                        char one = 1;
                        (void)!::write(g_midSave, &one, 1);
                        for (;;)
                            ::pause();
                        return done;
                    };
                }
                std::string error;
                korcad::saveDrawing(*drawing_, target_.string(), &error);
                ::_exit(0);
            }
            ::close(midSave[1]);
            if (!whileMade) {
                char one = 0;
                ASSERT_EQ(::read(midSave[0], &one, 1), 1) << "the child never came to write";
                EXPECT_TRUE(strays()) << "no temporary file while saving";
                ASSERT_EQ(::kill(pid, sig), 0);
            }
            ::close(midSave[0]);
            int status = 0;
            ASSERT_EQ(::waitpid(pid, &status, 0), pid);
            EXPECT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == sig) << "status " << status;
            EXPECT_TRUE(!strays() && readAll(target_) == original_) << "a file stayed or the file changed";
        }
    }
}

// Whichever allocation fails while a drawing is read, the reading ends with a message.
TEST(ReadFaults, MemoryRunningOutWhileADrawingIsReadIsAMessage)
{
    const std::string path = std::string(EXAMPLES_DIR) + "/netz.dxf";
    long injected = 0;
    for (long n = 1;; ++n) {
        ASSERT_LT(n, 1000000) << "the reading never ended";
        std::string error;
        std::unique_ptr<korcad::Drawing> d;
        g_failures = 0;
        g_countdown = n;
        EXPECT_NO_THROW(d = korcad::loadDrawing(path, &error)) << "allocation " << n;
        g_countdown = 0;
        if (g_failures == 0) {
            EXPECT_NE(d, nullptr) << error;
            break;
        }
        ++injected;
        EXPECT_EQ(d, nullptr) << "allocation " << n;
        EXPECT_EQ(error, path + ": there is not enough memory for it") << "allocation " << n;
    }
    EXPECT_GT(injected, 10);
}

TEST_F(FileFaults, ADiskThatFillsUpUnderTheLogIsSaidOnceAndNoLineIsLostToTheSinks)
{
    const fs::path log = dir_ / "kordebug.log";
    ::setenv("KOR_DEBUGLOG", log.c_str(), 1);
    std::vector<std::wstring> seen;
    int sink = CDebugHilfe::AddSink([&](const KorDebugLine& l) { seen.push_back(l.text); });
    CDebugHilfe debug(L"faults", nullptr);
    debug.AusgabeLang(L"Test", L"vorher\r\n");
    ::testing::internal::CaptureStderr();
    {
        korsys::ScopedCalls faults;
        korsys::calls().write = [](int, const void*, size_t) -> ssize_t { return errno = ENOSPC, -1; };
        for (int i = 0; i < 3; ++i)
            debug.AusgabeLang(L"Test", L"voll %d\r\n", i);
    }
    const std::string err = ::testing::internal::GetCapturedStderr();
    debug.AusgabeLang(L"Test", L"nachher\r\n");
    CDebugHilfe::RemoveSink(sink);
    ::setenv("KOR_DEBUGLOG", "off", 1);

    EXPECT_NE(err.find("No space left on device"), std::string::npos) << err;
    EXPECT_EQ(err.find("No space left on device"), err.rfind("No space left on device")) << err;
    EXPECT_EQ(seen.size(), 5u);
    const std::string text = readAll(log);
    EXPECT_TRUE(text.find("vorher") < text.find("nachher") && text.find("nachher") != std::string::npos &&
                text.find("voll") == std::string::npos) << text;
}

TEST(ConfigurationFaults, KorcadWithAConfigurationFolderItCannotWriteAnswersAndSaysSo)
{
    TempFile answers("a.txt", "key Escape\n");
    ProcessResult r = runProcess({KORCAD_PATH, "--answers", answers.path(), "-e", "(korDialog_LWeightDialog 25)"}, "",
                                 ProcessEnv{{{"XDG_CONFIG_HOME", "/dev/null/config"},  // not even root makes it
                                             {"XDG_STATE_HOME", "/dev/null/state"}, {"KOR_DEBUGLOG", "off"},
                                             {"QT_QPA_PLATFORM", "offscreen"}}, {}});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("-1"), std::string::npos) << r.out;
    EXPECT_NE(r.err.find("cannot save the window position to /dev/null/config/kor/windowpositions.ini"), std::string::npos) << r.err;
}

}  // namespace
