// Message sequences through the saver window's procedures: what the class's
// window procedure keeps from ScreenSaverProc, what the host's default
// procedure does with what ScreenSaverProc hands on, and the fault guard
// around a mode.  The window is a child of a parent owned by the test, so the
// preview's forwarding to the settings page can be watched in the parent's
// queue; HostState.PreviewMode chooses which behaviour the procedures show.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "host/win32/host.h"
#include "host/win32/saver_hooks.h"
#include "wine_host/recording_hooks.h"

namespace {

const char TestClassName[] = "RuxaHostTestSaver";
const char ParentClassName[] = "RuxaHostTestParent";
const char WindowTitle[] = "Ruxa host test";

typedef std::vector<RecordedMessage> Sequence;

std::string Describe(const Sequence& messages)
{
    std::string text;
    for (const RecordedMessage& entry : messages) {
        char line[96];
        std::snprintf(line, sizeof line, "  msg %04x wp %08llx lp %08llx\n", entry.Message,
                      static_cast<unsigned long long>(entry.WParam), static_cast<unsigned long long>(entry.LParam));
        text += line;
    }
    return text.empty() ? "  (nothing)\n" : text;
}

// Every message, wParam and lParam must match, in order, with nothing extra.
::testing::AssertionResult SequenceIs(const Sequence& expected)
{
    const Sequence& got = Recording.Messages;
    bool same = got.size() == expected.size();
    for (size_t i = 0; same && i < got.size(); ++i) {
        same = got[i].Message == expected[i].Message && got[i].WParam == expected[i].WParam &&
               got[i].LParam == expected[i].LParam;
    }
    if (same) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "ScreenSaverProc got\n"
                                         << Describe(got) << "expected\n"
                                         << Describe(expected);
}

class HostWindowProc : public ::testing::Test {
protected:
    void SetUp() override
    {
        Saved = HostState;
        HostState.PasswordPlatform = 0;
        HostState.PreviewMode = 0;
        HostState.Verifying = 0;
        HostState.Closing = 0;

        WNDCLASSA windowClass = {};
        windowClass.lpfnWndProc = ScreenSaverWindowProc;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.lpszClassName = TestClassName;
        RegisterClassA(&windowClass);
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.lpszClassName = ParentClassName;
        RegisterClassA(&windowClass);

        Parent = CreateWindowExA(0, ParentClassName, "Parent", WS_POPUP, 0, 0, 200, 150, nullptr, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(Parent != nullptr);
        Window = CreateWindowExA(0, TestClassName, WindowTitle, WS_CHILD, 0, 0, 200, 150, Parent, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
        ASSERT_TRUE(Window != nullptr);
        DrainQueue();
        Recording.Messages.clear();
    }

    void TearDown() override
    {
        if (Window) {
            DestroyWindow(Window);
        }
        if (Parent) {
            DestroyWindow(Parent);
        }
        // The saver window's WM_DESTROY posts the quit message.
        DrainQueue();
        MSG quit;
        while (PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        Recording.Messages.clear();
        HostState = Saved;
    }

    // Removes the test windows' posted messages without dispatching them.
    void DrainQueue()
    {
        MSG pending;
        while (Window && PeekMessageA(&pending, Window, 0, 0, PM_REMOVE | PM_NOYIELD)) {
        }
        while (Parent && PeekMessageA(&pending, Parent, 0, 0, PM_REMOVE | PM_NOYIELD)) {
        }
    }

    LRESULT Send(UINT message, WPARAM wParam, LPARAM lParam)
    {
        Recording.Messages.clear();
        return SendMessageA(Window, message, wParam, lParam);
    }

    // True when a WM_CLOSE for the saver window waits in the queue; removes it.
    bool TakeClose()
    {
        MSG posted;
        if (!PeekMessageA(&posted, Window, WM_CLOSE, WM_CLOSE, PM_NOREMOVE | PM_NOYIELD)) {
            return false;
        }
        while (PeekMessageA(&posted, Window, WM_CLOSE, WM_CLOSE, PM_REMOVE | PM_NOYIELD)) {
        }
        return true;
    }

    std::string Title()
    {
        char text[64] = {};
        GetWindowTextA(Window, text, sizeof text);
        return text;
    }

    HostRecord Saved;
    HWND Parent = nullptr;
    HWND Window = nullptr;
};

TEST_F(HostWindowProc, SetTextIsRefusedBeforeTheSaver)
{
    for (LONG preview = 0; preview <= 1; ++preview) {
        SCOPED_TRACE(preview ? "preview" : "full screen");
        HostState.PreviewMode = preview;
        EXPECT_EQ(0, Send(WM_SETTEXT, 0, reinterpret_cast<LPARAM>("Changed")));
        EXPECT_TRUE(SequenceIs({}));
        EXPECT_EQ(WindowTitle, Title());
        Recording.Messages.clear();
        EXPECT_FALSE(SetWindowTextA(Window, "Changed again"));
        EXPECT_TRUE(SequenceIs({}));
        EXPECT_EQ(WindowTitle, Title());
    }
}

TEST_F(HostWindowProc, SystemCommandsThatWouldLeaveTheSaver)
{
    const WPARAM swallowed[] = {SC_SCREENSAVE, SC_NEXTWINDOW, SC_PREVWINDOW};
    for (WPARAM command : swallowed) {
        SCOPED_TRACE(command);
        HostState.PreviewMode = 0;
        EXPECT_EQ(0, Send(WM_SYSCOMMAND, command, 0));
        EXPECT_TRUE(SequenceIs({}));
        // The preview is a page's child: the page decides.
        HostState.PreviewMode = 1;
        Send(WM_SYSCOMMAND, command, 0);
        EXPECT_TRUE(SequenceIs({{WM_SYSCOMMAND, command, 0}}));
    }
    // The whole wParam is compared, so a command with low bits set passes.
    // (Not SC_SCREENSAVE | 1: Wine's default procedure opens a modal box for it.)
    HostState.PreviewMode = 0;
    Send(WM_SYSCOMMAND, SC_SCREENSAVE | 2, 0);
    EXPECT_TRUE(SequenceIs({{WM_SYSCOMMAND, SC_SCREENSAVE | 2, 0}}));
    Send(WM_SYSCOMMAND, SC_NEXTWINDOW | 2, 0);
    EXPECT_TRUE(SequenceIs({{WM_SYSCOMMAND, SC_NEXTWINDOW | 2, 0}}));
}

// WM_HELP carries a pointer, and some platforms (Wine among them) refuse to
// post such a message at all.  Asks the platform directly, so the test expects
// the post only where it can happen; the return of 1 holds either way.
bool PlatformPosts(UINT message, LPARAM lParam)
{
    static HWND probe = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr,
                                        GetModuleHandleA(nullptr), nullptr);
    if (!PostMessageA(probe, message, 0, lParam)) {
        return false;
    }
    MSG taken;
    while (PeekMessageA(&taken, probe, message, message, PM_REMOVE | PM_NOYIELD)) {
    }
    return true;
}

TEST_F(HostWindowProc, PreviewHandsHelpToTheSettingsPage)
{
    HELPINFO help = {};
    help.cbSize = sizeof help;
    const LPARAM helpParam = reinterpret_cast<LPARAM>(&help);
    const LPARAM menuParam = MAKELPARAM(17, 23);
    const struct {
        UINT Message;
        LPARAM LParam;
    } cases[] = {{WM_HELP, helpParam}, {WM_CONTEXTMENU, menuParam}};

    for (const auto& sent : cases) {
        SCOPED_TRACE(sent.Message);
        HostState.PreviewMode = 1;
        EXPECT_EQ(1, Send(sent.Message, reinterpret_cast<WPARAM>(Window), sent.LParam));
        EXPECT_TRUE(SequenceIs({}));
        MSG posted = {};
        if (PlatformPosts(sent.Message, sent.LParam)) {
            ASSERT_TRUE(PeekMessageA(&posted, Parent, sent.Message, sent.Message, PM_REMOVE | PM_NOYIELD));
            EXPECT_EQ(reinterpret_cast<WPARAM>(Parent), posted.wParam);
            EXPECT_EQ(sent.LParam, posted.lParam);
        }
        EXPECT_FALSE(PeekMessageA(&posted, Parent, sent.Message, sent.Message, PM_NOREMOVE | PM_NOYIELD));

        // Full screen keeps it: the saver sees it and nothing is posted.
        HostState.PreviewMode = 0;
        Send(sent.Message, reinterpret_cast<WPARAM>(Window), sent.LParam);
        EXPECT_TRUE(SequenceIs({{sent.Message, reinterpret_cast<WPARAM>(Window), sent.LParam}}));
        EXPECT_FALSE(PeekMessageA(&posted, Parent, sent.Message, sent.Message, PM_NOREMOVE | PM_NOYIELD));
    }
}

TEST_F(HostWindowProc, ClosingStopsTicksAndInput)
{
    Send(WM_TIMER, 1, 0);
    EXPECT_TRUE(SequenceIs({{WM_TIMER, 1, 0}}));

    HostState.Closing = 1;
    EXPECT_EQ(0, Send(WM_TIMER, 1, 0));
    EXPECT_TRUE(SequenceIs({}));
    // Far from where the pointer was, so a move would otherwise close.
    POINT now = {};
    GetCursorPos(&now);
    HostState.SavedCursorPos = {now.x + 100, now.y + 100};
    const UINT input[] = {WM_KEYDOWN, WM_MOUSEMOVE, WM_LBUTTONDOWN};
    for (UINT message : input) {
        SCOPED_TRACE(message);
        Send(message, message == WM_KEYDOWN ? 'A' : 0, 0);
        EXPECT_TRUE(SequenceIs({}));
        EXPECT_FALSE(TakeClose());
    }
}

TEST_F(HostWindowProc, InputPostsCloseInFullScreenOnly)
{
    POINT now = {};
    GetCursorPos(&now);
    HostState.SavedCursorPos = now;

    const struct {
        UINT Message;
        WPARAM WParam;
        bool Closes;
    } cases[] = {
        {WM_KEYDOWN, 'A', true},       {WM_SYSKEYDOWN, 'A', true},     {WM_LBUTTONDOWN, MK_LBUTTON, true},
        {WM_RBUTTONDOWN, MK_RBUTTON, true}, {WM_MBUTTONDOWN, MK_MBUTTON, true}, {WM_ACTIVATEAPP, 0, true},
        {WM_KEYUP, 'A', false},        {WM_CHAR, 'a', false},          {WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), false},
        {WM_ACTIVATEAPP, 1, false},    {WM_MOUSEMOVE, 0, false},
    };
    for (LONG preview = 0; preview <= 1; ++preview) {
        HostState.PreviewMode = preview;
        for (const auto& sent : cases) {
            SCOPED_TRACE(testing::Message() << (preview ? "preview " : "full screen ") << std::hex << sent.Message
                                            << " wParam " << sent.WParam);
            Send(sent.Message, sent.WParam, 0);
            EXPECT_TRUE(SequenceIs({{sent.Message, sent.WParam, 0}}));
            EXPECT_EQ(sent.Closes && !preview, TakeClose());
        }
    }

    // A move of the pointer far from where the saver started closes too.
    HostState.PreviewMode = 0;
    HostState.SavedCursorPos = {now.x + 100, now.y + 100};
    Send(WM_MOUSEMOVE, 0, 0);
    EXPECT_TRUE(TakeClose());
    HostState.PreviewMode = 1;
    HostState.SavedCursorPos = {now.x + 100, now.y + 100};
    Send(WM_MOUSEMOVE, 0, 0);
    EXPECT_FALSE(TakeClose());
}

TEST_F(HostWindowProc, CursorStaysHiddenInFullScreen)
{
    EXPECT_EQ(1, Send(WM_SETCURSOR, reinterpret_cast<WPARAM>(Window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)));
    EXPECT_TRUE(SequenceIs({{WM_SETCURSOR, reinterpret_cast<WPARAM>(Window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE)}}));
}

// A verifier standing in for the platform's password check.
struct VerifierScript {
    BOOL Answer = FALSE;
    int Calls = 0;
    bool NestedClose = false;        // send another WM_CLOSE from inside the check
    LRESULT NestedResult = -1;
    int TimersLeft = -1;             // WM_TIMER messages still queued during the check
};
VerifierScript Verifier;

BOOL WINAPI ScriptedVerifier(HWND window)
{
    ++Verifier.Calls;
    MSG pending;
    Verifier.TimersLeft = 0;
    while (PeekMessageA(&pending, window, WM_TIMER, WM_TIMER, PM_REMOVE | PM_NOYIELD)) {
        ++Verifier.TimersLeft;
    }
    if (Verifier.NestedClose) {
        Verifier.NestedResult = SendMessageA(window, WM_CLOSE, 0, 0);
    }
    return Verifier.Answer;
}

TEST_F(HostWindowProc, InputMethodIsDetachedWhileTheWindowLivesAndRestoredAtTheEnd)
{
    HMODULE imm = GetModuleHandleA("IMM32.DLL");
    ASSERT_NE(imm, nullptr) << "the platform's input-method library is not loaded";
    typedef HIMC(WINAPI * GetContextEntry)(HWND);
    typedef BOOL(WINAPI * ReleaseContextEntry)(HWND, HIMC);
    GetContextEntry getContext = EntryCast<GetContextEntry>(GetProcAddress(imm, "ImmGetContext"));
    ReleaseContextEntry releaseContext = EntryCast<ReleaseContextEntry>(GetProcAddress(imm, "ImmReleaseContext"));
    ASSERT_TRUE(getContext && releaseContext);

    EXPECT_NE(HostState.SavedImeContext, nullptr);
    EXPECT_EQ(getContext(Window), nullptr);
    // WM_DESTROY gives the window its context back (and asks the loop to end).
    Send(WM_DESTROY, 0, 0);
    HIMC restored = getContext(Window);
    EXPECT_EQ(restored, HostState.SavedImeContext);
    releaseContext(Window, restored);
}

TEST_F(HostWindowProc, CloseWithoutPasswordEndsTheWindow)
{
    Send(WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(Window));
    ASSERT_GE(Recording.Messages.size(), 2u);
    EXPECT_EQ(static_cast<UINT>(WM_CLOSE), Recording.Messages[0].Message);
    EXPECT_EQ(static_cast<UINT>(WM_DESTROY), Recording.Messages[1].Message);
    MSG quit;
    EXPECT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_NOREMOVE | PM_NOYIELD));
    Window = nullptr;
}

