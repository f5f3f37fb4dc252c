// The real window under Wine checked against the design in pixels at 96 DPI,
// written out here. real-clicks.sh drives it with real X events.
#include <FileSystem.h>
#include <LineFile.h>
#include <HQ.h>
#include <ShownText.h>
#include <TempDir.h>
#include <WideText.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <limits>
#include <thread>

using namespace win32ui;

namespace {

// The lock a test holds as another program would, let go when the window
// answers WM_NULL; and the cursor it answered with.
std::unique_ptr<logbook::File> heldLock;
WNDPROC windowProcBefore;
std::string answers;
LRESULT CALLBACK answeringProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NULL) {
        answers += ::GetCursor() == ::LoadCursorW(nullptr, IDC_WAIT) ? "wait cursor;" : "other cursor;";
        heldLock.reset();
        if (HWND box = ::FindWindowW(L"#32770", nullptr)) // a failed Save's message: the test goes on
            ::PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    return ::CallWindowProcW(windowProcBefore, hwnd, message, wParam, lParam);
}

// Closes the window once the reason combo box holds every item, or after ten
// seconds of the event loop without.
HWND closeWhenFilled;
LRESULT reasonsSeen;
int ticks;
void CALLBACK closeOnceFilled(HWND, UINT, UINT_PTR, DWORD)
{
    HWND reason = ::GetDlgItem(::GetDlgItem(closeWhenFilled, kFirstControlId + int(entry::Control::Frame1)),
                               kFirstControlId + int(entry::Control::Text2));
    reasonsSeen = ::SendMessageW(reason, CB_GETCOUNT, 0, 0);
    if (reasonsSeen == 1200 || ++ticks == 200)
        ::PostMessageW(closeWhenFilled, WM_CLOSE, 0, 0);
}

class Window : public ::testing::Test {
protected:
    testing_support::TempDir dir;
    std::unique_ptr<HQ> hq;
    HWND main = nullptr;

