#include "Win32Controls.h"
#include "WideText.h"

#include <FormLayout.h>
#include <ShownText.h>
#include <Text.h>

#include <algorithm>
#include <limits>
#include <new>

namespace win32ui {

namespace {

// An item added to the control, or std::bad_alloc when the control has no
// room for it: the caller then says so instead of losing track of the rows.
void addToControl(HWND control, UINT add, const std::string& chosen)
{
    const LRESULT result = ::SendMessageW(control, add, 0, reinterpret_cast<LPARAM>(toWide(chosen).c_str()));
    if (result < 0) // LB_ERR, LB_ERRSPACE, CB_ERR, CB_ERRSPACE
        throw std::bad_alloc();
}

// Adds one item to both the kept items and the control, or to neither. A
// no-data list takes LB_ADDSTRING as one more row, its text unused.
void addOne(HWND control, UINT add, entry::ListItems& items, const std::string& text, bool noData = false)
{
    items.append(text);
    try {
        if (noData && ::SendMessageW(control, add, 0, 0) < 0)
            throw std::bad_alloc();
        if (!noData)
            addToControl(control, add, items.chosen(items.size() - 1));
    } catch (...) {
        items.removeLast();
        throw;
    }
}

// The text height and character width of the control's font.
TEXTMETRICW fontMetrics(HWND control)
{
    TEXTMETRICW metrics{};
    HDC dc = ::GetDC(control);
    HGDIOBJ old = ::SelectObject(dc, reinterpret_cast<HFONT>(::SendMessageW(control, WM_GETFONT, 0, 0)));
    ::GetTextMetricsW(dc, &metrics);
    ::SelectObject(dc, old);
    ::ReleaseDC(control, dc);
    return metrics;
}

// A row as entry/ShownText.h has it: the characters that can be seen, each
// cell as wide as `cellWidth`, drawn where they stand in the whole row.
void drawShownRow(const DRAWITEMSTRUCT& item, const entry::ListItems& items, int cellWidth, std::size_t visibleCells)
{
    const RECT& rect = item.rcItem;
    std::wstring text;
    std::size_t first = 0;
    if (item.itemID < items.size()) { // -1 in an empty list that has the focus
        const std::string shown = items.shown(item.itemID);
        // A list scrolled to the right moves the rows' rectangle left, or the
        // DC's origin right (Wine): either way this much of the row is out of view.
        POINT origin{};
        ::GetWindowOrgEx(item.hDC, &origin);
        const auto scrolledCells = static_cast<std::size_t>(std::max(0L, origin.x - rect.left) / cellWidth);
        const entry::RowSlice slice = entry::visibleSlice(shown, scrolledCells, visibleCells);
        text = toWide(slice.text);
        first = slice.first;
    }
    // One pixel in, as the system's own list boxes draw.
    ::ExtTextOutW(item.hDC, rect.left + 1 + static_cast<int>(first) * cellWidth, rect.top, ETO_OPAQUE | ETO_CLIPPED,
                  &rect, text.c_str(), static_cast<UINT>(text.size()), nullptr);
    if (item.itemState & ODS_FOCUS)
        ::DrawFocusRect(item.hDC, &rect);
}

} // namespace

LPARAM listStorageHint(std::size_t count, std::size_t bytes)
{
    // By division: count × 4097 wraps a 32-bit size_t past 1,048,320 items.
    constexpr std::size_t perItem = entry::kShownCharacters + 1;
    const std::size_t characters = count > bytes / perItem ? bytes : count * perItem;
    constexpr auto most = static_cast<std::size_t>(std::numeric_limits<LPARAM>::max());
    return static_cast<LPARAM>(characters > most / sizeof(wchar_t) ? most : characters * sizeof(wchar_t));
}

std::wstring windowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Win32ListBox::attach(HWND list)
{
    hwnd_ = list;
    const TEXTMETRICW metrics = fontMetrics(list);
    cellWidth_ = std::max(1, static_cast<int>(metrics.tmAveCharWidth)); // the entry list's font is fixed-pitch
    ::SendMessageW(list, LB_SETITEMHEIGHT, 0, metrics.tmHeight);
    noData_ = (::GetWindowLongPtrW(list, GWL_STYLE) & LBS_NODATA) != 0;
}

void Win32ListBox::clear()
{
    ::SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0);
    items_.clear();
    fitWidth();
}

void Win32ListBox::addItem(const std::string& text)
{
    // LB_ADDSTRING neither selects the item nor scrolls to it.
    addOne(hwnd_, LB_ADDSTRING, items_, text, noData_);
    fitWidth();
}

