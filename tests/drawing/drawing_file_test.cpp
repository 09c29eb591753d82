// Drawing files as a careful editor treats them: what is read; how a save treats links, owner,
// mode, read-only and hard-linked files, files changed on disk; sessions' failed reads and saves.
#include "drawing_util.h"

#include "drawing/DrawingFile.h"
#include "app/Session.h"

#include "cad/CadHost.h"
#include "sys/syscalls.h"
#include "text/text.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <future>
#include <sstream>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
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

using korcad::SaveMode;

struct Outcome {
    bool saved = false;
    std::string error;
};

Outcome save(Drawing& d, const std::string& path, SaveMode mode = SaveMode::SaveAs)
{
    Outcome o;
    o.saved = korcad::saveDrawing(d, path, &o.error, mode);
    return o;
}

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

// ---- saving -------------------------------------------------------------------------------------

TEST_F(Folder, ASaveThroughASymbolicLinkWritesItsTargetAndTheLinkStays)
{
    Drawing d(L"neu.dxf");
    const std::string drawingText = d.write();
    fs::create_directories(dir_ / "echt");
    writeFile(at("echt/netz.dxf"), "alt");
    fs::create_symlink("echt/netz.dxf", at("zwischen.dxf"));  // relative to the link's folder
    fs::create_symlink(at("zwischen.dxf"), at("netz.dxf"));   // a link to a link
    Outcome o = save(d, at("netz.dxf"));
    ASSERT_TRUE(o.saved) << o.error;
    EXPECT_TRUE(fs::is_symlink(at("netz.dxf")) && fs::is_symlink(at("zwischen.dxf")));
    EXPECT_EQ(readFile(at("echt/netz.dxf")), drawingText);
    EXPECT_EQ(d.path(), at("netz.dxf"));  // the drawing keeps the name it was given
    EXPECT_EQ(fs::directory_iterator(dir_ / "echt")->path().filename(), "netz.dxf");  // nothing else there
    // A link whose target does not exist yet: the target is made.
    fs::create_symlink("echt/spaeter.dxf", at("spaeter.dxf"));
    ASSERT_TRUE(save(d, at("spaeter.dxf")).saved);
    EXPECT_TRUE(fs::is_symlink(at("spaeter.dxf")));
    EXPECT_EQ(readFile(at("echt/spaeter.dxf")), drawingText);
    // Links in a circle lead nowhere.
    fs::create_symlink("kreis2.dxf", at("kreis1.dxf"));
    fs::create_symlink("kreis1.dxf", at("kreis2.dxf"));
    o = save(d, at("kreis1.dxf"));
    EXPECT_FALSE(o.saved);
    EXPECT_NE(o.error.find("Too many levels of symbolic links"), std::string::npos) << o.error;
}

TEST_F(Folder, ASaveKeepsOwnerGroupAndMode)
{
    Drawing d(L"netz.dxf");
    writeFile(at("netz.dxf"), "alt");
    ASSERT_EQ(::chmod(at("netz.dxf").c_str(), 0640), 0);
    const passwd* pw = ::getpwnam("nobody");
    const bool root = ::geteuid() == 0 && pw;
    if (root) {
        ASSERT_EQ(::chown(at("netz.dxf").c_str(), pw->pw_uid, pw->pw_gid), 0);
    }
    struct stat before {};
    ASSERT_EQ(::stat(at("netz.dxf").c_str(), &before), 0);
    Outcome o = save(d, at("netz.dxf"));
    ASSERT_TRUE(o.saved) << o.error;
    struct stat after {};
    ASSERT_EQ(::stat(at("netz.dxf").c_str(), &after), 0);
    EXPECT_TRUE((after.st_mode & 07777) == 0640 && after.st_uid == before.st_uid && after.st_gid == before.st_gid);
    EXPECT_EQ(readFile(at("netz.dxf")), d.write());
    if (!root)
        GTEST_SKIP() << "not root: a file of another owner was not tried";
}