    void open()
    {
        ASSERT_EQ(::GetACP(), 1252u) << "the tests expect Windows-1252 as the ANSI code page";
        hq = std::make_unique<HQ>(::GetModuleHandleW(nullptr), dir.str());
        ASSERT_TRUE(hq->load());
        hq->show(SW_SHOWNORMAL);
        main = ::FindWindowW(kWindowClass, nullptr);
        pump();
    }
    void pump()
    {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE))
            hq->process(message);
    }
    // A control by its name in the form table; `edit` for a combo box's edit field.
    HWND c(std::string_view name, bool edit = false) const
    {
        for (std::size_t row = 0; row < entry::kControlCount; ++row) {
            if (entry::kControls[row].name != name)
                continue;
            HWND control = ::GetDlgItem(entry::kControls[row].inFrame ? c("Frame1") : main, kFirstControlId + int(row));
            return edit ? ::GetWindow(control, GW_CHILD) : control;
        }
        return nullptr;
    }
    void click(std::string_view name)
    {
        ::SendMessageW(c(name), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
        ::SendMessageW(c(name), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
        pump();
    }
    void key(HWND target, UINT key)
    {
        ::PostMessageW(target, WM_KEYDOWN, key, 1);
        ::PostMessageW(target, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
        pump();
    }
    COLORREF pixelAt(HWND control, POINT at)
    {
        ::RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        ::ClientToScreen(control, &at);
        HDC screen = ::GetDC(nullptr);
        const COLORREF colour = ::GetPixel(screen, at.x, at.y);
        ::ReleaseDC(nullptr, screen);
        return colour;
    }
};

} // namespace

// Run again by high-dpi.sh at 144 DPI, where places follow the form table's twips.
TEST_F(Window, EveryControlAsDesigned)
{
    open();
    HDC screen = ::GetDC(nullptr);
    const int dpiX = ::GetDeviceCaps(screen, LOGPIXELSX), dpiY = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    const char* wanted = std::getenv("TOLMARIN_TEST_DPI");
    ASSERT_EQ(dpiX, wanted ? std::atoi(wanted) : 96);
    RECT client;
    ::GetClientRect(main, &client);
    EXPECT_EQ(std::make_pair(client.right, client.bottom), dpiX == 96 ? std::pair(588L, 523L) : std::pair(882L, 785L));
    EXPECT_EQ(windowText(main), L"Tolmarin");
    click("Label1"); // shows CLyS

    const struct {
        const char* name;
        entry::PixelRect at; // in the parent: the window, or Frame1 for the three inputs
        const wchar_t* caption;
        bool fixedPitch;
        POINT sample;
        COLORREF background;
    } design[] = {
        {"MLyS", {4, 20, 581, 434}, L"", true, {500, 300}, ::GetSysColor(COLOR_WINDOW)},
        {"LaB(0)", {4, 4, 85, 16}, L"DATE", true, {80, 8}, RGB(0, 128, 0)},
        {"LaB(1)", {96, 4, 113, 16}, L"BRANCH", true, {108, 8}, RGB(0, 128, 0)},
        {"BaRc(0)", {88, 4, 9, 497}, L"", false, {4, 200}, RGB(0, 128, 128)},
        {"LaB(2)", {216, 4, 351, 16}, L"REASON", true, {348, 8}, RGB(0, 128, 0)},
        {"BaRc(1)", {208, 4, 9, 497}, L"", false, {4, 480}, RGB(0, 128, 128)},
        {"CLyS", {288, 56, 113, 381}, L"", false, {60, 300}, RGB(192, 192, 255)},
        {"Frame1", {0, 456, 585, 45}, L"Add", false, {300, 42}, RGB(128, 64, 0)},
        {"Label1", {2, 16, 88, 20}, L"DATE", true, {80, 10}, RGB(128, 64, 0)},
        {"Command1", {420, 504, 61, 17}, L"Save", false, {5, 8}, RGB(147, 208, 221)},
        {"Text1", {96, 16, 121, 21}, L"", false, {}, CLR_INVALID},
        {"Text2", {216, 16, 365, 21}, L"", false, {}, CLR_INVALID},
    };
    for (std::size_t row = 0; row < std::size(design); ++row) {
        const auto& want = design[row];
        SCOPED_TRACE(want.name);
        HWND control = c(want.name);
        RECT rect;
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
        const entry::PixelRect got{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
        EXPECT_EQ(got, dpiX == 96 ? want.at : entry::toPixels(entry::kControls[row].twips, dpiX, dpiY));
        EXPECT_EQ(windowText(control), want.caption);
        EXPECT_TRUE(::IsWindowVisible(control));
        if (want.background != CLR_INVALID && dpiX == 96) {
            EXPECT_EQ(pixelAt(control, want.sample), want.background);
        }
        LOGFONTW font{};
        ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
        EXPECT_EQ(font.lfWeight, FW_BOLD);
        EXPECT_STREQ(font.lfFaceName, want.fixedPitch ? L"Courier New" : L"MS Sans Serif");
        EXPECT_EQ(-font.lfHeight, ::MulDiv(want.fixedPitch ? 900 : 825, dpiY, 7200));
    }
    EXPECT_EQ(pixelAt(c("Text2", true), {20, 5}), RGB(255, 255, 192));
}

TEST_F(Window, StackingAndTabOrder)
{
    open();
    std::vector<std::string_view> order;
    for (HWND child = ::GetWindow(main, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        order.push_back(entry::kControls[::GetDlgCtrlID(child) - kFirstControlId].name);
    EXPECT_EQ(order, (std::vector<std::string_view>{"Command1", "BaRc(1)", "BaRc(0)", "Frame1", "CLyS", "MLyS",
                                                    "LaB(0)", "LaB(1)", "LaB(2)"})); // topmost first
    ASSERT_EQ(::GetFocus(), c("MLyS"));
    for (const char* next : {"BaRc(0)", "BaRc(1)", "Command1", "Text1", "Text2", "MLyS"}) {
        key(::GetFocus(), VK_TAB);
        EXPECT_TRUE(::GetFocus() == c(next) || ::GetFocus() == c(next, true)) << next;
    }
    click("Label1");
    ::SetFocus(c("BaRc(1)"));
    key(::GetFocus(), VK_TAB);
    EXPECT_EQ(::GetFocus(), c("CLyS"));
}

// A list box chooses on release; a press refills the list when the keyboard
// chooses meanwhile. Dragging on and releasing must not choose a month.
TEST_F(Window, APressBeganBeforeARefillPicksNothingFromTheNewItems)
{
    open();
    click("Label1");
    HWND picker = c("CLyS");
    const auto rowHeight = static_cast<int>(::SendMessageW(picker, LB_GETITEMHEIGHT, 0, 0));
    auto row = [&](int index) { return MAKELPARAM(20, index * rowHeight + rowHeight / 2); };
    auto state = [&] {
        return std::to_string(::SendMessageW(picker, LB_GETCOUNT, 0, 0)) + " items, selected "
             + std::to_string(::SendMessageW(picker, LB_GETCURSEL, 0, 0)) + ", " + toUtf8(windowText(c("Label1")));
    };
    ::SendMessageW(picker, WM_LBUTTONDOWN, MK_LBUTTON, row(6));
    ::SendMessageW(picker, WM_KEYDOWN, VK_DOWN, 1); // "08": the months come
    ::SendMessageW(picker, WM_MOUSEMOVE, MK_LBUTTON, row(3));
    ::SendMessageW(picker, WM_LBUTTONUP, 0, row(3));
    pump();
    EXPECT_EQ(state(), "12 items, selected -1, DATE");
    click("CLyS"); // the next press picks as usual
    EXPECT_EQ(state(), "5 items, selected -1, DATE");
}

// Rows are drawn by the rule both front ends share: a NUL is a visible
// character that ends nothing, and a 50 MB line looks like its start.
TEST_F(Window, RowsShowANulAndTheStartOfAHugeLine)
{
    std::string huge = "The start of a line from another program. ";
    huge.resize(50'000'000, '#');
    dir.write("TOLM.LyS", std::string("focus\r\nab\0cd\r\nabXcd\r\nab cd\r\n", 28) + huge.substr(0, 100) + "\r\n" + huge);
    open();
    HWND list = c("MLyS");
    const int height = static_cast<int>(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    HDC dc = ::GetDC(list);
    ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(list, WM_GETFONT, 0, 0)));
    TEXTMETRICW font{};
    ::GetTextMetricsW(dc, &font);
    const auto cells = [&](int row, int first, int last) { // the pixels of those character cells
        std::vector<COLORREF> pixels;
        for (int y = row * height; y < (row + 1) * height; ++y) {
            for (int x = 1 + first * font.tmAveCharWidth; x < 1 + last * font.tmAveCharWidth; ++x)
                pixels.push_back(::GetPixel(dc, x, y));
        }
        return pixels;
    };
    EXPECT_EQ(cells(1, 3, 5), cells(2, 3, 5)); // "cd" in its place
    EXPECT_NE(cells(1, 2, 3), cells(3, 2, 3)); // not a blank
    EXPECT_EQ(cells(4, 0, 80), cells(5, 0, 80));
    ::ReleaseDC(list, dc);
}

// The widest loaded line scrolls into view to its end: its last character is
// drawn whole, as wide as at the start of a row, and clear of the right edge
// as the rows are of the left one.
TEST_F(Window, TheWidestLoadedLineScrollsIntoViewToItsLastCharacter)
{
    dir.write("TOLM.LyS", "#\r\n" + std::string(149, ' ') + "#\r\n" + std::string(100, ' ') + "\r\n");
    open();
    HWND list = c("MLyS");
    ::SetFocus(c("Text1")); // no focus rectangle around the first row
    RECT client;
    ::GetClientRect(list, &client);
    const int height = static_cast<int>(::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0));
    const auto inked = [&](int row) { // the first and last column unlike the blank third row (the bars lie over all)
        ::UpdateWindow(list);
        HDC dc = ::GetDC(list);
        std::pair<int, int> columns{client.right, -1};
        for (int x = 0; x < client.right; ++x) {
            for (int y = row * height; y < (row + 1) * height; ++y) {
                if (::GetPixel(dc, x, y) != ::GetPixel(dc, x, 2 * height + y % height))
                    columns = {std::min(columns.first, x), x};
            }
        }
        ::ReleaseDC(list, dc);
        return columns;
    };
    const auto [first, last] = inked(0);
    ASSERT_LT(first, last); // the "#" at the start of the first row is seen
    ::SendMessageW(list, WM_HSCROLL, SB_RIGHT, 0);
    const auto [from, to] = inked(1);
    EXPECT_EQ(to - from, last - first);
    EXPECT_LT(to, client.right - 1);
}

// The entry list holds only the count of its rows, as many as a file may have
// lines; a Save adds one row, neither selected nor scrolled to.
TEST_F(Window, TheEntryListNumbersItsRowsAndASaveAddsOneInPlace)
{
    std::string log;
    for (int i = 0; i < 100; ++i)
        log += i == 40 ? "\xC3\x9C from Linux\r\n" : "01 Jan 2016  Main             Audit                         \r\n";
    dir.write("TOLM.LyS", log);
    open();
    HWND list = c("MLyS");
    EXPECT_EQ(::GetWindowLongPtrW(list, GWL_STYLE) & (LBS_NODATA | LBS_HASSTRINGS), LBS_NODATA);
    ::SendMessageW(list, LB_SETTOPINDEX, 10, 0);
    ::SetWindowTextW(c("Label1"), L"07 Mar 2016");
    ::SetWindowTextW(c("Text1"), L"Main");
    ::SetWindowTextW(c("Text2"), L"Audit");
    click("Command1");
    auto state = [&] {
        return std::to_string(::SendMessageW(list, LB_GETCOUNT, 0, 0)) + " rows, selected "
             + std::to_string(::SendMessageW(list, LB_GETCURSEL, 0, 0)) + ", top "
             + std::to_string(::SendMessageW(list, LB_GETTOPINDEX, 0, 0));
    };
    EXPECT_EQ(state(), "101 rows, selected -1, top 10");
    ::SetFocus(list);
    ::SendMessageW(list, WM_CHAR, L'\xFC', 1); // the keyboard's search, case aside
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 40);
    ::SendMessageW(list, WM_CHAR, L'0', 1);
    EXPECT_EQ(::SendMessageW(list, LB_GETCURSEL, 0, 0), 41);
    ::SendMessageW(list, LB_SETCOUNT, logbook::kMostLines, 0);
    ::SendMessageW(list, LB_SETTOPINDEX, logbook::kMostLines - 1, 0);
    ::UpdateWindow(list);
    RECT client;
    ::GetClientRect(list, &client);
    const auto lastPage = logbook::kMostLines - client.bottom / ::SendMessageW(list, LB_GETITEMHEIGHT, 0, 0);
    EXPECT_EQ(state(), std::to_string(logbook::kMostLines) + " rows, selected 41, top " + std::to_string(lastPage));
}

// The combo boxes get their items after the window shows: while the event
// loop is idle, or all at once when the focus comes or a new one is added.
class ComboBoxes : public Window {
protected:
    void SetUp() override
    {
        std::string lines;
        for (int i = 0; i < 1200; ++i)
            lines += "Item " + std::to_string(i) + "\r\n";
        dir.write("Branch.LyS", lines);
        dir.write("Reason.LyS", lines);
        open();
    }
};

TEST_F(ComboBoxes, GetTheirItemsWithTheFocusOrBeforeANewOne)
{
    HWND branch = c("Text1"), reason = c("Text2");
    ::SetFocus(reason);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ::GetComboBoxInfo(reason, &info);
    SCROLLINFO scroll{};
    scroll.cbSize = sizeof scroll;
    scroll.fMask = SIF_RANGE;
    ::GetScrollInfo(info.hwndList, SB_VERT, &scroll); // the list's scroll bar covers them all
    EXPECT_EQ(std::to_string(::SendMessageW(reason, CB_GETCOUNT, 0, 0)) + ", " + std::to_string(scroll.nMax), "1200, 1199");
    ::SetWindowTextW(c("Label1"), L"07 Mar 2016");
    ::SetWindowTextW(branch, L"New");
    ::SetWindowTextW(reason, L"Item 5");
    click("Command1");
    wchar_t first[16] = {}, last[16] = {};
    ::SendMessageW(branch, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first));
    ::SendMessageW(branch, CB_GETLBTEXT, 1200, reinterpret_cast<LPARAM>(last));
    EXPECT_EQ(std::wstring(first) + L", " + last + L", " + std::to_wstring(::SendMessageW(branch, CB_GETCOUNT, 0, 0)),
              L"Item 0, New, 1201");
}