TEST_F(HostWindowProc, CloseGoesThroughThePasswordGate)
{
    HostState.PasswordPlatform = 1;
    HostState.VerifierEntry = ScriptedVerifier;
    HostState.LastVerifyTick = GetTickCount() - 1000;
    POINT now = {};
    GetCursorPos(&now);

    // Refused: the window stays, the two pending ticks are gone before the
    // check runs, and the cursor reference is read again.
    Verifier = VerifierScript();
    HostState.SavedCursorPos = {now.x + 100, now.y + 100};
    for (int i = 0; i < 3; ++i) {
        PostMessageA(Window, WM_TIMER, 1, 0);
    }
    EXPECT_EQ(0, Send(WM_CLOSE, 0, 0));
    EXPECT_TRUE(SequenceIs({{WM_CLOSE, 0, 0}, {ScreenSaverVerifyMessage, 0, 0}}));
    EXPECT_TRUE(IsWindow(Window));
    EXPECT_EQ(1, Verifier.Calls);
    EXPECT_EQ(1, Verifier.TimersLeft);
    EXPECT_EQ(0, HostState.Closing);
    EXPECT_EQ(0, HostState.Verifying);
    EXPECT_EQ(now.x, HostState.SavedCursorPos.x);
    EXPECT_EQ(now.y, HostState.SavedCursorPos.y);

    // Within 200 ms of that check another close is refused without asking.
    EXPECT_EQ(0, Send(WM_CLOSE, 0, 0));
    EXPECT_EQ(1, Verifier.Calls);
    EXPECT_TRUE(IsWindow(Window));

    // A close arriving while the check is up is refused on the spot.
    HostState.LastVerifyTick = GetTickCount() - 1000;
    Verifier = VerifierScript();
    Verifier.NestedClose = true;
    Send(WM_CLOSE, 0, 0);
    EXPECT_EQ(1, Verifier.Calls);
    EXPECT_EQ(0, Verifier.NestedResult);
    EXPECT_TRUE(IsWindow(Window));

    // Granted: the host is closing and the window ends.
    HostState.LastVerifyTick = GetTickCount() - 1000;
    Verifier = VerifierScript();
    Verifier.Answer = TRUE;
    Send(WM_CLOSE, 0, 0);
    EXPECT_EQ(1, Verifier.Calls);
    EXPECT_EQ(1, HostState.Closing);
    EXPECT_FALSE(IsWindow(Window));
    Window = nullptr;
}

