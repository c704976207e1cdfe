// The host's command-line scanners.
#include "host/command_line.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const char* NextByte(const char* text)
{
    return text + 1;
}

// A double-byte code page model: 0x81..0x9F and 0xE0..0xFC lead a pair whose
// second byte may be anything, a quote or a blank included.
const char* NextDoubleByte(const char* text)
{
    unsigned char c = static_cast<unsigned char>(*text);
    bool lead = (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
    return text + (lead ? 2 : 1);
}

// A careless stepper that always jumps two bytes, across the end too.
const char* NextTwoBytes(const char* text)
{
    return text + 2;
}

std::string Arguments(const char* commandLine, NextCharFunction next = NextByte, ModulePaths own = {nullptr, nullptr})
{
    return FindArgumentText(commandLine, next, own);
}

// A per-user install where the account's folder has no short name (made
// while the volume made none) and a folder below it has one.
const ModulePaths OwnPaths = {"C:\\Users\\Anna Sophie\\Screen Savers\\ruxa.scr",
                              "C:\\Users\\Anna Sophie\\SCREEN~1\\ruxa.scr"};

} // namespace

TEST(HostArgumentText, SkipsUnquotedAndQuotedProgramNames)
{
    EXPECT_EQ(Arguments("ruxa.scr /s"), "/s");
    EXPECT_EQ(Arguments("ruxa.scr"), "");
    EXPECT_EQ(Arguments(""), "");
    EXPECT_EQ(Arguments("\"C:\\Program Files\\ruxa.scr\" /p 912"), "/p 912");
    EXPECT_EQ(Arguments("\"C:\\my dir\\ruxa.scr\"/s"), "/s");
    EXPECT_EQ(Arguments("\"C:\\my dir\\ruxa.scr\"x  /s"), "x  /s");
    // An unterminated quote swallows the whole line.
    EXPECT_EQ(Arguments("\"C:\\my dir\\ruxa.scr /s"), "");
    // A quote inside an unquoted name is part of the name.
    EXPECT_EQ(Arguments("ru\"xa /c"), "/c");
    // The module's own path unquoted, blanks and all, in either form and
    // either case; quoted or blank-free names as ever.
    EXPECT_EQ(Arguments("C:\\Users\\Anna Sophie\\Screen Savers\\ruxa.scr /p 912", NextByte, OwnPaths), "/p 912");
    EXPECT_EQ(Arguments("c:\\users\\anna sophie\\screen savers\\RUXA.SCR", NextByte, OwnPaths), "");
    EXPECT_EQ(Arguments("C:\\Users\\Anna Sophie\\SCREEN~1\\ruxa.scr\t/s", NextByte, OwnPaths), "/s");
    EXPECT_EQ(Arguments("\"C:\\Users\\Anna Sophie\\Screen Savers\\ruxa.scr\"/c", NextByte, OwnPaths), "/c");
    EXPECT_EQ(Arguments("ruxa.scr /s", NextByte, OwnPaths), "/s");
    // Only the whole path: another file that begins with it is not skipped.
    EXPECT_EQ(Arguments("C:\\Users\\Anna Sophie\\SCREEN~1\\ruxa.scr.old /s", NextByte, OwnPaths),
              "Sophie\\SCREEN~1\\ruxa.scr.old /s");
    EXPECT_EQ(Arguments("C:\\Users\\Anna Sophie\\ruxa.scr /s", NextByte, {"", nullptr}), "Sophie\\ruxa.scr /s");
}

TEST(HostArgumentText, SkipsEveryControlByteAndBlankBehindTheName)
{
    EXPECT_EQ(Arguments("ruxa.scr\t/s"), "/s");
    EXPECT_EQ(Arguments("ruxa.scr \t\r\n\x01 \x1f/s"), "/s");
    EXPECT_EQ(Arguments("\"ruxa.scr\"\t /s"), "/s");
    // No name at all: the text starts with a blank or control byte.
    EXPECT_EQ(Arguments("  /s"), "/s");
    EXPECT_EQ(Arguments("\t/p 5"), "/p 5");
    // Bytes from 0x80 up belong to the name, and the argument text keeps them.
    EXPECT_EQ(Arguments("r\xe9xa.scr \xe9s"), "\xe9s");
    // 0x7F (DEL) is above 32 and so ends nothing.
    EXPECT_EQ(Arguments("ruxa \x7f/s"), "\x7f/s");
}