TEST_F(ComboBoxes, GetTheirItemsWhileTheWindowIsIdle)
{
    closeWhenFilled = main;
    const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &closeOnceFilled);
    EXPECT_EQ(hq->run(), 0);
    ::KillTimer(nullptr, timer);
    EXPECT_EQ(reasonsSeen, 1200);
}

// Past the count where count × 4097 wraps a size_t (1,048,321 lines on 32-bit
// Windows) the file's size still bounds the hint, and an LPARAM carries it.
TEST(ListStorage, HintNeitherWrapsNorExceedsItsParameter)
{
    const std::size_t perItem = entry::kShownCharacters + 1, pastWrap = SIZE_MAX / perItem + 1;
    EXPECT_EQ(listStorageHint(pastWrap, 1'000'000), 2'000'000);
    EXPECT_EQ(listStorageHint(pastWrap, SIZE_MAX), std::numeric_limits<LPARAM>::max());
    EXPECT_EQ(listStorageHint(3, 1'000'000), 3 * perItem * 2);
}

// A branch the Linux program stored in UTF-8 and a reason stored here in
// Windows-1252 are both known when typed: not learned again, nor rewritten.
TEST_F(Window, TypedTextIsKnownFromUtf8AndAnsiLines)
{
    dir.write("Branch.LyS", "Stra\xC3\x9F" "e\r\n");
    dir.write("Reason.LyS", "Caf\xE9\r\n");
    open();
    ::SetWindowTextW(c("Label1"), L"07 Mar 2016");
    ::SetWindowTextW(c("Text1"), L"Straße");
    ::SetWindowTextW(c("Text2"), L"Café");
    click("Command1");
    EXPECT_EQ(dir.read("TOLM.LyS"), "07 Mar 2016  Stra\xDF" "e           Caf\xE9                          \r\n");
    EXPECT_EQ(dir.read("Branch.LyS") + dir.read("Reason.LyS"), "Stra\xC3\x9F" "e\r\nCaf\xE9\r\n");
}

