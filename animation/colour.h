// Colour: a 32-bit value laid out 0x00BBGGRR (red in the low byte), exactly
// as the platform's drawing interface takes and reports it.
#ifndef RUXA_ANIMATION_COLOUR_H
#define RUXA_ANIMATION_COLOUR_H

#include <cstdint>

typedef std::uint32_t Colour;

constexpr Colour MakeColour(unsigned red, unsigned green, unsigned blue)
{
    return Colour(red & 0xFF) | (Colour(green & 0xFF) << 8) | (Colour(blue & 0xFF) << 16);
}

constexpr unsigned ColourRed(Colour c) { return c & 0xFF; }
constexpr unsigned ColourGreen(Colour c) { return (c >> 8) & 0xFF; }
constexpr unsigned ColourBlue(Colour c) { return (c >> 16) & 0xFF; }

// What a read outside a picture reports (the platform's "invalid colour"); no
// pixel inside a picture has it, since the top byte of a colour is zero.
constexpr Colour OutsideColour = 0xFFFFFFFFu;

#endif