TEST(HostArgumentText, StepsByCharacterSoDoubleByteNamesAreNotSplit)
{
    // The trail byte of a pair is a quote or a blank: a byte walk would stop
    // there, a character walk does not.
    EXPECT_EQ(Arguments("\"\x81\"dir\\ruxa.scr\" /s", NextDoubleByte), "/s");
    EXPECT_EQ(Arguments("\"\x81\"dir\\ruxa.scr\" /s", NextByte), "dir\\ruxa.scr\" /s");
    EXPECT_EQ(Arguments("\x81 ruxa.scr /p 3", NextDoubleByte), "/p 3");
    EXPECT_EQ(Arguments("\x81 ruxa.scr /p 3", NextByte), "ruxa.scr /p 3");
    // The module's own path by characters too: a pair's second byte is no
    // letter to compare in either case.
    const ModulePaths doubleBytePath = {"C:\\\x81" "a x\\r.scr", nullptr};
    EXPECT_EQ(Arguments("C:\\\x81" "a x\\r.scr /s", NextDoubleByte, doubleBytePath), "/s");
    EXPECT_EQ(Arguments("C:\\\x81" "A x\\r.scr /s", NextDoubleByte, doubleBytePath), "x\\r.scr /s");
    // A lead byte at the very end never steps past the terminating zero.
    EXPECT_EQ(Arguments("ruxa\x81", NextDoubleByte), "");
    EXPECT_EQ(Arguments("\"ruxa\x81", NextDoubleByte), "");
    EXPECT_EQ(Arguments("abc", NextTwoBytes), "");
    EXPECT_EQ(Arguments("\"abcd", NextTwoBytes), "");
}

TEST(HostModeLetter, EmptyOrOnlySeparatorsOpensTheConfigureDialogWithoutOwner)
{
    for (const char* text : {"", " ", "-", "/", " -/ //--  "}) {
        EXPECT_EQ(ScanModeLetter(text).Mode, ModeConfigure) << '"' << text << '"';
    }
}

TEST(HostModeLetter, SAndCReadNothingBehindTheLetter)
{
    for (const char* text : {"/s", "-S", "s", "//--s anything", "S 123", "/s:5"}) {
        ModeChoice choice = ScanModeLetter(text);
        EXPECT_EQ(choice.Mode, ModeFullScreen) << text;
        EXPECT_EQ(choice.Handle, 0u) << text;
    }
    for (const char* text : {"/c", "C", "/c:912", "-c 912"}) {
        ModeChoice choice = ScanModeLetter(text);
        EXPECT_EQ(choice.Mode, ModeConfigureForeground) << text;
        EXPECT_EQ(choice.Handle, 0u) << text;
    }
}

TEST(HostModeLetter, PreviewLettersTakeBlanksAndANumber)
{
    for (const char* text : {"/p 912", "/p912", "/P    912", "/l 912", "L912", "p 912 trailing", "/p 912:5"}) {
        ModeChoice choice = ScanModeLetter(text);
        EXPECT_EQ(choice.Mode, ModePreview) << text;
        EXPECT_EQ(choice.Handle, 912u) << text;
    }
    // The colon, a tab or a second '/' stop the number at 0.
    for (const char* text : {"/p:912", "/p", "/p 0", "/p\t912", "/p /912", "/p -912", "/p +912", "/p 0x10"}) {
        ModeChoice choice = ScanModeLetter(text);
        EXPECT_EQ(choice.Mode, ModePreview) << text;
        EXPECT_EQ(choice.Handle, 0u) << text;
    }
}

TEST(HostModeLetter, ChangePasswordTakesAnOptionalOwner)
{
    EXPECT_EQ(ScanModeLetter("/a").Mode, ModeChangePassword);
    EXPECT_EQ(ScanModeLetter("/a").Handle, 0u);
    EXPECT_EQ(ScanModeLetter("/a 0").Handle, 0u);
    EXPECT_EQ(ScanModeLetter("/A 912").Mode, ModeChangePassword);
    EXPECT_EQ(ScanModeLetter("/a 912").Handle, 912u);
    EXPECT_EQ(ScanModeLetter("a912").Handle, 912u);
}

TEST(HostModeLetter, AnyOtherByteNamesNoMode)
{
    for (const char* text : {"/\ts", "\t/s", "/x", "x", "/\xe9", "\x80", "/\xff", "/1", "/_s", "/ \"s\"",
                             "/\x7f", "/d", "/q"}) {
        EXPECT_EQ(ScanModeLetter(text).Mode, ModeNone) << text;
    }
}

TEST(HostWindowHandle, ReadsLeadingDecimalDigitsWrappingModulo2To32)
{
    EXPECT_EQ(ParseWindowHandle(""), 0u);
    EXPECT_EQ(ParseWindowHandle("0"), 0u);
    EXPECT_EQ(ParseWindowHandle("912"), 912u);
    EXPECT_EQ(ParseWindowHandle("00912"), 912u);
    EXPECT_EQ(ParseWindowHandle("912 34"), 912u);
    EXPECT_EQ(ParseWindowHandle("912:34"), 912u);
    EXPECT_EQ(ParseWindowHandle("12\xb3" "4"), 12u);
    EXPECT_EQ(ParseWindowHandle(" 912"), 0u);
    EXPECT_EQ(ParseWindowHandle("-912"), 0u);
    EXPECT_EQ(ParseWindowHandle("4294967295"), 4294967295u);
    EXPECT_EQ(ParseWindowHandle("4294967296"), 0u);
    EXPECT_EQ(ParseWindowHandle("4294968208"), 912u);              // 2^32 + 912
    EXPECT_EQ(ParseWindowHandle("10000000000"), 1410065408u);      // 10^10 mod 2^32
    EXPECT_EQ(ParseWindowHandle("99999999999999999999"), 1661992959u);  // (10^20 - 1) mod 2^32
}