// A Save waiting for a lock held elsewhere (another handle, on Windows) answers
// sent messages, so that it is never taken for hung, but runs no handler for
// them and closes only after; it saves once the lock is free, and the wait
// cursor goes.
TEST_F(Window, ASaveWaitingForALockAnswersButRunsNoHandler)
{
    open();
    bool created = false;
    using logbook::Access;
    ASSERT_EQ(logbook::platformFileSystem().open(dir.file("TOLM.LyS"), Access::ReadAppend, heldLock, created), 0);
    ASSERT_EQ(heldLock->tryLock(), 0);
    ::SetWindowTextW(c("Label1"), L"07 Mar 2016");
    ::SetWindowTextW(c("Text1"), L"Main");
    ::SetWindowTextW(c("Text2"), L"Audit");
    windowProcBefore = reinterpret_cast<WNDPROC>(
        ::SetWindowLongPtrW(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&answeringProc)));
    std::thread([&] { // queued before the Save: only a thread taking messages answers them
        ::SendNotifyMessageW(main, WM_COMMAND, MAKEWPARAM(::GetDlgCtrlID(c("Label1")), STN_CLICKED),
                             reinterpret_cast<LPARAM>(c("Label1")));
        ::SendNotifyMessageW(main, WM_CLOSE, 0, 0);
        ::SendNotifyMessageW(main, WM_NULL, 0, 0);
    }).join();
    ::SendMessageW(c("Command1"), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(3, 3));
    ::SendMessageW(c("Command1"), WM_LBUTTONUP, 0, MAKELPARAM(3, 3));
    EXPECT_NE(::GetCursor(), ::LoadCursorW(nullptr, IDC_WAIT)); // before any mouse message could set it
    EXPECT_EQ(answers, "wait cursor;");
    EXPECT_TRUE(::IsWindowVisible(main) && !::IsWindowVisible(c("CLyS")));
    EXPECT_EQ(dir.read("TOLM.LyS"), "07 Mar 2016  Main             Audit                         \r\n");
    pump(); // the window closes only now
    EXPECT_FALSE(::IsWindow(main));
}

