// The paint colour store against the real (Wine) registry of the test user.
#include <gtest/gtest.h>

#include <windows.h>

#include <vector>

#include "settings/win32/paint_colour.h"
#include "wine/support.h"

namespace {

Colour Loaded(Colour before = 0xDEADBEEF)
{
    Colour colour = before;
    LoadPaintColour(colour);
    return colour;
}

typedef std::vector<unsigned char> Bytes;

class PaintColourTest : public ::testing::Test {
protected:
    void SetUp() override { DeleteUserKey(ColourStoreKey); }
    void TearDown() override { DeleteUserKey(ColourStoreKey); }
};

TEST_F(PaintColourTest, FirstLoadCreatesTheKeyWithTheDefaultAndTheSecondReadsItBack)
{
    ASSERT_FALSE(ReadColourStore().KeyExists);
    EXPECT_EQ(Loaded(), DefaultPaintColour);
    ColourStoreReading stored = ReadColourStore();
    ASSERT_TRUE(stored.ValueExists);
    EXPECT_EQ(stored.Type, DWORD(REG_BINARY));
    EXPECT_EQ(stored.Bytes, Bytes({0x7F, 0, 0, 0}));

    // The key is no longer new: the value is read, not written again.
    ASSERT_TRUE(WriteColourStore(REG_BINARY, {0x01, 0x02, 0x03, 0x00}));
    EXPECT_EQ(Loaded(), Colour(0x00030201));
    EXPECT_EQ(ReadColourStore().Bytes, Bytes({0x01, 0x02, 0x03, 0x00}));
}

TEST_F(PaintColourTest, KeyWithoutValueGivesTheDefaultAndStaysWithoutIt)
{
    ASSERT_TRUE(MakeColourStoreKey());
    EXPECT_EQ(Loaded(), DefaultPaintColour);
    EXPECT_FALSE(ReadColourStore().ValueExists);
}

TEST_F(PaintColourTest, FourBytesOfAnyTypeAreReadLittleEndian)
{
    ASSERT_TRUE(WriteColourStore(REG_BINARY, {0x00, 0x00, 0xFF, 0x00}));
    EXPECT_EQ(Loaded(), Colour(0x00FF0000));

    const DWORD green = 0x0000FF00;
    ASSERT_TRUE(WriteColourStore(REG_DWORD, Bytes(reinterpret_cast<const unsigned char*>(&green),
                              reinterpret_cast<const unsigned char*>(&green) + 4)));
    EXPECT_EQ(Loaded(), Colour(0x0000FF00));

    ASSERT_TRUE(WriteColourStore(REG_DWORD_BIG_ENDIAN, {0x01, 0x02, 0x03, 0x00}));
    EXPECT_EQ(Loaded(), Colour(0x00030201));
}

TEST_F(PaintColourTest, ShortValuesReplaceOnlyTheLowBytesOfTheDefault)
{
    ASSERT_TRUE(WriteColourStore(REG_BINARY, {0x40}));
    EXPECT_EQ(Loaded(), Colour(0x00000040));
    ASSERT_TRUE(WriteColourStore(REG_BINARY, {0x10, 0x20}));
    EXPECT_EQ(Loaded(), Colour(0x00002010));
    // The default's own bytes survive above a short value, whatever the
    // output held before the call.
    ASSERT_TRUE(WriteColourStore(REG_BINARY, {0x10, 0x20, 0x30}));
    EXPECT_EQ(Loaded(0xFFFFFFFF), Colour(0x00302010));
    ASSERT_TRUE(WriteColourStore(REG_BINARY, {}));
    EXPECT_EQ(Loaded(0xFFFFFFFF), DefaultPaintColour);
}

TEST_F(PaintColourTest, LongValuesGiveTheDefaultUntouched)
{
    ASSERT_TRUE(WriteColourStore(REG_BINARY, {0x11, 0x22, 0x33, 0x44, 0x55, 0x66, 0x77, 0x88}));
    EXPECT_EQ(Loaded(), DefaultPaintColour);
    EXPECT_EQ(Loaded(0), DefaultPaintColour);
    EXPECT_EQ(ReadColourStore().Bytes.size(), 8u);
    ASSERT_TRUE(WriteColourStore(REG_BINARY, {0x11, 0x22, 0x33, 0x44, 0x55}));
    EXPECT_EQ(Loaded(), DefaultPaintColour);
}

TEST_F(PaintColourTest, SaveStoresFourLittleEndianBytesIntoAPresentKey)
{
    ASSERT_TRUE(MakeColourStoreKey());
    SavePaintColour(0x007F7F00);
    ColourStoreReading stored = ReadColourStore();
    ASSERT_TRUE(stored.ValueExists);
    EXPECT_EQ(stored.Type, DWORD(REG_BINARY));
    EXPECT_EQ(stored.Bytes, Bytes({0x00, 0x7F, 0x7F, 0x00}));
    EXPECT_EQ(Loaded(), Colour(0x007F7F00));

    // Overwrites whatever another writer left there.
    ASSERT_TRUE(WriteColourStore(REG_DWORD, {1, 2, 3, 4}));
    SavePaintColour(0x00FFFFFF);
    stored = ReadColourStore();
    EXPECT_EQ(stored.Type, DWORD(REG_BINARY));
    EXPECT_EQ(stored.Bytes, Bytes({0xFF, 0xFF, 0xFF, 0x00}));
}

TEST_F(PaintColourTest, SaveWithTheKeyAbsentWritesNothingAndCreatesNothing)
{
    SavePaintColour(0x007F7F00);
    EXPECT_FALSE(ReadColourStore().KeyExists);
}

TEST_F(PaintColourTest, LoadFillsTheProcessWideColour)
{
    ASSERT_TRUE(WriteColourStore(REG_BINARY, {0x00, 0x80, 0x00, 0x00}));
    const Colour kept = CurrentPaintColour;
    LoadPaintColour(CurrentPaintColour);
    EXPECT_EQ(CurrentPaintColour, Colour(0x00008000));
    CurrentPaintColour = kept;
}

}  // namespace
