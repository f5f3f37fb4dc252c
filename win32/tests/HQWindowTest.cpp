// The real window under Wine, driven by the messages a user's actions send,
// and checked against the design in pixels at 96 DPI, written out here.
#include <Examples.h>
#include <HQ.h>
#include <TempDir.h>
#include <WideText.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

using namespace win32ui;
using testing_support::kWorkedExample;

namespace {

std::wstring boxText;

// Runs inside a message box's own modal loop: reads the box and presses OK.
void CALLBACK closeMessageBox(HWND, UINT, UINT_PTR, DWORD)
{
    HWND box = ::FindWindowW(L"#32770", L"Tolmarin");
    for (HWND child = box ? ::GetWindow(box, GW_CHILD) : nullptr; child; child = ::GetWindow(child, GW_HWNDNEXT))
        boxText += windowText(child);
    if (box)
        ::PostMessageW(box, WM_COMMAND, IDOK, 0);
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
    // A control by its name in the form table.
    HWND c(std::string_view name) const
    {
        for (std::size_t row = 0; row < entry::kControlCount; ++row) {
            if (entry::kControls[row].name == name)
                return ::GetDlgItem(entry::kControls[row].inFrame ? c("Frame1") : main,
                                    kFirstControlId + static_cast<int>(row));
        }
        return nullptr;
    }
    HWND editOf(std::string_view combo) const
    {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ::GetComboBoxInfo(c(combo), &info);
        return info.hwndItem;
    }
    std::wstring text(std::string_view name) const { return windowText(c(name)); }
    LRESULT send(std::string_view name, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const
    {
        return ::SendMessageW(c(name), message, wParam, lParam);
    }
    // A click at a point of the control's client area, or at its middle.
    void click(std::string_view name, POINT at = {-1, -1})
    {
        RECT rect;
        ::GetClientRect(c(name), &rect);
        if (at.x < 0)
            at = {rect.right / 2, rect.bottom / 2};
        send(name, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(at.x, at.y));
        send(name, WM_LBUTTONUP, 0, MAKELPARAM(at.x, at.y));
        pump();
    }
    // Typed with the focus in the field.
    void type(std::string_view combo, const std::wstring& typed)
    {
        ::SetFocus(editOf(combo));
        ::SetWindowTextW(c(combo), typed.c_str());
        pump();
    }
    void key(HWND target, UINT key)
    {
        ::PostMessageW(target, WM_KEYDOWN, key, 1);
        ::PostMessageW(target, WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
        pump();
    }
    // The colour on screen at a point of a client area, or inside its bottom right corner.
    COLORREF pixelAt(HWND control, POINT at = {-1, -1})
    {
        ::RedrawWindow(main, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        RECT client;
        ::GetClientRect(control, &client);
        if (at.x < 0)
            at = {client.right - 3, client.bottom - 3};
        ::ClientToScreen(control, &at);
        HDC screen = ::GetDC(nullptr);
        const COLORREF colour = ::GetPixel(screen, at.x, at.y);
        ::ReleaseDC(nullptr, screen);
        return colour;
    }
    // Runs `action`, which should bring up the program's message box; returns its text.
    static std::wstring messageBoxDuring(const std::function<void()>& action)
    {
        boxText.clear();
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 30, &closeMessageBox);
        action();
        ::KillTimer(nullptr, timer);
        return boxText;
    }
};

} // namespace

// Run once more by high-dpi.sh at 144 DPI, where the places follow the form
// table's twips at that setting.
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
    EXPECT_EQ(client.right, dpiX == 96 ? 588 : entry::twipsToPixels(entry::kClientWidthTwips, dpiX));
    EXPECT_EQ(client.bottom, dpiY == 96 ? 523 : entry::twipsToPixels(entry::kClientHeightTwips, dpiY));
    EXPECT_EQ(windowText(main), L"Tolmarin");

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
        {"CLyS", {288, 56, 113, 381}, L"", false, {}, CLR_INVALID},
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
        EXPECT_EQ(::IsWindowVisible(control) != FALSE, std::string_view(want.name) != "CLyS");
        if (want.background != CLR_INVALID && dpiX == 96) {
            EXPECT_EQ(pixelAt(control, want.sample), want.background);
        }
        HDC dc = ::GetDC(control);
        HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
        TEXTMETRICW font;
        ::GetTextMetricsW(dc, &font);
        wchar_t face[LF_FACESIZE] = {};
        ::GetTextFaceW(dc, LF_FACESIZE, face);
        ::SelectObject(dc, old);
        ::ReleaseDC(control, dc);
        EXPECT_EQ(font.tmWeight, FW_BOLD);
        // Set means variable pitch. Wine maps Courier New to another face.
        EXPECT_EQ((font.tmPitchAndFamily & TMPF_FIXED_PITCH) == 0, want.fixedPitch);
        if (want.fixedPitch) { // 9 points
            EXPECT_NEAR(font.tmHeight - font.tmInternalLeading, ::MulDiv(9, dpiY, 72), 1);
        } else {
            EXPECT_STREQ(face, L"MS Sans Serif");
        }
    }
    EXPECT_EQ(pixelAt(editOf("Text2")), RGB(255, 255, 192));
    click("Label1");
    EXPECT_EQ(pixelAt(c("CLyS")), RGB(192, 192, 255));
}

