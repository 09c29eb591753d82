// DXF at the level of its groups: reading, refusing what is no ASCII DXF or is broken (with
// the line), writing, and the text and number forms of values.
#include "drawing_util.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

using namespace korcad;
using drawingtest::dxfText;

std::string readError(const std::string& bytes)
{
    std::string error;
    auto d = Drawing::read(L"x.dxf", bytes, &error);
    EXPECT_EQ(d, nullptr) << "read without error";
    return error;
}

const drawingtest::Groups kSmall = {{0, "SECTION"}, {2, "ENTITIES"}, {0, "LINE"}, {8, "0"}, {10, "1.0"}, {20, "2.0"},
                                    {11, "3.0"}, {21, "4.0"}, {0, "ENDSEC"}, {0, "EOF"}};

TEST(DxfTags, ReadsGroupsWithTheirLinesAndKeepsValuesAsWritten)
{
    dxf::TagStream s;
    s.bytes = "  0\r\nSECTION\r\n  2\r\nHEADER\r\n  9\r\n$X\r\n 40\r\n  1.50 \r\n  0\r\nENDSEC\r\n";
    std::string error;
    ASSERT_TRUE(dxf::readTags(s, &error)) << error;
    ASSERT_EQ(s.tags.size(), 5u);
    EXPECT_TRUE(s.crlf);
    EXPECT_EQ(s.tags[3].code, 40);
    EXPECT_EQ(s.tags[3].value(), "  1.50 ");  // kept byte for byte
    EXPECT_EQ(dxf::lineOf(s, 3), 7);
    std::string out;
    dxf::writeTags(s.tags, s.crlf, out);
    EXPECT_EQ(out, s.bytes);
}

// Found by fuzzing: in a file whose lines end in LF, a value line ending "\r\r\n" kept one CR
// in its value; saved with LF line ends that CR became part of the line end, so the saved
// file read back differently from what was saved. Every CR before the LF ends the line.
TEST(DxfTags, StrayCarriageReturnsBeforeALineEndBelongToNoValue)
{
    std::string bytes = dxfText(kSmall);
    bytes.replace(bytes.find("ENTITIES\n"), 9, "ENTITIES\r\r\n");
    bytes.replace(bytes.find("1.0\n"), 4, "1.0\r\n");
    auto d = drawingtest::readDrawing(bytes);
    std::string saved = d->write();
    EXPECT_EQ(saved, dxfText(kSmall));
    auto again = drawingtest::readDrawing(saved);
    EXPECT_EQ(again->write(), saved);
    EXPECT_EQ(again->entityCount(), 1u);
}

// Whatever follows the EOF group is no part of the drawing, as other DXF readers take it:
// blank lines, the Ctrl-Z that marked the end of a file, NULs, anything.
TEST(DxfTags, WhatFollowsTheEndOfFileGroupIsIgnored)
{
    const std::string small = dxfText(kSmall);
    for (const std::string& after : {std::string("\n\n"), std::string("\x1a"), std::string(3, '\0'),
                                     std::string("\r\n  \r\n"), std::string("Übrig 1\n 99\n")}) {
        auto d = drawingtest::readDrawing(small + after);
        EXPECT_EQ(d->write(), small) << ::testing::PrintToString(after);
        EXPECT_FALSE(d->utf8()) << "what follows decided the encoding";
    }
}

