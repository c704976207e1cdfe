// The vehicle's body colour: kept per user in the registry, value "Color"
// under HKEY_CURRENT_USER\Software\Ruxa (REG_BINARY, 4 bytes little-endian).
#ifndef RUXA_SETTINGS_WIN32_PAINT_COLOUR_H
#define RUXA_SETTINGS_WIN32_PAINT_COLOUR_H

#include "animation/colour.h"
#include "settings/palette.h"

// The process-wide body colour: the last colour loaded or saved here.
extern Colour CurrentPaintColour;

// Fills out with the stored colour, or DefaultPaintColour.  On first use for a
// user creates the key and stores the default in it.
void LoadPaintColour(Colour& out);
// Stores the colour in an existing key; never creates the key.
void SavePaintColour(Colour colour);

#endif
