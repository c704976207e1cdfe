// Integer trigonometry for whole-degree angles, results in thousandths.
// Table lookups only: no floating point at run time.
#ifndef RUXA_ANIMATION_FIXED_TRIG_H
#define RUXA_ANIMATION_FIXED_TRIG_H

#include <cstdint>

// SineTable[n] = trunc(1000 * sin(n degrees)) in double precision, n = 0..90
// (entry 30 is 499: the double sine of 30 degrees is just below one half).
extern const std::int32_t SineTable[91];
// SqrtTable[n] = floor(1000 * sqrt(n)), n = 0..100.
extern const std::int32_t SqrtTable[101];

std::int32_t FixedSin(std::int32_t angle);
std::int32_t FixedCos(std::int32_t angle);
std::int32_t FixedSqrt(std::int32_t value);

#endif
