// The version resource of both released modules (the i386 one and the x86-64
// one), read through the platform's own version functions, against the
// repository's version.  Both build trees sit side by side, so each module is
// found from this program's folder; a missing one is a failure.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>
#include <vector>

#include "ruxa_version.h"
#include "wine/support.h"

namespace {

struct VersionBlock {
    std::vector<BYTE> Data;
    DWORD Error = 0;
};

VersionBlock ReadVersionBlock(const std::string& path)
{
    VersionBlock block;
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(path.c_str(), &ignored);
    if (size == 0) {
        block.Error = GetLastError();
        return block;
    }
    block.Data.resize(size);
    if (!GetFileVersionInfoA(path.c_str(), 0, size, block.Data.data())) {
        block.Error = GetLastError();
        block.Data.clear();
    }
    return block;
}

// A string of the US English, Unicode table, or "(missing)".
std::string VersionString(VersionBlock& block, const char* name)
{
    const std::string query = std::string("\\StringFileInfo\\040904B0\\") + name;
    char* text = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.Data.data(), query.c_str(), reinterpret_cast<void**>(&text), &length) || !text)
        return "(missing)";
    return text;
}

void ExpectVersionResource(const std::string& path)
{
    SCOPED_TRACE(path);
    ASSERT_NE(GetFileAttributesA(path.c_str()), INVALID_FILE_ATTRIBUTES) << "the module is not built";
    VersionBlock block = ReadVersionBlock(path);
    ASSERT_FALSE(block.Data.empty()) << "no version resource, error " << block.Error;

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueA(block.Data.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
    ASSERT_GE(length, sizeof *fixed);
    EXPECT_EQ(fixed->dwSignature, 0xFEEF04BDu);
    const DWORD major = RUXA_VERSION_MAJOR, minor = RUXA_VERSION_MINOR, patch = RUXA_VERSION_PATCH;
    EXPECT_EQ(fixed->dwFileVersionMS, MAKELONG(minor, major));
    EXPECT_EQ(fixed->dwFileVersionLS, MAKELONG(0, patch));
    EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
    EXPECT_EQ(fixed->dwProductVersionLS, fixed->dwFileVersionLS);
    EXPECT_EQ(fixed->dwFileType, DWORD(VFT_APP));
    EXPECT_EQ(fixed->dwFileFlags & fixed->dwFileFlagsMask, 0u) << "no debug, pre-release or patched flags";

    // One translation: US English in Unicode.
    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueA(block.Data.data(), "\\VarFileInfo\\Translation",
                               reinterpret_cast<void**>(&translation), &length));
    ASSERT_EQ(length, 4u);
    EXPECT_EQ(translation[0], 1033);
    EXPECT_EQ(translation[1], 1200);

    EXPECT_EQ(VersionString(block, "FileDescription"), "Ruxa Screen Saver");
    EXPECT_EQ(VersionString(block, "ProductName"), "Ruxa");
    EXPECT_EQ(VersionString(block, "InternalName"), "RUXA.SCR");
    EXPECT_EQ(VersionString(block, "OriginalFilename"), "RUXA.SCR");
    EXPECT_EQ(VersionString(block, "FileVersion"), RUXA_VERSION_TEXT);
    EXPECT_EQ(VersionString(block, "ProductVersion"), RUXA_VERSION_TEXT);
    EXPECT_EQ(VersionString(block, "LegalCopyright").rfind("Copyright ", 0), 0u);
}

TEST(VersionResource, BothModulesCarryTheRepositoryVersion)
{
    // This program runs from build/windows or build/windows64.
    const std::string builds = BuildDir() + "\\..";
    ExpectVersionResource(builds + "\\windows\\RUXA.SCR");
    ExpectVersionResource(builds + "\\windows64\\RUXA.SCR");
}

}  // namespace
