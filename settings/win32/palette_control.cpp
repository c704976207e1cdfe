// The palette from the keyboard.  The template's palette is a plain bitmap
// static without SS_NOTIFY, transparent to the mouse so that a click over a
// swatch reaches the dialog; it stays so.  At run time it becomes a tab stop
// between OK and Cancel, in a group of its own (and Cancel in another, so
// that arrow keys on Cancel do not wander onto the static texts), and its
// window procedure gives way to one that takes the arrow keys, Home and End
// and passes everything else on to the static's own: SetWindowLongPtr and
// CallWindowProc, which every Windows from 95 has.
//
// The current swatch is the working colour's: a click, a key or a reader
// picks it, and the keyboard carries on from whatever was picked last.
// While the palette has the focus and the system shows focus cues, the
// current swatch wears a mark: a frame in the system's text colour with one
// in its window colour inside, a pair that differs in every colour scheme,
// high contrast included, so that at least one frame shows on any swatch
// (a dotted XOR focus rectangle nearly vanishes on mid-grey).  Without the
// focus the palette is the static's own picture.
#include "settings/win32/palette_control.h"

#include "host/win32/host.h"
#include "settings/palette_navigation.h"
#include "settings/win32/configure_dialog.h"
#include "settings/win32/palette_accessible.h"

namespace {

typedef void(WINAPI* NotifyWinEventEntry)(DWORD event, HWND window, LONG object, LONG child);

struct PaletteControlRecord {
    // The palette while it runs this file's procedure, and its own.
    HWND Palette = nullptr;
    WNDPROC StaticProcedure = nullptr;
    // NotifyWinEvent (Windows 98 and 2000 on), looked up at the first
    // announcement.
    bool NotifyLookedUp = false;
    NotifyWinEventEntry Notify = nullptr;
};

PaletteControlRecord PaletteControlState;

RECT CellRect(std::int32_t cell, std::int32_t inset)
{
    const PaletteBox box = PaletteCellBox(cell, inset, ConfigureState.Dpi);
    return RECT{LONG(box.Left), LONG(box.Top), LONG(box.Right), LONG(box.Bottom)};
}

// The mark, or the plain swatch where it was, is drawn by the next paint.
void RepaintCell(HWND palette, std::int32_t cell)
{
    if (palette == nullptr || cell == PaletteNoCell)
        return;
    const RECT square = CellRect(cell, 0);
    InvalidateRect(palette, &square, FALSE);
}

// A frame one design pixel wide, `inset` design pixels inside the cell.
void DrawFrame(HDC dc, std::int32_t cell, std::int32_t inset, int systemColour)
{
    const RECT outer = CellRect(cell, inset), inner = CellRect(cell, inset + 1);
    const RECT sides[] = {{outer.left, outer.top, outer.right, inner.top},
                          {outer.left, inner.bottom, outer.right, outer.bottom},
                          {outer.left, inner.top, inner.left, inner.bottom},
                          {inner.right, inner.top, outer.right, inner.bottom}};
    HBRUSH brush = CreateSolidBrush(GetSysColor(systemColour));
    if (brush == nullptr)
        return;
    for (const RECT& side : sides)
        FillRect(dc, &side, brush);
    DeleteObject(brush);
}

void DrawMark(HWND palette, HDC dc)
{
    const std::int32_t cell = CurrentPaletteCell();
    if (cell == PaletteNoCell || GetFocus() != palette ||
        (SendMessageA(palette, WM_QUERYUISTATE, 0, 0) & UISF_HIDEFOCUS) != 0)
        return;
    DrawFrame(dc, cell, 0, COLOR_WINDOWTEXT);
    DrawFrame(dc, cell, 1, COLOR_WINDOW);
}

void Announce(DWORD event, HWND palette, std::int32_t cell)
{
    PaletteControlRecord& state = PaletteControlState;
    if (!state.NotifyLookedUp) {
        state.NotifyLookedUp = true;
        HMODULE user = GetModuleHandleA("USER32.DLL");
        if (user)
            state.Notify = EntryCast<NotifyWinEventEntry>(GetProcAddress(user, "NotifyWinEvent"));
    }
    if (state.Notify && palette && cell != PaletteNoCell)
        state.Notify(event, palette, OBJID_CLIENT, cell + 1);
}

// Readers hear of the current swatch once its state has changed: they ask
// the palette's object about it from inside the announcement.
void AnnounceCell(HWND palette, std::int32_t cell, bool focused)
{
    if (focused)
        Announce(EVENT_OBJECT_FOCUS, palette, cell);
    Announce(EVENT_OBJECT_SELECTION, palette, cell);
}

bool MoveByKey(HWND palette, WPARAM key)
{
    PaletteMove move;
    switch (key) {
    case VK_LEFT: move = PaletteMove::Previous; break;
    case VK_RIGHT: move = PaletteMove::Next; break;
    case VK_UP: move = PaletteMove::Up; break;
    case VK_DOWN: move = PaletteMove::Down; break;
    case VK_HOME: move = PaletteMove::First; break;
    case VK_END: move = PaletteMove::Last; break;
    default: return false;
    }
    // The keyboard is in use: focus cues show from now on, as after Tab.
    SendMessageA(palette, WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
    PickPaletteCell(PaletteCellAfter(CurrentPaletteCell(), move));
    return true;
}

LRESULT CALLBACK PaletteProcedure(HWND palette, UINT message, WPARAM wParam, LPARAM lParam)
{
    const WNDPROC own = PaletteControlState.StaticProcedure;
    switch (message) {
    case WM_GETDLGCODE:
        // The arrow keys; Tab, Return and Escape keep their dialog meaning.
        return DLGC_WANTARROWS;
    case WM_KEYDOWN:
        if (MoveByKey(palette, wParam))
            return 0;
        break;
    case WM_GETOBJECT:
        // The object id comes as a 32-bit value, sign-extended or not.
        if (LONG(DWORD(lParam)) == OBJID_CLIENT) {
            const LRESULT object = AnswerPaletteObjectRequest(palette, wParam);
            if (object != 0)
                return object;
        }
        break;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
        // The static paints its picture (into the context given, if any),
        // and the mark goes over it.
        const LRESULT result = CallWindowProcA(own, palette, message, wParam, lParam);
        HDC dc = wParam != 0 ? reinterpret_cast<HDC>(wParam) : GetDC(palette);
        if (dc != nullptr) {
            DrawMark(palette, dc);
            if (wParam == 0)
                ReleaseDC(palette, dc);
        }
        return result;
    }
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case WM_UPDATEUISTATE:
    case STM_SETIMAGE:
    case WM_ENABLE:
    case WM_SYSCOLORCHANGE: {
        // Each shows or hides the mark or changes its colours; and on the
        // last three the static draws itself at once, over the mark.
        const LRESULT result = CallWindowProcA(own, palette, message, wParam, lParam);
        const std::int32_t cell = CurrentPaletteCell();
        RepaintCell(palette, cell);
        if (message == WM_SETFOCUS)
            AnnounceCell(palette, cell, true);
        return result;
    }
    }
    return CallWindowProcA(own, palette, message, wParam, lParam);
}

}  // namespace

