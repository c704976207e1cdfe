// Integer sine and square root by table lookup (no floating point at run
// time).  The tables were computed once in double precision; a native test
// recomputes every entry to prove the literals.
#include "animation/fixed_trig.h"

// trunc(1000 * sin(n degrees)), n = 0..90.
const std::int32_t SineTable[91] = {
    0, 17, 34, 52, 69, 87, 104, 121, 139, 156,
    173, 190, 207, 224, 241, 258, 275, 292, 309, 325,
    342, 358, 374, 390, 406, 422, 438, 453, 469, 484,
    499, 515, 529, 544, 559, 573, 587, 601, 615, 629,
    642, 656, 669, 681, 694, 707, 719, 731, 743, 754,
    766, 777, 788, 798, 809, 819, 829, 838, 848, 857,
    866, 874, 882, 891, 898, 906, 913, 920, 927, 933,
    939, 945, 951, 956, 961, 965, 970, 974, 978, 981,
    984, 987, 990, 992, 994, 996, 997, 998, 999, 999,
    1000,
};

// floor(1000 * sqrt(n)), n = 0..100.
const std::int32_t SqrtTable[101] = {
    0, 1000, 1414, 1732, 2000, 2236, 2449, 2645, 2828, 3000,
    3162, 3316, 3464, 3605, 3741, 3872, 4000, 4123, 4242, 4358,
    4472, 4582, 4690, 4795, 4898, 5000, 5099, 5196, 5291, 5385,
    5477, 5567, 5656, 5744, 5830, 5916, 6000, 6082, 6164, 6244,
    6324, 6403, 6480, 6557, 6633, 6708, 6782, 6855, 6928, 7000,
    7071, 7141, 7211, 7280, 7348, 7416, 7483, 7549, 7615, 7681,
    7745, 7810, 7874, 7937, 8000, 8062, 8124, 8185, 8246, 8306,
    8366, 8426, 8485, 8544, 8602, 8660, 8717, 8774, 8831, 8888,
    8944, 9000, 9055, 9110, 9165, 9219, 9273, 9327, 9380, 9433,
    9486, 9539, 9591, 9643, 9695, 9746, 9797, 9848, 9899, 9949,
    10000,
};

std::int32_t FixedSin(std::int32_t angle)
{
    std::int32_t r = angle % 360;  // takes the sign of angle
    if (r < 0)
        r += 360;
    const std::int32_t m = r % 90;
    switch (r / 90) {
    case 0: return SineTable[m];
    case 1: return SineTable[90 - m];
    case 2: return -SineTable[m];
    default: return -SineTable[90 - m];
    }
}

// The sine a quarter turn on.  The angle is reduced first so that adding 90
// cannot overflow near the largest angle; the sine repeats every 360 degrees,
// so the values are those of FixedSin(angle + 90).
std::int32_t FixedCos(std::int32_t angle)
{
    return FixedSin(angle % 360 + 90);
}

// Cuts the argument down by whole pairs of decimal digits and scales the
// table root of what is left back up by 10 per pair; the dropped digits are
// lost, so above 99 the result is coarse (150 gives the same as 100).
std::int32_t FixedSqrt(std::int32_t value)
{
    if (value < 1)
        return 0;
    std::int32_t pairs = 0;
    while (value >= 100) {
        value /= 100;
        ++pairs;
    }
    std::int32_t result = SqrtTable[value];
    while (pairs-- > 0)
        result *= 10;
    return result;
}
