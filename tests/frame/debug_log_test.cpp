// The debug log's file: its lines, rotation at its size limit, and files it cannot or must not
// write reported once on standard error without holding the program up.
#include "kor/debughilfe.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>
#include <sstream>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string readAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// Points KOR_DEBUGLOG at `path` for the life of the object.
struct ScopedLogFile {
    explicit ScopedLogFile(const std::string& path) { setenv("KOR_DEBUGLOG", path.c_str(), 1); }
    ~ScopedLogFile() { setenv("KOR_DEBUGLOG", "off", 1); }
};

fs::path freshDir(const std::string& tag)
{
    fs::path dir = fs::path(::testing::TempDir()) / ("kordebug-" + tag + "-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

// The sequence number of the last line of a log text ("... [Seq] line 42 xxx").
int lastNumber(const std::string& text)
{
    size_t at = text.rfind("] line ");
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + 7);
}

int firstNumber(const std::string& text)
{
    size_t at = text.find("] line ");
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + 7);
}

// Writes one log line in another thread; a log that blocks ends the test process.
bool writesWithoutBlocking(CDebugHilfe& log, const wchar_t* text)
{
    auto done = std::async(std::launch::async, [&] { log.AusgabeLang(L"Test", L"%s", text); });
    if (done.wait_for(std::chrono::seconds(20)) == std::future_status::ready)
        return true;
    std::fprintf(stderr, "the debug log blocked\n");
    std::_Exit(1);
}

}  // namespace

TEST(DebugLogFile, RotatesAtOneMebibyteKeepingOneOlderFileAndNoLineIsLost)
{
    fs::path dir = freshDir("rotate");
    fs::path file = dir / "kordebug.log", older = dir / "kordebug.log.1";
    ScopedLogFile scoped(file.string());
    CDebugHilfe log(L"korTest", nullptr);
    const std::wstring filler(900, L'x');
    const unsigned long long limit = CDebugHilfe::kRotateAt;
    ASSERT_EQ(limit, 1024u * 1024u);

    int n = 0;
    // Writes lines until the file starts again (it got smaller); at most 3 MiB of them.
    auto writeUntilRotated = [&] {
        for (int k = 0; k < 3500; ++k) {
            uintmax_t before = fs::exists(file) ? fs::file_size(file) : 0;
            log.AusgabeLang(L"Seq", L"line %d %s\n", n++, filler.c_str());
            if (fs::file_size(file) < before)
                return true;
        }
        return false;
    };
    ASSERT_TRUE(writeUntilRotated());
    ASSERT_TRUE(fs::exists(older));
    EXPECT_LE(fs::file_size(older), limit);
    EXPECT_GT(fs::file_size(older), limit - 1000) << "rotated when the next line did not fit";
    EXPECT_EQ(lastNumber(readAll(older)) + 1, firstNumber(readAll(file))) << "the new file goes on";
    EXPECT_EQ(lastNumber(readAll(file)), n - 1);

    // The next rotation replaces the older file: never more than two.
    int firstOfSecond = firstNumber(readAll(file));
    ASSERT_TRUE(writeUntilRotated());
    EXPECT_EQ(firstNumber(readAll(older)), firstOfSecond);
    EXPECT_LE(fs::file_size(older), limit);
    EXPECT_LE(fs::file_size(file), limit);
    EXPECT_EQ(lastNumber(readAll(older)) + 1, firstNumber(readAll(file)));
    size_t files = std::distance(fs::directory_iterator(dir), fs::directory_iterator());
    EXPECT_EQ(files, 2u);
    fs::remove_all(dir);
}

// A FIFO, a folder, a path below a file: refused at once, said once on standard error.
TEST(DebugLogFile, AFileThatCannotBeWrittenIsReportedOnceWithoutWaiting)
{
    fs::path dir = freshDir("fifo");
    fs::path fifo = dir / "pipe", blocker = dir / "blocker";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    std::ofstream(blocker) << "a file, so no folder can be made of it";
    const std::pair<fs::path, const char*> targets[] = {
        {fifo, "a FIFO, not a regular file"}, {dir, "not a regular file"}, {blocker / "kordebug.log", "Not a directory"}};
    for (const auto& [target, reason] : targets) {
        ScopedLogFile scoped(target.string());
        int seen = 0;
        int sink = CDebugHilfe::AddSink([&](const KorDebugLine&) { ++seen; });
        ::testing::internal::CaptureStderr();
        CDebugHilfe log(L"korTest", nullptr);
        EXPECT_TRUE(writesWithoutBlocking(log, L"eins\n"));
        EXPECT_TRUE(writesWithoutBlocking(log, L"zwei\n"));
        std::string err = ::testing::internal::GetCapturedStderr();
        CDebugHilfe::RemoveSink(sink);
        EXPECT_EQ(seen, 2);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find("cannot write " + target.string() + ": " + reason), std::string::npos) << err;
    }

    // With a reader on the other end it is still no log file.
    ScopedLogFile scoped(fifo.string());
    FILE* reader = std::fopen(fifo.c_str(), "r+");  // (r+ opens a FIFO without waiting)
    ASSERT_TRUE(reader);
    CDebugHilfe log(L"korTest", nullptr);
    EXPECT_TRUE(writesWithoutBlocking(log, L"drei\n"));
    std::fclose(reader);
    fs::remove_all(dir);
}

TEST(DebugLogFile, LinesCarryTimeModuleCategoryAndTheTextAsPassedAndDevNullTakesThem)
{
    fs::path dir = freshDir("lines");
    ScopedLogFile scoped((dir / "kordebug.log").string());
    std::vector<KorDebugLine> seen;
    int sink = CDebugHilfe::AddSink([&](const KorDebugLine& l) { seen.push_back(l); });
    {
        CDebugHilfe log(L"korTest", nullptr);
        CKORDebugHelpFunction scope(log, L"Dialog", L"f(%d)\r\n", 3);
        log.AusgabeLang(L"DialogReturn", L"return '%s' -> RSRSLT\r\n", L"Wert");
    }
    CDebugHilfe::RemoveSink(sink);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].text, L"> f(3)\r\n");
    EXPECT_EQ(seen[1].category, L"DialogReturn");
    EXPECT_EQ(seen[1].text, L"return 'Wert' -> RSRSLT\r\n");
    EXPECT_EQ(seen[2].text, L"< f(3)\r\n");
    std::string all = readAll(dir / "kordebug.log");
    EXPECT_NE(all.find(" korTest [DialogReturn] return 'Wert' -> RSRSLT\r\n"), std::string::npos) << all;
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 3);
    EXPECT_EQ(all.substr(4, 1), "-");  // starts with the date
    fs::remove_all(dir);

    // /dev/null is a place to send the log to: no word on standard error.
    ScopedLogFile null("/dev/null");
    ::testing::internal::CaptureStderr();
    CDebugHilfe(L"korTest", nullptr).AusgabeLang(L"Dialog", L"eins\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}
