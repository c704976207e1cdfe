// The palette's accessible object, written against the C form of the
// platform's interface (CINTERFACE): the object is a record whose first
// field points to one constant table of functions, laid out by the
// platform's own header in the interface's order.  So there is no static
// constructor and nothing of the C++ runtime, and the table is right on
// every processor: STDMETHODCALLTYPE is the stdcall convention on i386 and
// the platform's one convention elsewhere.
//
// Child 0 (CHILDID_SELF) is the list, children 1 to 16 the swatches, cell
// number + 1.  The swatches are simple elements with no object of their
// own: everything about them is asked of the list with their number.
#define CINTERFACE
#include "settings/win32/palette_accessible.h"

#include <oleacc.h>

#include <cstdint>

#include "host/win32/host.h"
#include "settings/palette_navigation.h"
#include "settings/win32/configure_dialog.h"
#include "settings/win32/palette_control.h"

namespace {

typedef LRESULT(WINAPI* LresultFromObjectEntry)(REFIID interfaceId, WPARAM wParam, IUnknown* object);
typedef HRESULT(WINAPI* AccessibleObjectFromWindowEntry)(HWND window, DWORD objectId, REFIID interfaceId,
                                                         void** object);
typedef HRESULT(WINAPI* CoInitializeEntry)(void* reserved);
typedef void(WINAPI* CoUninitializeEntry)();
typedef HRESULT(WINAPI* CoDisconnectObjectEntry)(IUnknown* object, DWORD reserved);
typedef BSTR(WINAPI* SysAllocStringLenEntry)(const OLECHAR* text, UINT length);

struct PaletteObject {
    IAccessible Interface;  // first: the interface's address is the object's
    ULONG References;
    HWND Palette;  // null once the dialog has closed
};

struct AccessibilityRecord {
    bool LookedUp = false;
    LresultFromObjectEntry ObjectResult = nullptr;
    AccessibleObjectFromWindowEntry WindowObject = nullptr;
    CoInitializeEntry StartCom = nullptr;
    CoUninitializeEntry EndCom = nullptr;
    CoDisconnectObjectEntry Disconnect = nullptr;
    SysAllocStringLenEntry MakeString = nullptr;
    // COM started on the dialog's thread for the object, to be ended when
    // the dialog closes.
    bool ComStarted = false;
    // The open dialog's object, once a reader has asked for it.
    PaletteObject* Object = nullptr;
};

AccessibilityRecord Accessibility;

// The swatches' default action, what a click on one does.
const char SwatchAction[] = "Select";

// The identifiers of the object's three interfaces.  The platform's
// constants for them live in a library of their own, which the module does
// not link.
constexpr GUID UnknownInterface = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID DispatchInterface = {0x00020400, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
constexpr GUID AccessibleInterface = {0x618736E0, 0x3C3D, 0x11CF, {0x81, 0x0C, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};

// The list itself, child 0, in the cell numbers that children map to.
const LONG SelfCell = CHILDID_SELF - 1;

bool LoadAccessibility()
{
    AccessibilityRecord& a = Accessibility;
    if (!a.LookedUp) {
        a.LookedUp = true;
        HMODULE access = ScreenSaverLoadSystemLibrary("OLEACC.DLL");
        HMODULE com = access ? ScreenSaverLoadSystemLibrary("OLE32.DLL") : nullptr;
        HMODULE automation = com ? ScreenSaverLoadSystemLibrary("OLEAUT32.DLL") : nullptr;
        if (automation) {
            a.ObjectResult = EntryCast<LresultFromObjectEntry>(GetProcAddress(access, "LresultFromObject"));
            a.WindowObject =
                EntryCast<AccessibleObjectFromWindowEntry>(GetProcAddress(access, "AccessibleObjectFromWindow"));
            a.StartCom = EntryCast<CoInitializeEntry>(GetProcAddress(com, "CoInitialize"));
            a.EndCom = EntryCast<CoUninitializeEntry>(GetProcAddress(com, "CoUninitialize"));
            a.Disconnect = EntryCast<CoDisconnectObjectEntry>(GetProcAddress(com, "CoDisconnectObject"));
            a.MakeString = EntryCast<SysAllocStringLenEntry>(GetProcAddress(automation, "SysAllocStringLen"));
        }
    }
    return a.ObjectResult && a.WindowObject && a.StartCom && a.EndCom && a.Disconnect && a.MakeString;
}

PaletteObject* ObjectOf(IAccessible* self)
{
    return reinterpret_cast<PaletteObject*>(self);
}

bool SameInterface(REFIID a, REFIID b)
{
    for (int i = 0; i < 8; ++i)
        if (a.Data4[i] != b.Data4[i])
            return false;
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3;
}

// The cell that a child number names, SelfCell for the list; false for a
// number that names neither.
bool CellOfChild(const VARIANT& child, LONG& cell)
{
    if (V_VT(&child) != VT_I4 || V_I4(&child) < CHILDID_SELF || V_I4(&child) > PaletteCellCount)
        return false;
    cell = V_I4(&child) - 1;
    return true;
}

void SetNumber(VARIANT* out, LONG number)
{
    V_VT(out) = VT_I4;
    V_I4(out) = number;
}

void SetEmpty(VARIANT* out)
{
    V_VT(out) = VT_EMPTY;
}

HRESULT GiveText(const char* text, BSTR* out)
{
    const int length = lstrlenA(text);
    BSTR made = Accessibility.MakeString(nullptr, UINT(length));
    if (!made)
        return E_OUTOFMEMORY;
    for (int i = 0; i < length; ++i)
        made[i] = OLECHAR(text[i]);
    *out = made;
    return S_OK;
}

// Every call past the interface's bookkeeping starts here: an object whose
// dialog has closed answers with an error, and a bad child number is
// refused.
HRESULT CheckCall(IAccessible* self, const VARIANT* child, LONG* cell)
{
    if (!ObjectOf(self)->Palette)
        return RPC_E_DISCONNECTED;
    if (child && !CellOfChild(*child, *cell))
        return E_INVALIDARG;
    return S_OK;
}

// ---- IUnknown and IDispatch -------------------------------------------------

HRESULT STDMETHODCALLTYPE QueryInterface(IAccessible* self, REFIID interfaceId, void** out)
{
    if (!out)
        return E_POINTER;
    if (!SameInterface(interfaceId, UnknownInterface) && !SameInterface(interfaceId, DispatchInterface) &&
        !SameInterface(interfaceId, AccessibleInterface)) {
        *out = nullptr;
        return E_NOINTERFACE;
    }
    *out = self;
    ++ObjectOf(self)->References;
    return S_OK;
}

// Calls come on the dialog's thread alone, the apartment's: COM brings those
// of other threads and processes there, so the count needs no lock.
ULONG STDMETHODCALLTYPE AddRef(IAccessible* self)
{
    return ++ObjectOf(self)->References;
}

ULONG STDMETHODCALLTYPE Release(IAccessible* self)
{
    PaletteObject* object = ObjectOf(self);
    const ULONG left = --object->References;
    if (left == 0)
        HeapFree(GetProcessHeap(), 0, object);
    return left;
}

// Readers call the interface's functions directly; there is no type library
// for late binding.
HRESULT STDMETHODCALLTYPE GetTypeInfoCount(IAccessible*, UINT* count)
{
    if (!count)
        return E_INVALIDARG;
    *count = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GetTypeInfo(IAccessible*, UINT, LCID, ITypeInfo** out)
{
    if (out)
        *out = nullptr;
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE GetIDsOfNames(IAccessible*, REFIID, LPOLESTR*, UINT, LCID, DISPID*)
{
    return E_NOTIMPL;
}

HRESULT STDMETHODCALLTYPE Invoke(IAccessible*, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                 UINT*)
{
    return E_NOTIMPL;
}

// ---- the list and its items ------------------------------------------------------

// The list's parent is the palette window's own object, which the platform makes.
HRESULT STDMETHODCALLTYPE GetParentObject(IAccessible* self, IDispatch** out)
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    const HRESULT checked = CheckCall(self, nullptr, nullptr);
    if (FAILED(checked))
        return checked;
    return Accessibility.WindowObject(ObjectOf(self)->Palette, DWORD(OBJID_WINDOW), DispatchInterface,
                                      reinterpret_cast<void**>(out));
}

HRESULT STDMETHODCALLTYPE GetChildCount(IAccessible* self, LONG* count)
{
    if (!count)
        return E_INVALIDARG;
    *count = 0;
    const HRESULT checked = CheckCall(self, nullptr, nullptr);
    if (SUCCEEDED(checked))
        *count = PaletteCellCount;
    return checked;
}

// The swatches have no object of their own (S_FALSE).
HRESULT STDMETHODCALLTYPE GetChild(IAccessible* self, VARIANT child, IDispatch** out)
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    LONG cell = SelfCell;
    const HRESULT checked = CheckCall(self, &child, &cell);
    if (FAILED(checked))
        return checked;
    return cell == SelfCell ? E_INVALIDARG : S_FALSE;
}

HRESULT STDMETHODCALLTYPE GetName(IAccessible* self, VARIANT child, BSTR* out)
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    LONG cell = SelfCell;
    const HRESULT checked = CheckCall(self, &child, &cell);
    if (FAILED(checked))
        return checked;
    return GiveText(cell == SelfCell ? PaletteName : PaletteColourNames[cell], out);
}

// The texts that the palette does not have: a value, a description, help
// and a keyboard shortcut, one function for all four.
HRESULT STDMETHODCALLTYPE NoText(IAccessible* self, VARIANT child, BSTR* out)
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    LONG cell = SelfCell;
    const HRESULT checked = CheckCall(self, &child, &cell);
    return FAILED(checked) ? checked : DISP_E_MEMBERNOTFOUND;
}

HRESULT STDMETHODCALLTYPE GetRole(IAccessible* self, VARIANT child, VARIANT* out)
{
    if (!out)
        return E_INVALIDARG;
    SetEmpty(out);
    LONG cell = SelfCell;
    const HRESULT checked = CheckCall(self, &child, &cell);
    if (SUCCEEDED(checked))
        SetNumber(out, cell == SelfCell ? ROLE_SYSTEM_LIST : ROLE_SYSTEM_LISTITEM);
    return checked;
}

HRESULT STDMETHODCALLTYPE GetState(IAccessible* self, VARIANT child, VARIANT* out)
{
    if (!out)
        return E_INVALIDARG;
    SetEmpty(out);
    LONG cell = SelfCell;
    const HRESULT checked = CheckCall(self, &child, &cell);
    if (FAILED(checked))
        return checked;
    const bool focused = PaletteHasFocus();
    LONG state = STATE_SYSTEM_FOCUSABLE;
    if (cell == SelfCell) {
        state |= focused ? STATE_SYSTEM_FOCUSED : 0;
    } else {
        state |= STATE_SYSTEM_SELECTABLE;
        if (cell == CurrentPaletteCell())
            state |= STATE_SYSTEM_SELECTED | (focused ? STATE_SYSTEM_FOCUSED : 0);
    }
    SetNumber(out, state);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GetHelpTopic(IAccessible* self, BSTR* file, VARIANT child, LONG* topic)
{
    if (!topic)
        return E_INVALIDARG;
    *topic = -1;
    return NoText(self, child, file);
}

// While the palette has the focus: the current swatch, or the list where
// no swatch is current.
HRESULT STDMETHODCALLTYPE GetFocusedChild(IAccessible* self, VARIANT* out)
{
    if (!out)
        return E_INVALIDARG;
    SetEmpty(out);
    const HRESULT checked = CheckCall(self, nullptr, nullptr);
    if (FAILED(checked))
        return checked;
    if (!PaletteHasFocus())
        return S_FALSE;
    SetNumber(out, CurrentPaletteCell() + 1);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GetSelectedChild(IAccessible* self, VARIANT* out)
{
    if (!out)
        return E_INVALIDARG;
    SetEmpty(out);
    const HRESULT checked = CheckCall(self, nullptr, nullptr);
    if (FAILED(checked))
        return checked;
    const std::int32_t cell = CurrentPaletteCell();
    if (cell == PaletteNoCell)
        return S_FALSE;
    SetNumber(out, cell + 1);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE GetDefaultAction(IAccessible* self, VARIANT child, BSTR* out)
{
    if (!out)
        return E_INVALIDARG;
    *out = nullptr;
    LONG cell = SelfCell;
    const HRESULT checked = CheckCall(self, &child, &cell);
    if (FAILED(checked))
        return checked;
    return cell == SelfCell ? DISP_E_MEMBERNOTFOUND : GiveText(SwatchAction, out);
}

// One list of single choice: taking the focus or the selection for a
// swatch picks it, and the focus goes to the palette.
HRESULT STDMETHODCALLTYPE SelectChild(IAccessible* self, LONG flags, VARIANT child)
{
    LONG cell = SelfCell;
    const HRESULT checked = CheckCall(self, &child, &cell);
    if (FAILED(checked))
        return checked;
    const LONG takes = flags & (SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION);
    if (takes == 0 || takes != flags || (cell == SelfCell && flags != SELFLAG_TAKEFOCUS))
        return E_INVALIDARG;
    if (cell != SelfCell)
        PickPaletteCell(cell);
    if (flags & SELFLAG_TAKEFOCUS)
        SetFocus(ObjectOf(self)->Palette);
    return S_OK;
}

// On the screen, in true pixels: the list is the palette's client area,
// each swatch its square at the dialog's DPI.
HRESULT STDMETHODCALLTYPE Location(IAccessible* self, LONG* left, LONG* top, LONG* width, LONG* height,
                                   VARIANT child)
{
    if (!left || !top || !width || !height)
        return E_INVALIDARG;
    *left = *top = *width = *height = 0;
    LONG cell = SelfCell;
    const HRESULT checked = CheckCall(self, &child, &cell);
    if (FAILED(checked))
        return checked;
    HWND palette = ObjectOf(self)->Palette;
    RECT box = {0, 0, 0, 0};
    if (cell == SelfCell) {
        GetClientRect(palette, &box);
    } else {
        const PaletteBox square = PaletteCellBox(cell, 0, ConfigureState.Dpi);
        box = RECT{LONG(square.Left), LONG(square.Top), LONG(square.Right), LONG(square.Bottom)};
    }
    POINT origin = {0, 0};
    ClientToScreen(palette, &origin);
    *left = box.left + origin.x;
    *top = box.top + origin.y;
    *width = box.right - box.left;
    *height = box.bottom - box.top;
    return S_OK;
}

// From a swatch to its neighbours as the keyboard moves, and from the list
// to its first and last swatch.  Past an edge there is nothing (S_FALSE).
HRESULT STDMETHODCALLTYPE Navigate(IAccessible* self, LONG direction, VARIANT start, VARIANT* out)
{
    if (!out)
        return E_INVALIDARG;
    SetEmpty(out);
    LONG cell = SelfCell;
    const HRESULT checked = CheckCall(self, &start, &cell);
    if (FAILED(checked))
        return checked;
    if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
        if (cell != SelfCell)
            return E_INVALIDARG;
        SetNumber(out, direction == NAVDIR_FIRSTCHILD ? 1 : PaletteCellCount);
        return S_OK;
    }
    PaletteMove move;
    switch (direction) {
    case NAVDIR_NEXT:
    case NAVDIR_RIGHT: move = PaletteMove::Next; break;
    case NAVDIR_PREVIOUS:
    case NAVDIR_LEFT: move = PaletteMove::Previous; break;
    case NAVDIR_UP: move = PaletteMove::Up; break;
    case NAVDIR_DOWN: move = PaletteMove::Down; break;
    default: return E_INVALIDARG;
    }
    // The list's own neighbours are the dialog's other controls, which the
    // window's object tells.
    if (cell == SelfCell)
        return S_FALSE;
    const std::int32_t next = PaletteCellAfter(cell, move);
    if (next == cell)
        return S_FALSE;
    SetNumber(out, next + 1);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE HitTest(IAccessible* self, LONG x, LONG y, VARIANT* out)
{
    if (!out)
        return E_INVALIDARG;
    SetEmpty(out);
    const HRESULT checked = CheckCall(self, nullptr, nullptr);
    if (FAILED(checked))
        return checked;
    HWND palette = ObjectOf(self)->Palette;
    POINT point = {x, y};
    RECT client;
    if (!ScreenToClient(palette, &point) || !GetClientRect(palette, &client) || point.x < 0 || point.y < 0 ||
        point.x >= client.right || point.y >= client.bottom)
        return S_FALSE;
    SetNumber(out, PaletteCellAt(point.x, point.y, ConfigureState.Dpi) + 1);  // no cell: the list
    return S_OK;
}

HRESULT STDMETHODCALLTYPE DoDefaultAction(IAccessible* self, VARIANT child)
{
    LONG cell = SelfCell;
    const HRESULT checked = CheckCall(self, &child, &cell);
    if (FAILED(checked))
        return checked;
    if (cell == SelfCell)
        return DISP_E_MEMBERNOTFOUND;
    PickPaletteCell(cell);
    return S_OK;
}

// Nothing about the palette can be changed by name or value.
HRESULT STDMETHODCALLTYPE NotSettable(IAccessible*, VARIANT, BSTR)
{
    return E_NOTIMPL;
}

const IAccessibleVtbl PaletteObjectTable = {
    QueryInterface,
    AddRef,
    Release,
    GetTypeInfoCount,
    GetTypeInfo,
    GetIDsOfNames,
    Invoke,
    GetParentObject,
    GetChildCount,
    GetChild,
    GetName,
    NoText,  // value
    NoText,  // description
    GetRole,
    GetState,
    NoText,  // help
    GetHelpTopic,
    NoText,  // keyboard shortcut
    GetFocusedChild,
    GetSelectedChild,
    GetDefaultAction,
    SelectChild,
    Location,
    Navigate,
    HitTest,
    DoDefaultAction,
    NotSettable,  // name
    NotSettable,  // value
};

}  // namespace

LRESULT AnswerPaletteObjectRequest(HWND palette, WPARAM wParam)
{
    AccessibilityRecord& a = Accessibility;
    if (!LoadAccessibility())
        return 0;
    // Handing the object out goes through COM, on the dialog's thread.
    if (!a.ComStarted)
        a.ComStarted = SUCCEEDED(a.StartCom(nullptr));
    if (!a.Object) {
        PaletteObject* made = static_cast<PaletteObject*>(HeapAlloc(GetProcessHeap(), 0, sizeof(PaletteObject)));
        if (!made)
            return 0;
        // The header declares the table writable; nothing writes it.
        made->Interface.lpVtbl = const_cast<IAccessibleVtbl*>(&PaletteObjectTable);
        made->References = 1;  // the dialog's, until it closes
        made->Palette = palette;
        a.Object = made;
    }
    const LRESULT answer = a.ObjectResult(AccessibleInterface, wParam, reinterpret_cast<IUnknown*>(a.Object));
    return answer > 0 ? answer : 0;
}

void DisconnectPaletteObject()
{
    AccessibilityRecord& a = Accessibility;
    if (a.Object) {
        IAccessible* object = &a.Object->Interface;
        a.Object->Palette = nullptr;
        a.Object = nullptr;
        // Drops the references that COM holds for readers in other
        // processes; a reader in this one keeps its own.
        a.Disconnect(reinterpret_cast<IUnknown*>(object), 0);
        Release(object);
    }
    if (a.ComStarted) {
        a.EndCom();
        a.ComStarted = false;
    }
}