// A fault inside a mode (here in the saver's dialog-class hook) must end the
// mode with the fault's code instead of taking the process down.
TEST(HostWindowProcFaultGuard, FaultInAHookEndsTheModeWithItsCode)
{
    const HostRecord saved = HostState;
    Recording.RegisterCalls = 0;
    Recording.RegisterFaults = false;
    // Without the fault the hook's refusal skips the dialog.
    EXPECT_EQ(0, ScreenSaverMain(GetModuleHandleA(nullptr), "/c"));
    EXPECT_EQ(1, Recording.RegisterCalls);

    Recording.RegisterFaults = true;
    const int result = ScreenSaverMain(GetModuleHandleA(nullptr), "/c");
    Recording.RegisterFaults = false;
    EXPECT_EQ(static_cast<int>(EXCEPTION_ACCESS_VIOLATION), result);
    EXPECT_EQ(2, Recording.RegisterCalls);

    // The guard is left in place for the next mode.
    Recording.RegisterFaults = true;
    EXPECT_EQ(static_cast<int>(EXCEPTION_ACCESS_VIOLATION), ScreenSaverMain(GetModuleHandleA(nullptr), "/c"));
    Recording.RegisterFaults = false;
    EXPECT_EQ(3, Recording.RegisterCalls);
    HostState = saved;
}

}
