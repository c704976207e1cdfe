// Integer sine, cosine and square root: the tables against their rules, the
// angle reduction and the coarse root above 99.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <utility>
#include <vector>

#include "animation/fixed_trig.h"

namespace {

typedef std::vector<std::pair<int, int>> Pairs;  // (argument, result)

TEST(FixedTrigTables, EveryEntryFollowsItsRule)
{
    const double pi = std::acos(-1.0);
    for (int n = 0; n <= 90; ++n)
        EXPECT_EQ(std::int32_t(1000.0 * std::sin(n * pi / 180.0)), SineTable[n]) << n;
    for (int n = 0; n <= 100; ++n)
        EXPECT_EQ(std::int32_t(std::floor(1000.0 * std::sqrt(double(n)))), SqrtTable[n]) << n;

    // Telling rows: truncation, never rounding, and 499 at 30 degrees.
    const Pairs sines = {{0, 0}, {1, 17}, {2, 34}, {3, 52}, {25, 422}, {26, 438}, {30, 499},
                         {45, 707}, {50, 766}, {60, 866}, {89, 999}, {90, 1000}};
    for (const auto& p : sines)
        EXPECT_EQ(p.second, SineTable[p.first]) << p.first;
    const Pairs roots = {{0, 0}, {1, 1000}, {2, 1414}, {3, 1732}, {25, 5000}, {26, 5099}, {30, 5477},
                         {45, 6708}, {50, 7071}, {60, 7745}, {89, 9433}, {90, 9486}, {99, 9949}, {100, 10000}};
    for (const auto& p : roots)
        EXPECT_EQ(p.second, SqrtTable[p.first]) << p.first;
}

TEST(FixedSin, QuadrantsAndReduction)
{
    const Pairs cases = {{0, 0},     {1, 17},     {30, 499},    {45, 707},   {89, 999},   {90, 1000},
                         {91, 999},  {150, 499},  {179, 17},    {180, 0},    {181, -17},  {210, -499},
                         {270, -1000}, {330, -499}, {359, -17}, {360, 0},    {450, 1000}, {720, 0},
                         {-1, -17},  {-30, -499}, {-90, -1000}, {-360, 0},   {-361, -17}};
    for (const auto& p : cases)
        EXPECT_EQ(p.second, FixedSin(p.first)) << p.first;

    // Exactly odd and 360-periodic, far from the usual range too.
    for (int a = -1000; a <= 1000; ++a) {
        EXPECT_EQ(-FixedSin(a), FixedSin(-a)) << a;
        EXPECT_EQ(FixedSin(a), FixedSin(a + 360 * 1000)) << a;
    }
    EXPECT_EQ(FixedSin(INT_MAX % 360), FixedSin(INT_MAX));
    EXPECT_EQ(-FixedSin(INT_MAX % 360), FixedSin(INT_MIN + 1));
    EXPECT_EQ(FixedSin(360 + INT_MIN % 360), FixedSin(INT_MIN));
}

TEST(FixedCos, IsTheSineAQuarterTurnOn)
{
    const Pairs cases = {{0, 1000}, {1, 999},  {30, 866}, {60, 499}, {90, 0},   {91, -17}, {120, -499},
                         {180, -1000}, {270, 0}, {271, 17}, {300, 499}, {359, 999}, {-1, 999}};
    for (const auto& p : cases)
        EXPECT_EQ(p.second, FixedCos(p.first)) << p.first;
    for (int a = -720; a <= 720; ++a)
        EXPECT_EQ(FixedSin(a + 90), FixedCos(a)) << a;
    // Defined up to the largest angle (INT_MAX leaves 127, so 217 degrees).
    EXPECT_EQ(-601, FixedCos(INT_MAX));  // -SineTable[37]
    EXPECT_EQ(FixedSin(INT_MIN % 360 + 90), FixedCos(INT_MIN));
}

TEST(FixedSqrt, TableRootsAndTheCoarseScaleAbove99)
{
    const Pairs cases = {{-5, 0},        {0, 0},        {1, 1000},     {25, 5000},    {26, 5099},
                         {99, 9949},     {100, 10000},  {150, 10000},  {199, 10000},  {200, 14140},
                         {9999, 99490},  {10000, 100000}, {12345, 100000}, {INT_MAX, 45820000},
                         {INT_MIN, 0}};
    for (const auto& p : cases)
        EXPECT_EQ(p.second, FixedSqrt(p.first)) << p.first;
    // The squared lengths of one-tick steps.
    EXPECT_EQ(4000, FixedSqrt(16));
    EXPECT_EQ(4123, FixedSqrt(17));
    EXPECT_EQ(4242, FixedSqrt(18));
    EXPECT_EQ(4472, FixedSqrt(20));
    // Never above the true root.
    for (int v = 1; v < 200000; v += 7)
        EXPECT_LE(double(FixedSqrt(v)), 1000.0 * std::sqrt(double(v))) << v;
}

}  // namespace
