// The real window under Wine, driven by the messages a user's actions send.

#include "WindowDriver.h"

#include <HQ.h>
#include <SystemErrors.h>
#include <WideText.h>
#include <TempDir.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace win32ui;
using namespace win32_testing;
using testing_support::TempDir;

namespace {

// The entry line of the worked example, and how Windows-1252 stores it.
const std::string kMainAudit = "07 Mar 2016  Main             Audit" + std::string(25, ' ');

class Window : public ::testing::Test {
protected:
    TempDir dir;
    std::unique_ptr<HQ> hq;

    void SetUp() override { ASSERT_EQ(::GetACP(), 1252u) << "the tests expect Windows-1252 as the ANSI code page"; }
    void TearDown() override
    {
        hq.reset();
    }

    void open()
    {
        hq = std::make_unique<HQ>(::GetModuleHandleW(nullptr), dir.str());
        ASSERT_TRUE(hq->load());
        hq->show(SW_SHOWNORMAL);
        pump(*hq);
    }
    HWND c(ControlId id) const { return hq->control(id); }
    HWND editOf(ControlId combo) const
    {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        ::GetComboBoxInfo(c(combo), &info);
        return info.hwndItem;
    }
    void setText(ControlId id, const std::wstring& text) { ::SetWindowTextW(c(id), text.c_str()); }

    // Label1 clicked, then a day, a month and a year clicked in CLyS.
    void pickDate(const std::wstring& day, const std::wstring& month, const std::wstring& year)
    {
        clickCentre(c(Label1));
        for (const std::wstring* choice : {&day, &month, &year}) {
            int index = indexOf(c(CLyS), *choice);
            ASSERT_GE(index, 0) << "no item";
            clickItem(c(CLyS), index);
            pump(*hq);
        }
    }
    // Types into a combo box's edit field with the focus in it.
    void typeInto(ControlId combo, const std::wstring& text)
    {
        ::SetFocus(editOf(combo));
        setText(combo, text);
        pump(*hq);
    }
};

} // namespace