// Broken files name the line; other kinds of file are refused with what they are. (Found by
// fuzzing: a group -3 in an entity was read as a text group, and entget handed programs the
// extended-data marker carrying a text. It is no group of a file.)
TEST(DxfTags, BrokenFilesNameTheLineOtherKindsAreRefusedWithWhatTheyAre)
{
    const std::string small = dxfText(kSmall);
    auto replaced = [&](const std::string& what, const std::string& with) {
        std::string s = small;
        return s.replace(s.find(what), what.size(), with);
    };
    const std::pair<std::string, std::string> cases[] = {
        {replaced(" 10\n", "1x0\n"), "line 9: a group code was expected, found \"1x0\""},
        {replaced("\n2.0\n", "\nzwei\n"), "line 12: group 20 needs a number, found \"zwei\""},
        {small.substr(0, small.find(" 11\n")), "line 11: the file ends inside section ENTITIES: it is cut short"},
        {small.substr(0, small.find("3.0\n")), "line 13: the file ends after group code 11, before its value"},
        {small.substr(0, small.find("  0\nEOF")), "line 17: the file ends without EOF: it is cut short"},
        {dxfText({{0, "SECTION"}, {0, "ENDSEC"}, {0, "EOF"}}), "line 3: a SECTION without its name (group 2)"},
        {dxfText({{0, "SECTION"}, {2, "BLOCKS"}, {0, "SECTION"}, {2, "X"}, {0, "ENDSEC"}, {0, "EOF"}}),
         "line 5: section BLOCKS is not ended (ENDSEC missing)"},
        {replaced(" 10\n", " -3\nx\n 10\n"), "line 9: group code -3 marks extended data in programs' lists, never in a file"},
        {"  \n", "the file is empty"}};
    for (const auto& [bytes, error] : cases)
        EXPECT_EQ(readError(bytes), error);
    EXPECT_NE(readError(std::string("AutoCAD Binary DXF\r\n\x1a\0\x00\x00", 25)).find("binary DXF"), std::string::npos);
    EXPECT_NE(readError(std::string("AC1032\0\0\0\0\x01\x02", 12)).find("DWG file"), std::string::npos);
    EXPECT_NE(readError("\x89PNG\r\n\x1a\n").find("a group code was expected"), std::string::npos);
}

TEST(DxfText, Windows1252AndUtf8WithTheirEscapes)
{
    // Windows-1252 in files before AutoCAD 2007; characters it lacks as \U+XXXX.
    EXPECT_EQ(dxf::decodeText("Stra\xDF" "e \x80", false), L"Straße €");
    EXPECT_EQ(dxf::encodeText(L"Straße €", false), "Stra\xDF" "e \x80");
    EXPECT_EQ(dxf::encodeText(L"Ω 5", false), "\\U+03A9 5");
    EXPECT_EQ(dxf::decodeText("\\U+03A9 5", false), L"Ω 5");
    // UTF-8 from AutoCAD 2007 on.
    EXPECT_EQ(dxf::decodeText("Stra\xC3\x9F" "e", true), L"Straße");
    EXPECT_EQ(dxf::encodeText(L"Ω", true), "\xCE\xA9");
    // Control characters as ^ escapes, a caret as "^ ".
    EXPECT_EQ(dxf::encodeText(L"a\tb^c", true), "a^Ib^ c");
    EXPECT_EQ(dxf::decodeText("a^Ib^ c", true), L"a\tb^c");
    // A backslash that starts no escape stays.
    EXPECT_EQ(dxf::decodeText("\\P\\U+12", true), L"\\P\\U+12");
}

TEST(DxfNumbers, RealsReadBackAsTheSameNumberIntegersAreHeldToTheirRange)
{
    for (double r : {0.0, 1.0, -2.5, 0.1, 1e20, 123456789.123456789, 1e-12, M_PI}) {
        std::string text = dxf::formatReal(r);
        double back = 0;
        EXPECT_TRUE(text.find('.') != std::string::npos && dxf::parseReal(text, back) && back == r) << text;
    }
    EXPECT_EQ(dxf::formatReal(3), "3.0");
    EXPECT_EQ(dxf::formatReal(1e20), "1.0e+20");
    long long i = 0;
    EXPECT_TRUE(dxf::parseInteger("   256", i));
    EXPECT_EQ(i, 256);
    EXPECT_FALSE(dxf::parseInteger("25x", i));
    // Found by fuzzing: an integer group written as a real beyond the range of long long
    // ("3.77778e+54") was converted to one as it was, which is undefined. Cut, and held to the range.
    const std::pair<const char*, long long> integers[] = {
        {" 42 ", 42}, {"7.9", 7}, {"-7.9", -7}, {"nan", 0}, {"x", 0},
        {"3.77778e+54", std::numeric_limits<long long>::max()}, {"-1e300", std::numeric_limits<long long>::min()}};
    for (const auto& [text, value] : integers)
        EXPECT_EQ(dxf::integerOf(text), value) << text;
}

}  // namespace