void Win32ListBox::addItems(logbook::LineList lines)
{
    if (!noData_) { // the date list: a few items
        entry::ListBox::addItems(std::move(lines));
        return;
    }
    // The rows' count in one step, or none of the rows when the control
    // cannot number them all.
    const std::size_t before = items_.size();
    const std::size_t count = before + lines.size();
    if (count > static_cast<std::size_t>(std::numeric_limits<int>::max())
        || ::SendMessageW(hwnd_, LB_SETCOUNT, count, 0) < 0
        || ::SendMessageW(hwnd_, LB_GETCOUNT, 0, 0) != static_cast<LRESULT>(count)) {
        ::SendMessageW(hwnd_, LB_SETCOUNT, before, 0);
        throw std::bad_alloc();
    }
    try {
        items_.appendLines(std::move(lines));
    } catch (...) {
        ::SendMessageW(hwnd_, LB_SETCOUNT, before, 0);
        throw;
    }
    fitWidth();
}

void Win32ListBox::fitWidth()
{
    const auto cells = static_cast<int>(items_.widestCells());
    ::SendMessageW(hwnd_, LB_SETHORIZONTALEXTENT, cells == 0 ? 0 : cells * cellWidth_ + 2, 0);
}

void Win32ListBox::drawRow(const DRAWITEMSTRUCT& item) const
{
    RECT client;
    ::GetClientRect(hwnd_, &client);
    drawShownRow(item, items_, cellWidth_, static_cast<std::size_t>(client.right / cellWidth_ + 1));
}

LRESULT Win32ListBox::rowStartingWith(wchar_t typed) const
{
    const std::size_t count = items_.size();
    const LRESULT caret = ::SendMessageW(hwnd_, LB_GETCARETINDEX, 0, 0);
    const std::size_t after = caret < 0 ? count - 1 : static_cast<std::size_t>(caret);
    const auto lower = [](unsigned c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    for (std::size_t step = 1; step <= count; ++step) {
        const std::size_t row = (after + step) % count;
        // An ASCII start is the same in every encoding: most rows need no decoding.
        const std::string_view stored = items_.bytes(row);
        const unsigned lead = stored.empty() ? 0 : static_cast<unsigned char>(stored[0]);
        if (typed < 0x80 && lead > 0 && lead < 0x80) {
            if (lower(lead) == lower(typed))
                return static_cast<LRESULT>(row);
            continue;
        }
        const std::wstring first = toWide(logbook::leftCharacters(items_.shown(row), 1));
        if (::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, first.c_str(), static_cast<int>(first.size()),
                             &typed, 1) == CSTR_EQUAL)
            return static_cast<LRESULT>(row);
    }
    return -2; // no such row: the list does nothing more
}

std::string Win32ListBox::selectedText() const
{
    const LRESULT index = ::SendMessageW(hwnd_, LB_GETCURSEL, 0, 0);
    if (index < 0 || static_cast<std::size_t>(index) >= items_.size())
        return {};
    return items_.text(static_cast<std::size_t>(index));
}

void Win32ListBox::setVisible(bool visible) { ::ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }

bool Win32ListBox::hasFocus() const { return ::GetFocus() == hwnd_; }

void Win32ComboBox::attach(HWND combo)
{
    hwnd_ = combo;
    ::SendMessageW(combo, CB_SETITEMHEIGHT, 0, fontMetrics(combo).tmHeight);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ::GetComboBoxInfo(combo, &info);
    list_ = info.hwndList;
}

void Win32ComboBox::drawRow(const DRAWITEMSTRUCT& item) const
{
    // No character is narrower than a pixel: a row never shows more
    // characters than it is pixels wide.
    drawShownRow(item, items_, 1, static_cast<std::size_t>(item.rcItem.right - item.rcItem.left));
}

std::string Win32ComboBox::editText() const { return toUtf8(windowText(hwnd_)); }

void Win32ComboBox::setEditText(const std::string& text)
{
    ::SetWindowTextW(hwnd_, toWide(text).c_str());
}

void Win32ComboBox::addItem(const std::string& text)
{
    fillAll();
    addOne(hwnd_, CB_ADDSTRING, items_, text);
    ++filled_;
}