std::int32_t CurrentPaletteCell()
{
    return PaletteCellOf(ConfigureState.WorkingColour);
}

bool PaletteHasFocus()
{
    return ConfigureState.PaletteControl != nullptr && GetFocus() == ConfigureState.PaletteControl;
}

void PickPaletteCell(std::int32_t cell)
{
    const std::int32_t before = CurrentPaletteCell();
    ConfigureState.WorkingColour = PaletteColours[cell];
    if (cell == before)
        return;
    HWND palette = ConfigureState.PaletteControl;
    const bool focused = PaletteHasFocus();
    if (focused) {
        RepaintCell(palette, before);
        RepaintCell(palette, cell);
    }
    AnnounceCell(palette, cell, focused);
}

void AttachPaletteControl(HWND dialog)
{
    HWND palette = ConfigureState.PaletteControl;
    if (palette == nullptr)
        return;
    SetWindowLongA(palette, GWL_STYLE, GetWindowLongA(palette, GWL_STYLE) | WS_TABSTOP | WS_GROUP);
    HWND cancel = GetDlgItem(dialog, IDCANCEL);
    if (cancel != nullptr)
        SetWindowLongA(cancel, GWL_STYLE, GetWindowLongA(cancel, GWL_STYLE) | WS_GROUP);
    const WNDPROC own = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(palette, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(PaletteProcedure)));
    // Every static has the class's procedure; never take this one for it.
    if (own != nullptr && own != PaletteProcedure) {
        PaletteControlState.Palette = palette;
        PaletteControlState.StaticProcedure = own;
    }
}

void DetachPaletteControl()
{
    DisconnectPaletteObject();
    // Nothing that the palette is asked while it goes makes a new object.
    PaletteControlRecord& state = PaletteControlState;
    if (state.Palette != nullptr)
        SetWindowLongPtrA(state.Palette, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(state.StaticProcedure));
    state.Palette = nullptr;
}
