// The paint colour store against the real (Wine) registry of the test user.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "settings/win32/paint_colour.h"

namespace {

const char Key[] = "Software\\Ruxa";

void RemoveKey() { RegDeleteKeyA(HKEY_CURRENT_USER, Key); }

bool KeyExists()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, Key, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

void MakeKey()
{
    HKEY key;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, Key, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegCloseKey(key);
}

void StoreRaw(DWORD type, std::vector<unsigned char> bytes)
{
    MakeKey();
    HKEY key;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, Key, 0, KEY_ALL_ACCESS, &key), ERROR_SUCCESS);
    ASSERT_EQ(RegSetValueExA(key, "Color", 0, type, bytes.data(), DWORD(bytes.size())), ERROR_SUCCESS);
    RegCloseKey(key);
}

struct RawValue {
    bool Present = false;
    DWORD Type = 0;
    std::vector<unsigned char> Bytes;
};

RawValue ReadRaw()
{
    RawValue value;
    HKEY key;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, Key, 0, KEY_READ, &key) != ERROR_SUCCESS)
        return value;
    unsigned char buffer[64];
    DWORD size = sizeof buffer;
    if (RegQueryValueExA(key, "Color", nullptr, &value.Type, buffer, &size) == ERROR_SUCCESS) {
        value.Present = true;
        value.Bytes.assign(buffer, buffer + size);
    }
    RegCloseKey(key);
    return value;
}

Colour Loaded(Colour before = 0xDEADBEEF)
{
    Colour colour = before;
    LoadPaintColour(colour);
    return colour;
}

typedef std::vector<unsigned char> Bytes;

class PaintColourTest : public ::testing::Test {
protected:
    void SetUp() override { RemoveKey(); }
    void TearDown() override { RemoveKey(); }
};

TEST_F(PaintColourTest, FirstLoadCreatesTheKeyWithTheDefaultAndTheSecondReadsItBack)
{
    ASSERT_FALSE(KeyExists());
    EXPECT_EQ(Loaded(), DefaultPaintColour);
    RawValue stored = ReadRaw();
    ASSERT_TRUE(stored.Present);
    EXPECT_EQ(stored.Type, DWORD(REG_BINARY));
    EXPECT_EQ(stored.Bytes, Bytes({0x7F, 0, 0, 0}));

    // The key is no longer new: the value is read, not written again.
    StoreRaw(REG_BINARY, {0x01, 0x02, 0x03, 0x00});
    EXPECT_EQ(Loaded(), Colour(0x00030201));
    EXPECT_EQ(ReadRaw().Bytes, Bytes({0x01, 0x02, 0x03, 0x00}));
}

TEST_F(PaintColourTest, KeyWithoutValueGivesTheDefaultAndStaysWithoutIt)
{
    MakeKey();
    EXPECT_EQ(Loaded(), DefaultPaintColour);
    EXPECT_FALSE(ReadRaw().Present);
}

TEST_F(PaintColourTest, FourBytesOfAnyTypeAreReadLittleEndian)
{
    StoreRaw(REG_BINARY, {0x00, 0x00, 0xFF, 0x00});
    EXPECT_EQ(Loaded(), Colour(0x00FF0000));

    const DWORD green = 0x0000FF00;
    StoreRaw(REG_DWORD, Bytes(reinterpret_cast<const unsigned char*>(&green),
                              reinterpret_cast<const unsigned char*>(&green) + 4));
    EXPECT_EQ(Loaded(), Colour(0x0000FF00));

    StoreRaw(REG_DWORD_BIG_ENDIAN, {0x01, 0x02, 0x03, 0x00});
    EXPECT_EQ(Loaded(), Colour(0x00030201));
}

TEST_F(PaintColourTest, ShortValuesReplaceOnlyTheLowBytesOfTheDefault)
{
    StoreRaw(REG_BINARY, {0x40});
    EXPECT_EQ(Loaded(), Colour(0x00000040));
    StoreRaw(REG_BINARY, {0x10, 0x20});
    EXPECT_EQ(Loaded(), Colour(0x00002010));
    // The default's own bytes survive above a short value, whatever the
    // output held before the call.
    StoreRaw(REG_BINARY, {0x10, 0x20, 0x30});
    EXPECT_EQ(Loaded(0xFFFFFFFF), Colour(0x00302010));
    StoreRaw(REG_BINARY, {});
    EXPECT_EQ(Loaded(0xFFFFFFFF), DefaultPaintColour);
}

TEST_F(PaintColourTest, LongValuesGiveTheDefaultUntouched)
{
    StoreRaw(REG_BINARY, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88});
    EXPECT_EQ(Loaded(), DefaultPaintColour);
    EXPECT_EQ(Loaded(0), DefaultPaintColour);
    EXPECT_EQ(ReadRaw().Bytes.size(), 8u);
    StoreRaw(REG_BINARY, {0x11, 0x22, 0x33, 0x44, 0x55});
    EXPECT_EQ(Loaded(), DefaultPaintColour);
}

TEST_F(PaintColourTest, SaveStoresFourLittleEndianBytesIntoAPresentKey)
{
    MakeKey();
    SavePaintColour(0x007F7F00);
    RawValue stored = ReadRaw();
    ASSERT_TRUE(stored.Present);
    EXPECT_EQ(stored.Type, DWORD(REG_BINARY));
    EXPECT_EQ(stored.Bytes, Bytes({0x00, 0x7F, 0x7F, 0x00}));
    EXPECT_EQ(Loaded(), Colour(0x007F7F00));

    // Overwrites whatever another writer left there.
    StoreRaw(REG_DWORD, {1, 2, 3, 4});
    SavePaintColour(0x00FFFFFF);
    stored = ReadRaw();
    EXPECT_EQ(stored.Type, DWORD(REG_BINARY));
    EXPECT_EQ(stored.Bytes, Bytes({0xFF, 0xFF, 0xFF, 0x00}));
}

TEST_F(PaintColourTest, SaveWithTheKeyAbsentWritesNothingAndCreatesNothing)
{
    SavePaintColour(0x007F7F00);
    EXPECT_FALSE(KeyExists());
}

TEST_F(PaintColourTest, LoadFillsTheProcessWideColour)
{
    StoreRaw(REG_BINARY, {0x00, 0x80, 0x00, 0x00});
    const Colour kept = CurrentPaintColour;
    LoadPaintColour(CurrentPaintColour);
    EXPECT_EQ(CurrentPaintColour, Colour(0x00008000));
    CurrentPaintColour = kept;
}

}  // namespace