void Win32ComboBox::addItems(logbook::LineList lines)
{
    if (lines.empty()) // no last item would switch the drawing on again
        return;
    // Until the list has every item it neither draws nor sets its scroll bar
    // (which would cost more than the item itself), though it is hidden.
    ::SendMessageW(list_, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(hwnd_, CB_INITSTORAGE, lines.size(), listStorageHint(lines.size(), lines.byteSize()));
    items_.appendLines(std::move(lines));
}

void Win32ComboBox::fill(std::size_t most)
{
    if (filled_ == items_.size())
        return;
    for (const std::size_t end = std::min(items_.size(), filled_ + most); filled_ < end; ++filled_)
        addToControl(hwnd_, CB_ADDSTRING, items_.chosen(filled_));
    if (filled_ == items_.size())
        ::SendMessageW(list_, WM_SETREDRAW, TRUE, 0);
}

bool Win32ComboBox::fillStep()
{
    // A few milliseconds' work: input waits no longer than that.
    fill(500);
    return filled_ < items_.size();
}

void Win32ComboBox::fillAll() { fill(items_.size()); }

std::size_t Win32ComboBox::count() const { return items_.size(); }

std::string Win32ComboBox::itemText(std::size_t index) const { return index < items_.size() ? items_.text(index) : ""; }

void Win32ComboBox::setFocus() { ::SetFocus(hwnd_); } // the combo box hands it to its edit field

std::string Win32Label::caption() const { return toUtf8(windowText(hwnd_)); }

void Win32Label::setCaption(const std::string& caption)
{
    ::SetWindowTextW(hwnd_, toWide(caption).c_str());
}

std::string Win32Platform::toUpper(std::string_view text) const
{
    const std::wstring wide = toWide(text);
    if (wide.empty())
        return {};
    // The locale's own rules (a Turkish "i" becomes "İ"), one character to one.
    const DWORD flags = LCMAP_UPPERCASE | LCMAP_LINGUISTIC_CASING;
    int length = ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, wide.data(), static_cast<int>(wide.size()), nullptr,
                                 0, nullptr, nullptr, 0);
    std::wstring upper(static_cast<std::size_t>(length), L'\0');
    ::LCMapStringEx(LOCALE_NAME_USER_DEFAULT, flags, wide.data(), static_cast<int>(wide.size()), upper.data(), length,
                    nullptr, nullptr, 0);
    return toUtf8(upper);
}

void Win32Platform::showError(const std::string& message) { showMessage(owner_, message); }

void Win32Platform::waitBusy(std::chrono::milliseconds interval)
{
    if (!waiting_) {
        waiting_ = true;
        cursorBefore_ = ::SetCursor(::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_WAIT)));
        if (!cursorBefore_) // none yet: restoring none would hide the pointer
            cursorBefore_ = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    }
    // Sent messages are answered inside PeekMessage; of the queue only the
    // paints are taken, so clicks and keys wait for the Save to end.
    const ULONGLONG end = ::GetTickCount64() + static_cast<ULONGLONG>(interval.count());
    for (;;) {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT))
            ::DispatchMessageW(&message);
        const ULONGLONG now = ::GetTickCount64();
        if (now >= end)
            break;
        ::MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_PAINT | QS_SENDMESSAGE);
    }
}

void Win32Platform::waitDone()
{
    if (!waiting_)
        return;
    waiting_ = false;
    ::SetCursor(cursorBefore_);
}

namespace {

LRESULT CALLBACK loadingProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE) { // the user gives the start-up up
        if (auto* closed = reinterpret_cast<bool*>(::GetWindowLongPtrW(window, GWLP_USERDATA)))
            *closed = true;
        ::DestroyWindow(window);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

bool Win32Platform::showLoading(const std::string& path, std::uint64_t done, std::uint64_t total)
{
    if (loadingClosed_)
        return false;
    if (!loading_) {
        const HINSTANCE instance = ::GetModuleHandleW(nullptr);
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = loadingProc;
        windowClass.hInstance = instance;
        windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = L"TolmarinLoading";
        ::RegisterClassExW(&windowClass); // once; again it fails harmlessly
        loading_ = ::CreateWindowExW(0, windowClass.lpszClassName, toWide(entry::kWindowCaption).c_str(),
                                     WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_VISIBLE, CW_USEDEFAULT, CW_USEDEFAULT,
                                     480, 120, nullptr, nullptr, instance, nullptr);
        if (loading_) {
            ::SetWindowLongPtrW(loading_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&loadingClosed_));
            loadingText_ = ::CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_LEFT, 12, 12, 440, 60, loading_,
                                             nullptr, instance, nullptr);
            ::SendMessageW(loadingText_, WM_SETFONT, reinterpret_cast<WPARAM>(::GetStockObject(DEFAULT_GUI_FONT)), FALSE);
        }
    }
    const std::uint64_t percent = total == 0 ? 0 : std::min(done, total) * 100 / total;
    if (loadingText_)
        ::SetWindowTextW(loadingText_, toWide("Loading " + path + "\r\n" + std::to_string(percent) + "%").c_str());
    MSG message;
    while (!loadingClosed_ && ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
    return !loadingClosed_;
}

void Win32Platform::loadingDone()
{
    if (loading_ && !loadingClosed_)
        ::DestroyWindow(loading_);
    loading_ = loadingText_ = nullptr;
}

void showMessage(HWND owner, const std::string& message)
{
    ::MessageBoxW(owner, toWide(message).c_str(), toWide(entry::kWindowCaption).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

} // namespace win32ui
