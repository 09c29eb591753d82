// The debug log's file: its lines, rotation at its size limit, and files it cannot or must not
// write reported once on standard error without holding the program up.
#include "kor/debughilfe.h"
#include "korcad_run.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>

namespace fs = std::filesystem;

namespace {

// Points KOR_DEBUGLOG at `path` for the life of the object.
struct ScopedLogFile {
    explicit ScopedLogFile(const std::string& path) { setenv("KOR_DEBUGLOG", path.c_str(), 1); }
    ~ScopedLogFile() { setenv("KOR_DEBUGLOG", "off", 1); }
};

// The sequence number of the first or last line of a log file ("... [Seq] line 42 xxx").
int number(const fs::path& p, bool last)
{
    std::string text = readFile(p.string());
    size_t at = last ? text.rfind("] line ") : text.find("] line ");
    return at == std::string::npos ? -1 : std::atoi(text.c_str() + at + 7);
}

// Writes one log line in another thread; a log that blocks for 20 s ends the test process.
void writeWithoutBlocking(CDebugHilfe& log, const wchar_t* text)
{
    auto done = std::async(std::launch::async, [&] { log.AusgabeLang(L"Test", L"%s", text); });
    if (done.wait_for(std::chrono::seconds(20)) != std::future_status::ready)
        std::fprintf(stderr, "the debug log blocked\n"), std::_Exit(1);
}

}  // namespace

TEST(DebugLogFile, RotatesAtOneMebibyteKeepingOneOlderFileAndNoLineIsLost)
{
    TempFile t("kordebug.log", "");
    const fs::path file = t.path(), older = t.path() + ".1";
    ScopedLogFile scoped(file.string());
    CDebugHilfe log(L"korTest", nullptr);
    const std::wstring filler(900, L'x');
    const unsigned long long limit = 1024u * 1024u;
    int n = 0;
    // Writes lines until the file starts again (it got smaller); at most 3 MiB of them.
    auto writeUntilRotated = [&] {
        for (int k = 0; k < 3500; ++k) {
            uintmax_t before = fs::file_size(file);
            log.AusgabeLang(L"Seq", L"line %d %s\n", n++, filler.c_str());
            if (fs::file_size(file) < before)
                return true;
        }
        return false;
    };
    ASSERT_TRUE(writeUntilRotated());
    EXPECT_GT(fs::file_size(older), limit - 1000) << "rotated when the next line did not fit";
    EXPECT_EQ(number(file, true), n - 1);
    // The next rotation replaces the older file: never more than two, and the new file goes on.
    int firstOfSecond = number(file, false);
    ASSERT_TRUE(writeUntilRotated());
    EXPECT_EQ(number(older, false), firstOfSecond);
    EXPECT_LE(fs::file_size(older), limit);
    EXPECT_EQ(number(older, true) + 1, number(file, false));
    EXPECT_EQ(std::distance(fs::directory_iterator(t.dir()), fs::directory_iterator()), 2);
}

// The file is kept open between lines, yet a file moved away (and another put in its place, as
// logrotate does) or removed gets no more lines: they go to the file at the path.
TEST(DebugLogFile, ALogMovedAwayOrRemovedIsStartedAgainAtItsPath)
{
    TempFile t("kordebug.log", "");
    const fs::path file = t.path(), moved = t.path() + ".1";
    ScopedLogFile scoped(file.string());
    CDebugHilfe log(L"korTest", nullptr);
    log.AusgabeLang(L"Test", L"eins\n");
    fs::rename(file, moved);
    std::ofstream{file};
    log.AusgabeLang(L"Test", L"zwei\n");
    std::string old = readFile(moved.string()), now = readFile(file.string());
    EXPECT_TRUE(old.find("eins") != std::string::npos && old.find("zwei") == std::string::npos) << old;
    EXPECT_NE(now.find("zwei"), std::string::npos) << now;
    fs::remove(file);
    log.AusgabeLang(L"Test", L"drei\n");
    now = readFile(file.string());
    EXPECT_TRUE(now.find("drei") != std::string::npos && now.find("zwei") == std::string::npos) << now;
    fs::remove(moved);
}

// A FIFO, a folder, a path below a file: refused at once, said once.
TEST(DebugLogFile, AFileThatCannotBeWrittenIsReportedOnceWithoutWaiting)
{
    TempFile blocker("blocker", "a file, so no folder can be made of it");
    const fs::path fifo = blocker.dir() + "/pipe";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const std::pair<fs::path, const char*> targets[] = {{fifo, "a FIFO, not a regular file"},
                                                        {blocker.dir(), "not a regular file"},
                                                        {blocker.path() + "/kordebug.log", "Not a directory"}};
    for (const auto& [target, reason] : targets) {
        ScopedLogFile scoped(target.string());
        int seen = 0;
        int sink = CDebugHilfe::AddSink([&](const KorDebugLine&) { ++seen; });
        ::testing::internal::CaptureStderr();
        CDebugHilfe log(L"korTest", nullptr);
        writeWithoutBlocking(log, L"eins\n");
        writeWithoutBlocking(log, L"zwei\n");
        std::string err = ::testing::internal::GetCapturedStderr();
        CDebugHilfe::RemoveSink(sink);
        EXPECT_EQ(seen, 2);
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_NE(err.find("cannot write " + target.string() + ": " + reason), std::string::npos) << err;
    }
}

TEST(DebugLogFile, LinesCarryTimeModuleCategoryAndTheTextAsPassedAndDevNullTakesThem)
{
    TempFile t("kordebug.log", "");
    ScopedLogFile scoped(t.path());
    std::vector<KorDebugLine> seen;
    int sink = CDebugHilfe::AddSink([&](const KorDebugLine& l) { seen.push_back(l); });
    {
        CDebugHilfe log(L"korTest", nullptr);
        CKORDebugHelpFunction scope(log, L"Dialog", L"f(%d)\r\n", 3);
        log.AusgabeLang(L"DialogReturn", L"return '%s' -> RSRSLT\r\n", L"Wert");
    }
    CDebugHilfe::RemoveSink(sink);
    ASSERT_EQ(seen.size(), 3u);
    EXPECT_EQ(seen[0].text + seen[1].category + L" " + seen[2].text, L"> f(3)\r\nDialogReturn < f(3)\r\n");
    std::string all = readFile(t.path());
    EXPECT_NE(all.find(" korTest [DialogReturn] return 'Wert' -> RSRSLT\r\n"), std::string::npos) << all;
    EXPECT_EQ(std::count(all.begin(), all.end(), '\n'), 3);
    EXPECT_EQ(all.substr(4, 1), "-");  // starts with the date
    // /dev/null is a place to send the log to: no word on standard error.
    ScopedLogFile null("/dev/null");
    ::testing::internal::CaptureStderr();
    CDebugHilfe(L"korTest", nullptr).AusgabeLang(L"Dialog", L"eins\n");
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}