TEST(LoadingWindow, NamesTheFileAndHowFarUntilDoneOrClosed)
{
    Win32Platform platform;
    const std::string path = "C:\\logs\\TOLM.LyS";
    ASSERT_TRUE(platform.showLoading(path, 1, 4));
    HWND loading = ::FindWindowW(L"TolmarinLoading", nullptr);
    ASSERT_TRUE(loading && ::IsWindowVisible(loading));
    EXPECT_EQ(windowText(::GetWindow(loading, GW_CHILD)), L"Loading C:\\logs\\TOLM.LyS\r\n25%");
    EXPECT_TRUE(platform.showLoading(path, 3, 4));
    EXPECT_EQ(windowText(::GetWindow(loading, GW_CHILD)), L"Loading C:\\logs\\TOLM.LyS\r\n75%");
    platform.loadingDone();
    EXPECT_FALSE(::IsWindow(loading));

    // Closed by the user: the read is given up, and stays so.
    Win32Platform closing;
    ASSERT_TRUE(closing.showLoading(path, 0, 4));
    ::PostMessageW(::FindWindowW(L"TolmarinLoading", nullptr), WM_CLOSE, 0, 0);
    EXPECT_FALSE(closing.showLoading(path, 2, 4));
    EXPECT_FALSE(::FindWindowW(L"TolmarinLoading", nullptr));
    EXPECT_FALSE(closing.showLoading(path, 3, 4));
    closing.loadingDone();
}