// Names of 247 and 255 bytes (the longest a name may be) and of two-byte characters: the
// temporary name fits and ends in no half character, and nothing is left beside the file.
TEST_F(Folder, LongNamesGetATemporaryNameThatFits)
{
    Drawing d(L"x.dxf");
    static std::vector<std::string> made;
    made.clear();
    korsys::ScopedCalls record;
    record->mkstemp = [](char* pathTemplate) {
        made.push_back(fs::path(pathTemplate).filename().string());
        return korsys::systemCalls().mkstemp(pathTemplate);
    };
    std::string umlauts;
    while (umlauts.size() + 2 <= 255 - 4)
        umlauts += "ü";
    for (const std::string& name : {std::string(243, 'a') + ".dxf", std::string(251, 'b') + ".dxf", umlauts + ".dxf"}) {
        Outcome o = save(d, at(name));
        EXPECT_TRUE(o.saved) << o.error;
        EXPECT_EQ(readFile(at(name)), d.write());
        EXPECT_EQ(std::distance(fs::directory_iterator(dir_), fs::directory_iterator()), 1);
        fs::remove(at(name));
        ASSERT_FALSE(made.empty());
        EXPECT_TRUE(made.back().size() <= 255u && kortext::isValidUtf8(made.back())) << made.back();
    }
}

TEST_F(Folder, AReadOnlyFileOrOneWithSeveralNamesIsRefused)
{
    Drawing d(L"netz.dxf");
    auto expectRefused = [&](const std::string& name, const Outcome& o, const std::string& why) {
        EXPECT_FALSE(o.saved);
        EXPECT_EQ(o.error, "cannot save " + at(name) + ": " + why + "; " + at(name) + " is unchanged");
        EXPECT_EQ(readFile(at(name)), "alt " + name);
    };
    // Read-only: refused even for root, who could write it.
    writeFile(at("nurlesen.dxf"), "alt nurlesen.dxf");
    ::chmod(at("nurlesen.dxf").c_str(), 0444);
    expectRefused("nurlesen.dxf", save(d, at("nurlesen.dxf")), "it is read-only");
    // Two names of one file: a save would part them.
    writeFile(at("zwei.dxf"), "alt zwei.dxf");
    fs::create_hard_link(at("zwei.dxf"), at("zweiter-name.dxf"));
    expectRefused("zwei.dxf", save(d, at("zwei.dxf")),
                  "it has 2 names (hard links), which a save would part; save it under a name of its own (SAVEAS)");
}

TEST_F(Folder, QsaveRefusesAFileThatChangedOnDiskSinceItWasReadOrSaved)
{
    // Two sessions read one file; the first saves; the second would lose that save.
    auto first = sampleAt("netz.dxf");
    std::string error;
    auto second = korcad::loadDrawing(at("netz.dxf"), &error);
    ASSERT_NE(second, nullptr) << error;
    first->regApp(L"KOR_A");
    ASSERT_TRUE(save(*first, at("netz.dxf"), SaveMode::Quick).saved);
    ASSERT_TRUE(save(*first, at("netz.dxf"), SaveMode::Quick).saved);  // its own save changes nothing for it
    const std::string firstSaved = readFile(at("netz.dxf"));
    second->regApp(L"KOR_B");
    Outcome o = save(*second, at("netz.dxf"), SaveMode::Quick);
    EXPECT_FALSE(o.saved);
    EXPECT_NE(o.error.find(": the file changed on disk since the drawing was read or last saved"), std::string::npos);
    EXPECT_EQ(readFile(at("netz.dxf")), firstSaved);
    // SAVEAS writes it all the same, and from then on the second drawing's QSAVE works.
    ASSERT_TRUE(save(*second, at("netz.dxf")).saved);
    EXPECT_TRUE(save(*second, at("netz.dxf"), SaveMode::Quick).saved);

    // The same file rewritten in place with the same size: its time tells.
    auto third = korcad::loadDrawing(at("netz.dxf"), &error);
    ASSERT_NE(third, nullptr) << error;
    const std::string now = readFile(at("netz.dxf"));
    struct timespec later[2] = {{0, UTIME_OMIT}, {0, 0}};
    ::clock_gettime(CLOCK_REALTIME, &later[1]);
    later[1].tv_sec += 10;
    ASSERT_EQ(::utimensat(AT_FDCWD, at("netz.dxf").c_str(), later, 0), 0);
    EXPECT_FALSE(save(*third, at("netz.dxf"), SaveMode::Quick).saved);

    // A new drawing is written by QSAVE only where no file is yet.
    Drawing fresh(L"netz.dxf");
    o = save(fresh, at("netz.dxf"), SaveMode::Quick);
    EXPECT_FALSE(o.saved);
    EXPECT_NE(o.error.find(": a file of that name is there already, and the drawing was not read from it"), std::string::npos);
    EXPECT_EQ(readFile(at("netz.dxf")), now);
    // An empty file opens as a new drawing of that name, whose file it is.
    writeFile(at("leer.dxf"), "");
    auto empty = korcad::loadDrawing(at("leer.dxf"), &error);
    ASSERT_NE(empty, nullptr) << error;
    EXPECT_TRUE(empty->path() == at("leer.dxf") && empty->name() == L"leer.dxf" && !empty->entityCount());
    EXPECT_TRUE(save(*empty, at("leer.dxf"), SaveMode::Quick).saved);
}

