// Counting the process's live GDI objects under Wine, where GetGuiResources
// is a stub that always answers 0.
#ifndef RUXA_TESTS_WINE_GDI_COUNT_H
#define RUXA_TESTS_WINE_GDI_COUNT_H

// Number of GDI objects (brushes, bitmaps, DCs, pens, fonts, regions, stock
// objects included) alive in this process.  It walks every slot of the GDI
// handle table: GetObjectType accepts a handle that carries only the slot
// index, so a slot that holds an object answers with its type.  Compare two
// counts taken on the same thread; one object more or less shows as +1/-1.
int CountGdiObjects();

#endif