TEST_F(Window, StackingAndTabOrder)
{
    open();
    std::vector<std::string_view> topmostFirst;
    for (HWND child = ::GetWindow(main, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        topmostFirst.push_back(entry::kControls[::GetDlgCtrlID(child) - kFirstControlId].name);
    EXPECT_EQ(topmostFirst, (std::vector<std::string_view>{"Command1", "BaRc(1)", "BaRc(0)", "Frame1", "CLyS", "MLyS",
                                                           "LaB(0)", "LaB(1)", "LaB(2)"}));
    auto focused = [this] {
        for (const char* name : {"MLyS", "BaRc(0)", "BaRc(1)", "CLyS", "Command1", "Text1", "Text2"}) {
            if (::GetFocus() == c(name) || ::IsChild(c(name), ::GetFocus()))
                return std::string(name);
        }
        return std::string("?");
    };
    std::vector<std::string> order{focused()}; // the list has the focus at start
    for (int i = 0; i < 6; ++i) {
        key(::GetFocus(), VK_TAB);
        order.push_back(focused());
    }
    EXPECT_EQ(order, (std::vector<std::string>{"MLyS", "BaRc(0)", "BaRc(1)", "Command1", "Text1", "Text2", "MLyS"}));
    click("Label1");
    ::SetFocus(c("BaRc(1)"));
    key(::GetFocus(), VK_TAB);
    EXPECT_EQ(focused(), "CLyS");
}

TEST_F(Window, PickTypeSaveAndFailures)
{
    std::string log;
    for (int i = 0; i < 100; ++i)
        log += kWorkedExample + "\r\n";
    dir.write("TOLM.LyS", log);
    dir.write("Branch.LyS", "Z\xFCrich\r\n");
    open();
    click("Label1");
    EXPECT_EQ(send("CLyS", LB_GETCURSEL), LB_ERR);
    click("CLyS", {5, 5}); // 01: refilled with the months, and that is no choice
    EXPECT_EQ(send("CLyS", LB_GETCOUNT), 12);
    EXPECT_EQ(send("CLyS", LB_GETCURSEL), LB_ERR);
    key(c("CLyS"), VK_DOWN); // a key that moves the selection chooses January
    EXPECT_EQ(send("CLyS", LB_GETCOUNT), 5);
    key(c("CLyS"), VK_DOWN);
    EXPECT_FALSE(::IsWindowVisible(c("CLyS")));
    EXPECT_EQ(text("Label1"), L"01 Jan 2016");
    EXPECT_EQ(::GetFocus(), editOf("Text1")) << "after the year the focus goes on to the branch";

    type("Text1", L"ZÜRICH"); // known in another case
    type("Text2", L"Prüfung der Bücher 2016");
    for (UINT pressed : {VK_RETURN, VK_ESCAPE}) // neither saves
        key(editOf("Text2"), pressed);
    click("BaRc(1)"); // a bar takes the focus, nothing more
    key(c("BaRc(1)"), VK_SPACE);
    EXPECT_EQ(::GetFocus(), c("BaRc(1)"));
    EXPECT_EQ(dir.read("TOLM.LyS"), log);
    type("Text2", L"Prüfung der Bücher 2016");
    click("Command1"); // the reason field still has the focus: its cap runs first
    EXPECT_EQ(dir.read("TOLM.LyS"), log + "01 Jan 2016  Z\xDCRICH           Pr\xFC" "fung der B\xFC" "ch              \r\n");
    EXPECT_EQ(dir.read("Branch.LyS") + dir.read("Reason.LyS"), "Z\xFCrich\r\nPr\xFC" "fung der B\xFC" "ch\r\n");
    EXPECT_EQ(text("Label1") + text("Text1") + text("Text2"), L"DATE");
    EXPECT_EQ(send("MLyS", LB_GETCOUNT), 101);
    EXPECT_EQ(send("MLyS", LB_GETTOPINDEX), 0);
    EXPECT_EQ(send("MLyS", LB_GETCURSEL), LB_ERR);

    // Ω is not in Windows-1252; Ā would quietly become "A" by best fit.
    click("Label1");
    for (int i = 0; i < 3; ++i)
        click("CLyS", {5, 5}); // 01, January, 2016
    type("Text1", L"Ωmega Ω");
    type("Text2", L"Āudit");
    std::wstring message = messageBoxDuring([this] { click("Command1"); });
    EXPECT_NE(message.find(L"Ω"), std::wstring::npos) << toUtf8(message);
    EXPECT_NE(message.find(L"Ā"), std::wstring::npos);
    EXPECT_EQ(message.find(L"ΩΩ"), std::wstring::npos) << "each character once";
    type("Text1", L"Main");
    type("Text2", L"Audit");
    std::filesystem::rename(dir.path() / "TOLM.LyS", dir.path() / "old");
    std::filesystem::create_directory(dir.path() / "TOLM.LyS"); // cannot be written
    message = messageBoxDuring([this] { click("Command1"); });
    EXPECT_NE(message.find(toWide(dir.file("TOLM.LyS"))), std::wstring::npos) << toUtf8(message);
    EXPECT_EQ(text("Label1") + text("Text1") + text("Text2"), L"01 Jan 2016MainAudit");
    EXPECT_EQ(send("MLyS", LB_GETCOUNT), 101);

    // At start-up: the window never shows.
    hq = std::make_unique<HQ>(::GetModuleHandleW(nullptr), dir.str());
    bool loaded = true;
    message = messageBoxDuring([&] { loaded = hq->load(); });
    EXPECT_FALSE(loaded);
    EXPECT_NE(message.find(L"Tolmarin cannot start.\n\nCannot open file " + toWide(dir.file("TOLM.LyS"))),
              std::wstring::npos) << toUtf8(message);
    EXPECT_FALSE(::IsWindowVisible(::FindWindowW(kWindowClass, nullptr)));
}