// ---- korcad's session ---------------------------------------------------------------------------

struct SessionRun {
    int exitCode = -1;
    std::string out, err, drawingPath;
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
    if (Drawing* d = session.host().drawing(session.host().currentDrawing()))
        r.drawingPath = d->path(), r.drawingName = d->name();
    r.out = out.str(), r.err = err.str();
    return r;
}

// `text` holds `part`; else the failure shows the text.
::testing::AssertionResult holds(const std::string& text, const std::string& part)
{
    return text.find(part) != std::string::npos ? ::testing::AssertionSuccess() : ::testing::AssertionFailure() << text;
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

// QSAVE keeps the file it replaces as NAME.bak, as CAD programs do; ISAVEBAK 0 switches it off.
TEST_F(Folder, QsaveKeepsThePreviousFileAsBakUnlessIsavebakIsOff)
{
    korcad::Options o = withDrawing(at("plan.dxf"));
    o.noLoad = true;
    std::istringstream in;
    std::ostringstream out, err;
    korcad::Session session(o, in, out, err);
    ASSERT_TRUE(session.start());
    auto run = [&](const std::string& e) { EXPECT_TRUE(session.runExpression(e)) << e << err.str(); };
    run("(command \"_.QSAVE\")");
    EXPECT_FALSE(fs::exists(at("plan.bak"))) << "nothing was there before";
    const std::string first = readFile(at("plan.dxf"));
    run("(regapp \"KOR_A\") (command \"_.QSAVE\")");
    EXPECT_TRUE(readFile(at("plan.bak")) == first && readFile(at("plan.dxf")) != first);
    run("(setvar \"ISAVEBAK\" 0) (regapp \"KOR_B\") (command \"_.QSAVE\")");
    EXPECT_EQ(readFile(at("plan.bak")), first) << "ISAVEBAK 0: the backup is left alone";
    EXPECT_EQ(out.str().find("warning"), std::string::npos) << out.str();
}

// QSAVE and SICHALS (format, then name) at the command line; unsaved changes are warned of; a
// save that cannot be made fails the run; QSAVE writes a drawing whose file did not exist.
TEST_F(Folder, CommandsSaveAsTheUserAsksAndChangesNotSavedAreNotDroppedSilently)
{
    writeFile(at("netz.dxf"), readFile(drawingtest::netzPath()));
    SessionRun r = runSession(withDrawing(at("netz.dxf")), "(regapp \"KOR_A\")\nQSAVE\nSICHALS\n\n" + at("kopie") + "\n");
    EXPECT_TRUE(r.exitCode == korcad::kExitOk && r.err.empty()) << r.err;
    EXPECT_NE(r.out.find("Zeichnung gespeichert: " + at("netz.dxf")), std::string::npos) << r.out;
    std::string error;
    for (const char* name : {"netz.dxf", "kopie.dxf"}) {
        auto d = korcad::loadDrawing(at(name), &error);
        ASSERT_NE(d, nullptr) << error;
        EXPECT_NE(d->find(L"APPID", L"KOR_A"), nullptr) << name;
    }
    r = runSession(withDrawing(at("netz.dxf"), {"(regapp \"KOR_C\")"}));
    EXPECT_EQ(r.exitCode, korcad::kExitOk);
    EXPECT_EQ(r.err,
              "korcad: warning: the changes to drawing netz.dxf were not saved (QSAVE, SAVEAS or --save-as save them)\n");
    korcad::Options o = withDrawing(at("netz.dxf"), {"1"});
    o.saveAs = at("fehlt/x.dxf");
    r = runSession(o);
    EXPECT_EQ(r.exitCode, korcad::kExitLispError);
    EXPECT_NE(r.err.find("cannot create a file in " + at("fehlt")), std::string::npos) << r.err;
    r = runSession(withDrawing(at("neu.dxf"), {"(command \"QSAVE\")"}));
    EXPECT_NE(r.err.find("does not exist: a new drawing is opened"), std::string::npos) << r.err;
    EXPECT_TRUE(fs::exists(at("neu.dxf")));
}

TEST_F(Folder, ADrawingThatCouldNotBeReadIsANewUnnamedOneAndNoProgramRunsOnIt)
{
    const std::string broken = readFile(drawingtest::netzPath()).substr(0, 5000);
    writeFile(at("netz.dxf"), broken);
    // A program, from a file or -e, does not run on a drawing it did not ask for.
    SessionRun r = runSession(withDrawing(at("netz.dxf"), {"(princ \"lief\")", "(command \"_.QSAVE\")"}));
    EXPECT_EQ(r.exitCode, korcad::kExitLispError);
    EXPECT_EQ(r.out, "");
    EXPECT_TRUE(holds(r.err, "korcad: cannot open the drawing " + at("netz.dxf") + ": line "));
    EXPECT_TRUE(holds(r.err, "korcad: nothing was run: the program would work on a new, empty drawing instead\n"));
    // At the command line the user gets a new drawing, Zeichnung1, that QSAVE writes elsewhere.
    r = runSession(withDrawing(at("netz.dxf")), "(getvar \"DWGNAME\")\n");
    EXPECT_EQ(r.exitCode, korcad::kExitOk) << r.err;
    EXPECT_TRUE(holds(r.err, "korcad: a new drawing Zeichnung1.dwg is open instead; QSAVE does not write over " +
                                 at("netz.dxf") + "\n"));
    EXPECT_TRUE(holds(r.out, "\"Zeichnung1.dwg\""));
    EXPECT_TRUE(r.drawingPath.empty() && r.drawingName == L"Zeichnung1.dwg");
    EXPECT_EQ(readFile(at("netz.dxf")), broken);
}

TEST_F(Folder, AFailedQsaveIsALispErrorAndARunEndingWithItFails)
{
    writeFile(at("netz.dxf"), readFile(drawingtest::netzPath()));
    // While the drawing is open its file becomes a folder: QSAVE cannot write there.
    const std::string replace = "(vl-file-delete \"" + at("netz.dxf") + "\") (vl-mkdir \"" + at("netz.dxf") + "\")";
    SessionRun r = runSession(withDrawing(at("netz.dxf"),
                                   {"(progn " + replace + " (princ))",
                                    "(vl-catch-all-error-message (vl-catch-all-apply 'command '(\"_.QSAVE\")))"}));
    fs::remove(at("netz.dxf"));
    EXPECT_NE(r.out.find("\"cannot save " + at("netz.dxf") + ": it is a directory"), std::string::npos) << r.out;
    EXPECT_EQ(r.exitCode, korcad::kExitLispError);
    EXPECT_TRUE(holds(r.err, "korcad: the drawing netz.dxf was not saved: its last save failed\n"));
    // Uncaught, the error ends the program; a later save that works makes the run good again.
    writeFile(at("netz.dxf"), readFile(drawingtest::netzPath()));
    r = runSession(withDrawing(at("netz.dxf"), {"(command \"_.QSAVE\")"}));
    EXPECT_EQ(r.exitCode, korcad::kExitOk) << r.err;
    ::chmod(at("netz.dxf").c_str(), 0444);
    r = runSession(withDrawing(at("netz.dxf"), {"(command \"_.QSAVE\")", "(princ \"weiter\")"}));
    EXPECT_EQ(r.exitCode, korcad::kExitLispError);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("; error: cannot save " + at("netz.dxf") + ": it is read-only"), std::string::npos) << r.err;
    // At the command line too, where errors do not count otherwise.
    r = runSession(withDrawing(at("netz.dxf")), "QSAVE\n");
    EXPECT_NE(r.out.find("; error: cannot save " + at("netz.dxf") + ": it is read-only"), std::string::npos) << r.out;
    EXPECT_EQ(r.exitCode, korcad::kExitLispError);
    r = runSession(withDrawing(at("netz.dxf"), {"(vl-catch-all-apply 'command '(\"_.QSAVE\"))",
                                                "(command \"_.SAVEAS\" \"\" \"" + at("kopie.dxf") + "\")"}));
    EXPECT_EQ(r.exitCode, korcad::kExitOk) << r.err;
    EXPECT_TRUE(fs::exists(at("kopie.dxf")));
}

}  // namespace
