// Drawing files as a careful editor treats them: only regular files are read, and only what
// fits; a save follows symbolic links, keeps owner, group and mode, refuses what the user may
// not write, a read-only file and a file with several names, and QSAVE refuses a file that
// changed on disk since the drawing was read or saved; temporary names fit beside long names.
// A drawing that could not be read is a new, unnamed one, and a failed QSAVE is a LISP error.
#include "DrawingTestUtil.h"

#include "DrawingFile.h"
#include "Session.h"

#include "CadHost.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <future>
#include <sstream>

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using drawingtest::readFile;
using korcad::Drawing;

void writeFile(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

// A fresh folder that every user may enter and write, removed with the object.
class Folder : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = fs::temp_directory_path() / ("drawing-file-" + std::to_string(::getpid()) + "-" +
                                            ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        fs::permissions(dir_, fs::perms::all);
    }
    void TearDown() override { fs::remove_all(dir_); }

    std::string at(const std::string& name) const { return (dir_ / name).string(); }
    // The names in the folder, sorted.
    std::vector<std::string> names() const
    {
        std::vector<std::string> out;
        for (const auto& e : fs::directory_iterator(dir_))
            out.push_back(e.path().filename().string());
        std::sort(out.begin(), out.end());
        return out;
    }
    // A drawing read from a file of the folder that holds the sample.
    std::unique_ptr<Drawing> sampleAt(const std::string& name)
    {
        writeFile(at(name), readFile(drawingtest::netzPath()));
        std::string error;
        auto d = korcad::loadDrawing(at(name), &error);
        EXPECT_NE(d, nullptr) << error;
        return d;
    }

    fs::path dir_;
};

// ---- reading ------------------------------------------------------------------------------------

TEST_F(Folder, OnlyARegularFileThatFitsInMemoryIsRead)
{
    auto refused = [](const std::string& path) {
        std::string error;
        auto d = korcad::loadDrawing(path, &error);
        EXPECT_EQ(d, nullptr) << path;
        return error;
    };
    // A FIFO is refused at once, without waiting for a writer.
    const std::string fifo = at("pipe.dxf");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
    auto reading = std::async(std::launch::async, [&] { return refused(fifo); });
    if (reading.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
        ADD_FAILURE() << "reading a FIFO waits for a writer";
        ::close(::open(fifo.c_str(), O_WRONLY | O_NONBLOCK));  // one comes and goes: the read ends
    }
    EXPECT_EQ(reading.get(), fifo + ": it is a FIFO, not a regular file");
    // A device, also behind a link.
    fs::create_symlink("/dev/zero", at("zero.dxf"));
    EXPECT_EQ(refused(at("zero.dxf")), at("zero.dxf") + ": it is a device, not a regular file");
    EXPECT_EQ(refused(dir_.string()), dir_.string() + ": it is a directory, not a regular file");
    // A file larger than the memory of any machine korcad runs on (sparse: it takes no disk).
    const std::string huge = at("huge.dxf");
    writeFile(huge, "");
    if (::truncate(huge.c_str(), off_t(1) << 44) == 0) {
        EXPECT_NE(refused(huge).find(huge + ": its 17592186044416 bytes do not fit in memory"),
                  std::string::npos);
    }
}

// An empty file holds nothing to lose: it opens as a new drawing that is saved there.
TEST_F(Folder, AnEmptyFileIsANewDrawingSavedThere)
{
    writeFile(at("leer.dxf"), "");
    std::string error;
    auto d = korcad::loadDrawing(at("leer.dxf"), &error);
    ASSERT_NE(d, nullptr) << error;
    EXPECT_EQ(d->path(), at("leer.dxf"));
    EXPECT_EQ(d->name(), L"leer.dxf");
    EXPECT_EQ(d->entityCount(), 0u);
}

// ---- korcad's session ---------------------------------------------------------------------------

struct SessionRun {
    int exitCode = -1;
    std::string out, err;
    std::string drawingPath;
    std::wstring drawingName;
};

SessionRun runSession(korcad::Options o, const std::string& input = "")
{
    o.noLoad = true;
    std::istringstream in(input);
    std::ostringstream out, err;
    korcad::Session session(o, in, out, err);
    SessionRun r;
    r.exitCode = session.run();
    if (Drawing* d = session.host().drawing(session.host().currentDrawing())) {
        r.drawingPath = d->path();
        r.drawingName = d->name();
    }
    r.out = out.str();
    r.err = err.str();
    return r;
}

korcad::Options withDrawing(const std::string& path, std::vector<std::string> expressions = {})
{
    korcad::Options o;
    o.drawing = path;
    o.drawingGiven = true;
    for (auto& e : expressions)
        o.items.push_back({korcad::Options::Kind::Expression, std::move(e)});
    return o;
}

TEST_F(Folder, ADrawingThatCouldNotBeReadIsANewUnnamedOneAndNoProgramRunsOnIt)
{
    const std::string broken = readFile(drawingtest::netzPath()).substr(0, 5000);
    writeFile(at("netz.dxf"), broken);
    // A program, from a file or -e, does not run on a drawing it did not ask for.
    SessionRun r = runSession(withDrawing(at("netz.dxf"), {"(princ \"lief\")", "(command \"_.QSAVE\")"}));
    EXPECT_EQ(r.exitCode, korcad::kExitLispError);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("korcad: cannot open the drawing " + at("netz.dxf") + ": line "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("korcad: nothing was run: the program would work on a new, empty drawing instead\n"),
              std::string::npos)
        << r.err;
    // At the command line the user gets a new drawing, Zeichnung1, that QSAVE writes elsewhere.
    r = runSession(withDrawing(at("netz.dxf")), "(getvar \"DWGNAME\")\n");
    EXPECT_EQ(r.exitCode, korcad::kExitOk) << r.err;
    EXPECT_NE(r.err.find("korcad: a new drawing Zeichnung1.dwg is open instead; QSAVE does not write over " +
                         at("netz.dxf") + "\n"),
              std::string::npos)
        << r.err;
    EXPECT_NE(r.out.find("\"Zeichnung1.dwg\""), std::string::npos) << r.out;
    EXPECT_EQ(r.drawingPath, "");
    EXPECT_EQ(r.drawingName, L"Zeichnung1.dwg");
    EXPECT_EQ(readFile(at("netz.dxf")), broken);
}

}  // namespace