TEST_F(Window, GeometryAt96DpiIsTheTableInPixels)
{
    open();
    ASSERT_EQ(hq->dpiX(), 96);
    ASSERT_EQ(hq->dpiY(), 96);
    RECT client;
    ::GetClientRect(hq->hwnd(), &client);
    EXPECT_EQ(client.right, 588);
    EXPECT_EQ(client.bottom, 523);
    EXPECT_EQ(textOf(hq->hwnd()), L"Tolmarin");

    for (const ControlLayout& layout : kControls) {
        HWND control = c(layout.id);
        HWND parent = ::GetParent(control);
        EXPECT_EQ(parent, layout.inFrame ? c(Frame1) : hq->hwnd()) << layout.name;
        RECT rect;
        ::GetWindowRect(control, &rect);
        ::MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
        const PixelRect want{layout.left / 15, layout.top / 15, layout.width / 15, layout.height / 15};
        const PixelRect got{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
        EXPECT_EQ(got, want) << layout.name << " at " << got.left << "," << got.top << " size " << got.width
                             << "x" << got.height;
    }
    EXPECT_EQ(textOf(c(LaB0)), L"DATE");
    EXPECT_EQ(textOf(c(LaB1)), L"BRANCH");
    EXPECT_EQ(textOf(c(LaB2)), L"REASON");
    EXPECT_EQ(textOf(c(Frame1)), L"Add");
    EXPECT_EQ(textOf(c(Label1)), L"DATE");
    EXPECT_EQ(textOf(c(Command1)), L"Save");
    EXPECT_EQ(textOf(c(Text1)), L"");
    EXPECT_FALSE(::IsWindowVisible(c(CLyS)));
    EXPECT_TRUE(::IsWindowVisible(c(MLyS)));
}

// Run once more by high-dpi.sh in a Wine prefix set to 144 DPI.
TEST_F(Window, GeometryFollowsTheRealDpi)
{
    open();
    if (const char* expected = std::getenv("TOLMARIN_TEST_DPI")) {
        ASSERT_EQ(hq->dpiX(), std::atoi(expected));
    }
    const int dpiX = hq->dpiX(), dpiY = hq->dpiY();
    RECT client;
    ::GetClientRect(hq->hwnd(), &client);
    EXPECT_EQ(client.right, twipsToPixels(kClientWidthTwips, dpiX));
    EXPECT_EQ(client.bottom, twipsToPixels(kClientHeightTwips, dpiY));
    for (const ControlLayout& layout : kControls) {
        RECT rect;
        ::GetWindowRect(c(layout.id), &rect);
        ::MapWindowPoints(nullptr, ::GetParent(c(layout.id)), reinterpret_cast<POINT*>(&rect), 2);
        const PixelRect got{rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
        EXPECT_EQ(got, toPixels(layout, dpiX, dpiY)) << layout.name << " at " << got.left << "," << got.top
                                                     << " size " << got.width << "x" << got.height;
    }
    // The fonts scale with the setting too: 9 points are 12 pixels at 96 DPI.
    HDC dc = ::GetDC(c(MLyS));
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(c(MLyS), WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics;
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(c(MLyS), dc);
    EXPECT_NEAR(metrics.tmHeight - metrics.tmInternalLeading, ::MulDiv(9, dpiY, 72), 1);
}

TEST_F(Window, StackingOrderTopmostFirst)
{
    open();
    std::vector<HWND> order;
    for (HWND child = ::GetWindow(hq->hwnd(), GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT))
        order.push_back(child);
    std::vector<HWND> want;
    for (ControlId id : kStackingOrder)
        want.push_back(c(id));
    EXPECT_EQ(order, want);
}

TEST_F(Window, ColoursOnScreen)
{
    open();
    ::SetFocus(c(MLyS));
    clickCentre(c(Label1)); // shows CLyS
    pump(*hq);
    RECT header;
    ::GetClientRect(c(LaB2), &header);
    EXPECT_EQ(pixelAt(c(LaB2), {header.right - 3, header.bottom / 2}), RGB(0, 128, 0));
    EXPECT_EQ(pixelAt(c(BaRc0), {4, 200}), RGB(0, 128, 128));
    EXPECT_EQ(pixelAt(c(BaRc1), {4, 480}), RGB(0, 128, 128)); // over the frame
    EXPECT_EQ(pixelAt(c(Frame1), {300, 42}), RGB(128, 64, 0));
    EXPECT_EQ(pixelAt(c(Command1), {5, 8}), RGB(147, 208, 221));
    RECT field;
    ::GetClientRect(editOf(Text2), &field);
    EXPECT_EQ(pixelAt(editOf(Text2), {field.right - 3, field.bottom / 2}), RGB(255, 255, 192));
    RECT picker;
    ::GetClientRect(c(CLyS), &picker);
    EXPECT_EQ(pixelAt(c(CLyS), {picker.right - 3, picker.bottom - 3}), RGB(192, 192, 255));
    EXPECT_EQ(pixelAt(c(MLyS), {500, 300}), ::GetSysColor(COLOR_WINDOW));
}

TEST_F(Window, EntryListIsFixedPitchAndItsColumnsStandUnderTheHeaders)
{
    dir.write("TOLM.LyS", kMainAudit + "\r\n");
    open();
    HDC dc = ::GetDC(c(MLyS));
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(c(MLyS), WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics;
    ::GetTextMetricsW(dc, &metrics);
    SIZE branchStart, reasonStart;
    ::GetTextExtentPoint32W(dc, L"07 Mar 2016  ", 13, &branchStart);
    ::GetTextExtentPoint32W(dc, L"07 Mar 2016  Main             ", 30, &reasonStart);
    ::SelectObject(dc, old);
    ::ReleaseDC(c(MLyS), dc);
    EXPECT_FALSE(metrics.tmPitchAndFamily & TMPF_FIXED_PITCH) << "set means variable pitch";
    EXPECT_EQ(metrics.tmWeight, FW_BOLD);

    // Where the list draws its text, in the window's coordinates.
    RECT item;
    ::SendMessageW(c(MLyS), LB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&item));
    ::MapWindowPoints(c(MLyS), hq->hwnd(), reinterpret_cast<POINT*>(&item), 2);
    auto leftOf = [this](ControlId id) {
        RECT rect;
        ::GetWindowRect(c(id), &rect);
        ::MapWindowPoints(nullptr, hq->hwnd(), reinterpret_cast<POINT*>(&rect), 2);
        return rect.left;
    };
    EXPECT_NEAR(item.left + branchStart.cx, leftOf(LaB1), 6);
    EXPECT_NEAR(item.left + reasonStart.cx, leftOf(LaB2), 6);
}

TEST_F(Window, IconIsSixteenBySixteenInSixteenColours)
{
    HMODULE self = ::GetModuleHandleW(nullptr);
    HRSRC group = ::FindResourceW(self, MAKEINTRESOURCEW(kIconId), reinterpret_cast<LPCWSTR>(RT_GROUP_ICON));
    ASSERT_TRUE(group);
#pragma pack(push, 2)
    struct Entry {
        BYTE width, height, colours, reserved;
        WORD planes, bitCount;
        DWORD bytes;
        WORD id;
    };
    struct Directory {
        WORD reserved, type, count;
        Entry entries[1];
    };
#pragma pack(pop)
    const auto* directory = static_cast<const Directory*>(::LockResource(::LoadResource(self, group)));
    ASSERT_EQ(directory->count, 1);
    EXPECT_EQ(directory->entries[0].width, 16);
    EXPECT_EQ(directory->entries[0].height, 16);
    EXPECT_EQ(directory->entries[0].bitCount, 4);

    open();
    EXPECT_TRUE(::GetClassLongPtrW(hq->hwnd(), GCLP_HICONSM));
}

TEST_F(Window, StartUpLoadsTheFilesFromTheAnsiCodePage)
{
    dir.write("TOLM.LyS", kMainAudit + "\r\n31 Feb 2019  Z\xFCrich\r\n");
    dir.write("Branch.LyS", "Main\r\nGen\xE8ve\r\n");
    open();
    EXPECT_EQ(::SendMessageW(c(MLyS), LB_GETCOUNT, 0, 0), 2);
    EXPECT_EQ(itemOf(c(MLyS), 1), L"31 Feb 2019  Zürich");
    EXPECT_EQ(::SendMessageW(c(Text1), CB_GETCOUNT, 0, 0), 2);
    wchar_t item[32] = {};
    ::SendMessageW(c(Text1), CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
    EXPECT_STREQ(item, L"Genève");
    EXPECT_EQ(::SendMessageW(c(Text2), CB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(::SendMessageW(c(MLyS), LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(Window, PickerRunsOnUserSelectionsOnly)
{
    open();
    clickCentre(c(Label1));
    pump(*hq);
    ASSERT_TRUE(::IsWindowVisible(c(CLyS)));
    EXPECT_EQ(::SendMessageW(c(CLyS), LB_GETCOUNT, 0, 0), 31);
    EXPECT_EQ(::SendMessageW(c(CLyS), LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(hq->form().PickStage(), 1);

    clickItem(c(CLyS), indexOf(c(CLyS), L"07"));
    pump(*hq);
    // Refilled with the months and nothing selected: the refill was no choice.
    EXPECT_EQ(hq->form().PickStage(), 2);
    EXPECT_EQ(::SendMessageW(c(CLyS), LB_GETCOUNT, 0, 0), 12);
    EXPECT_EQ(::SendMessageW(c(CLyS), LB_GETCURSEL, 0, 0), LB_ERR);
    EXPECT_EQ(textOf(c(Label1)), L"DATE");

    // A key that moves the selection is a choice too: Down picks January.
    pressKey(*hq, c(CLyS), VK_DOWN);
    EXPECT_EQ(hq->form().PickStage(), 3);
    EXPECT_EQ(itemOf(c(CLyS), 0), L"2016");
    EXPECT_EQ(::SendMessageW(c(CLyS), LB_GETCOUNT, 0, 0), 5);

    clickItem(c(CLyS), indexOf(c(CLyS), L"2020"));
    pump(*hq);
    EXPECT_FALSE(::IsWindowVisible(c(CLyS)));
    EXPECT_EQ(textOf(c(Label1)), L"07 Jan 2020");
    EXPECT_EQ(::GetFocus(), editOf(Text1)) << "after the year the focus goes on to the branch";

    // A new pick starts over; the caption keeps the old date meanwhile.
    pickDate(L"31", L"February", L"2019");
    EXPECT_EQ(textOf(c(Label1)), L"31 Feb 2019");
    clickCentre(c(Label1));
    clickItem(c(CLyS), indexOf(c(CLyS), L"01"));
    clickCentre(c(Label1));
    pump(*hq);
    EXPECT_EQ(::SendMessageW(c(CLyS), LB_GETCOUNT, 0, 0), 31);
    EXPECT_EQ(textOf(c(Label1)), L"31 Feb 2019");
}

TEST_F(Window, CapCutsTheFieldWhenTheFocusLeaves)
{
    open();
    typeInto(Text1, L"ABCDEFGHIJKLMNOPQRST");
    EXPECT_EQ(textOf(c(Text1)), L"ABCDEFGHIJKLMNOPQRST") << "no limit while typing";
    ::SetFocus(editOf(Text2));
    pump(*hq);
    EXPECT_EQ(textOf(c(Text1)), L"ABCDEFGHIJKLMNOP");

    setText(Text2, L"Überprüfung der Bücher");
    ::SetFocus(c(BaRc0)); // a bar takes the focus like any button
    pump(*hq);
    EXPECT_EQ(textOf(c(Text2)), L"Überprüfung der ");
    EXPECT_EQ(::GetFocus(), c(BaRc0));
}

TEST_F(Window, SaveByMouseCapsFirstAndWritesTheAnsiBytes)
{
    open();
    pickDate(L"07", L"March", L"2016");
    typeInto(Text1, L"Zürich");
    // Still in the reason field when Save is clicked: its cap must run first.
    typeInto(Text2, L"Prüfung der Bücher 2016");
    clickCentre(c(Command1));
    pump(*hq);

    const std::string line = "07 Mar 2016  Z\xFCrich           Pr\xFC" "fung der B\xFC" "ch              ";
    ASSERT_EQ(line.size(), 60u);
    EXPECT_EQ(dir.read("TOLM.LyS"), line + "\r\n");
    EXPECT_EQ(dir.read("Branch.LyS"), "Z\xFCrich\r\n");
    EXPECT_EQ(dir.read("Reason.LyS"), "Pr\xFC" "fung der B\xFC" "ch\r\n");
    EXPECT_EQ(itemOf(c(MLyS), 0), L"07 Mar 2016  Zürich           Prüfung der Büch              ");
    EXPECT_EQ(textOf(c(Label1)), L"DATE");
    EXPECT_EQ(textOf(c(Text1)), L"");
    EXPECT_EQ(textOf(c(Text2)), L"");
    EXPECT_EQ(::SendMessageW(c(Text2), CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(::GetFocus(), c(Command1));

    // Known regardless of letter case by the locale's rules: not learned again.
    pickDate(L"08", L"March", L"2016");
    typeInto(Text1, L"ZÜRICH");
    typeInto(Text2, L"prüfung der büch");
    clickCentre(c(Command1));
    pump(*hq);
    EXPECT_EQ(dir.read("Branch.LyS"), "Z\xFCrich\r\n");
    EXPECT_EQ(::SendMessageW(c(Text1), CB_GETCOUNT, 0, 0), 1);
    EXPECT_EQ(::SendMessageW(c(MLyS), LB_GETCOUNT, 0, 0), 2);
}

TEST_F(Window, EnterAndEscapeInAFieldDoNotSave)
{
    open();
    pickDate(L"07", L"March", L"2016");
    typeInto(Text1, L"Main");
    typeInto(Text2, L"Audit");
    for (UINT key : {VK_RETURN, VK_ESCAPE}) {
        ::PostMessageW(editOf(Text2), WM_KEYDOWN, key, 1);
        ::PostMessageW(editOf(Text2), WM_KEYUP, key, 1 | (1u << 30) | (1u << 31));
        pump(*hq);
    }
    EXPECT_EQ(dir.read("TOLM.LyS"), "");
    EXPECT_EQ(textOf(c(Label1)), L"07 Mar 2016");
    EXPECT_TRUE(::IsWindow(hq->hwnd()));
}

TEST_F(Window, PressingABarChangesNothingButTheFocus)
{
    dir.write("TOLM.LyS", kMainAudit + "\r\n");
    open();
    pickDate(L"07", L"March", L"2016");
    typeInto(Text1, L"Main");
    for (ControlId bar : {BaRc0, BaRc1}) {
        clickCentre(c(bar));
        pump(*hq);
        EXPECT_EQ(::GetFocus(), c(bar));
        pressKey(*hq, c(bar), VK_SPACE);
    }
    EXPECT_EQ(dir.read("TOLM.LyS"), kMainAudit + "\r\n");
    EXPECT_EQ(textOf(c(Label1)), L"07 Mar 2016");
    EXPECT_EQ(textOf(c(Text1)), L"Main");
    EXPECT_EQ(::SendMessageW(c(MLyS), LB_GETCOUNT, 0, 0), 1);
}

TEST_F(Window, TabFollowsTheTabIndicesNotTheStacking)
{
    open();
    auto tabFrom = [this](HWND from) {
        ::SetFocus(from);
        MSG tab{::GetFocus(), WM_KEYDOWN, VK_TAB, 1, 0, {}};
        EXPECT_TRUE(hq->handleTabKey(tab));
        HWND focus = ::GetFocus();
        for (const ControlLayout& layout : kControls) {
            if (layout.takesFocus && (focus == c(layout.id) || ::IsChild(c(layout.id), focus)))
                return layout.id;
        }
        return ControlId{};
    };
    EXPECT_EQ(::GetFocus(), c(MLyS)) << "the list has the focus at start";
    EXPECT_EQ(tabFrom(c(MLyS)), BaRc0);
    EXPECT_EQ(tabFrom(c(BaRc0)), BaRc1);
    EXPECT_EQ(tabFrom(c(BaRc1)), Command1); // CLyS hidden
    EXPECT_EQ(tabFrom(c(Command1)), Text1);
    EXPECT_EQ(tabFrom(editOf(Text1)), Text2);
    EXPECT_EQ(tabFrom(editOf(Text2)), MLyS);

    clickCentre(c(Label1));
    pump(*hq);
    EXPECT_EQ(tabFrom(c(BaRc1)), CLyS);
    EXPECT_EQ(tabFrom(c(CLyS)), Command1);
}

TEST_F(Window, SavedLinesGoBelowWithoutScrolling)
{
    std::string log;
    for (int i = 0; i < 100; ++i)
        log += kMainAudit + "\r\n";
    dir.write("TOLM.LyS", log);
    open();
    pickDate(L"01", L"January", L"2020");
    typeInto(Text1, L"Main");
    typeInto(Text2, L"Audit");
    clickCentre(c(Command1));
    pump(*hq);
    EXPECT_EQ(::SendMessageW(c(MLyS), LB_GETCOUNT, 0, 0), 101);
    EXPECT_EQ(::SendMessageW(c(MLyS), LB_GETTOPINDEX, 0, 0), 0);
    EXPECT_EQ(::SendMessageW(c(MLyS), LB_GETCURSEL, 0, 0), LB_ERR);
}

TEST_F(Window, UnstorableCharactersAreNamedAndNothingIsWritten)
{
    open();
    pickDate(L"07", L"March", L"2016");
    // Ω is not in Windows-1252; Ā would quietly become "A" by best fit.
    typeInto(Text1, L"Ωmega Ω");
    typeInto(Text2, L"Āudit");
    std::wstring message = messageBoxDuring([this] {
        clickCentre(c(Command1));
        pump(*hq);
    });
    EXPECT_NE(message.find(L"Ω"), std::wstring::npos) << "message: " << win32ui::toUtf8(message);
    EXPECT_NE(message.find(L"Ā"), std::wstring::npos);
    EXPECT_EQ(message.find(L"ΩΩ"), std::wstring::npos) << "each character once";
    EXPECT_NE(message.find(L"TOLM.LyS"), std::wstring::npos);
    EXPECT_EQ(dir.read("TOLM.LyS"), "");
    EXPECT_EQ(dir.read("Branch.LyS"), "");
    EXPECT_EQ(::SendMessageW(c(MLyS), LB_GETCOUNT, 0, 0), 0);
    EXPECT_EQ(textOf(c(Label1)), L"07 Mar 2016");
    EXPECT_EQ(textOf(c(Text1)), L"Ωmega Ω");
    EXPECT_EQ(textOf(c(Text2)), L"Āudit");
}

TEST_F(Window, FailedSaveIsReportedAndKeepsTheInputs)
{
    open();
    pickDate(L"07", L"March", L"2016");
    typeInto(Text1, L"Main");
    typeInto(Text2, L"Audit");
    // A folder in the log's place: the Save cannot open it.
    std::filesystem::remove(dir.path() / "TOLM.LyS");
    std::filesystem::create_directory(dir.path() / "TOLM.LyS");
    std::wstring message = messageBoxDuring([this] {
        clickCentre(c(Command1));
        pump(*hq);
    });
    EXPECT_NE(message.find(toWide(dir.file("TOLM.LyS"))), std::wstring::npos) << toUtf8(message);
    EXPECT_NE(message.find(toWide(testing_support::systemWording(ERROR_ACCESS_DENIED))), std::wstring::npos);
    EXPECT_EQ(dir.read("TOLM.LyS"), "");
    EXPECT_EQ(textOf(c(Label1)), L"07 Mar 2016");
    EXPECT_EQ(textOf(c(Text1)), L"Main");
    EXPECT_EQ(textOf(c(Text2)), L"Audit");
    EXPECT_TRUE(::IsWindowVisible(hq->hwnd())) << "the program goes on";

    std::filesystem::remove(dir.path() / "TOLM.LyS");
    clickCentre(c(Command1));
    pump(*hq);
    EXPECT_EQ(dir.read("TOLM.LyS"), kMainAudit + "\r\n");
}

TEST_F(Window, StartUpFailureIsReportedAndTheWindowNeverShows)
{
    dir.write("TOLM.LyS", kMainAudit + "\r\n");
    std::filesystem::create_directory(dir.path() / "Branch.LyS");
    hq = std::make_unique<HQ>(::GetModuleHandleW(nullptr), dir.str());
    bool loaded = true;
    std::wstring message = messageBoxDuring([&] { loaded = hq->load(); });
    EXPECT_FALSE(loaded);
    EXPECT_NE(message.find(toWide(dir.file("Branch.LyS"))), std::wstring::npos) << toUtf8(message);
    EXPECT_NE(message.find(toWide(testing_support::systemWording(ERROR_ACCESS_DENIED))), std::wstring::npos);
    EXPECT_FALSE(::IsWindowVisible(hq->hwnd()));
    EXPECT_FALSE(dir.exists("Reason.LyS"));
}

TEST_F(Window, DefaultFontIsBold)
{
    open();
    for (ControlId id : {CLyS, Command1, Text1, Frame1}) {
        HDC dc = ::GetDC(c(id));
        HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(c(id), WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics;
        ::GetTextMetricsW(dc, &metrics);
        wchar_t face[LF_FACESIZE] = {};
        ::GetTextFaceW(dc, LF_FACESIZE, face);
        ::SelectObject(dc, old);
        ::ReleaseDC(c(id), dc);
        EXPECT_EQ(metrics.tmWeight, FW_BOLD) << layoutOf(id).name << " face " << toUtf8(face);
        EXPECT_EQ(std::wstring(face), L"MS Sans Serif");
    }
}
