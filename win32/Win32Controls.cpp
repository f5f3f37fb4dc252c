#include "Win32Controls.h"
#include "WideText.h"

#include <FormLayout.h>

namespace win32ui {

namespace {

// Adds many items with the drawing switched off and the storage reserved
// once: a large entry log loads in one go rather than line by line on screen.
template <typename Add>
void addInBulk(HWND control, UINT initStorage, const logbook::LineList& lines, Add add)
{
    ::SendMessageW(control, WM_SETREDRAW, FALSE, 0);
    ::SendMessageW(control, initStorage, lines.size(), lines.byteSize() * sizeof(wchar_t));
    for (std::size_t i = 0; i < lines.size(); ++i)
        add(toWide(lines.textAt(i)));
    ::SendMessageW(control, WM_SETREDRAW, TRUE, 0);
    ::InvalidateRect(control, nullptr, TRUE);
}

} // namespace

std::wstring windowText(HWND window)
{
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

void Win32ListBox::clear() { ::SendMessageW(hwnd_, LB_RESETCONTENT, 0, 0); }

void Win32ListBox::addItem(const std::string& text)
{
    // LB_ADDSTRING neither selects the item nor scrolls to it.
    ::SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(text).c_str()));
}

void Win32ListBox::addItems(logbook::LineList lines)
{
    addInBulk(hwnd_, LB_INITSTORAGE, lines, [this](const std::wstring& item) {
        ::SendMessageW(hwnd_, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    });
}

std::string Win32ListBox::selectedText() const
{
    LRESULT index = ::SendMessageW(hwnd_, LB_GETCURSEL, 0, 0);
    if (index == LB_ERR)
        return {};
    LRESULT length = ::SendMessageW(hwnd_, LB_GETTEXTLEN, index, 0);
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    length = ::SendMessageW(hwnd_, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return toUtf8(text);
}

void Win32ListBox::setVisible(bool visible) { ::ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE); }

bool Win32ListBox::hasFocus() const { return ::GetFocus() == hwnd_; }

std::string Win32ComboBox::editText() const { return toUtf8(windowText(hwnd_)); }

void Win32ComboBox::setEditText(const std::string& text)
{
    ::SetWindowTextW(hwnd_, toWide(text).c_str());
}

void Win32ComboBox::addItem(const std::string& text)
{
    ::SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(toWide(text).c_str()));
}

void Win32ComboBox::addItems(logbook::LineList lines)
{
    addInBulk(hwnd_, CB_INITSTORAGE, lines, [this](const std::wstring& item) {
        ::SendMessageW(hwnd_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    });
}

std::size_t Win32ComboBox::count() const
{
    LRESULT count = ::SendMessageW(hwnd_, CB_GETCOUNT, 0, 0);
    return count < 0 ? 0 : static_cast<std::size_t>(count);
}

std::string Win32ComboBox::itemText(std::size_t index) const
{
    LRESULT length = ::SendMessageW(hwnd_, CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR)
        return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    length = ::SendMessageW(hwnd_, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(length == CB_ERR ? 0 : static_cast<std::size_t>(length));
    return toUtf8(text);
}

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

void showMessage(HWND owner, const std::string& message)
{
    ::MessageBoxW(owner, toWide(message).c_str(), toWide(entry::kWindowCaption).c_str(), MB_OK | MB_ICONEXCLAMATION);
}

} // namespace win32ui
