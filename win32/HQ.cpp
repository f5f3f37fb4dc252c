#include "HQ.h"
#include "WideText.h"

#include <DataFiles.h>

#include <exception>
#include <memory>

namespace win32ui {

namespace {

using entry::Control;
using entry::ControlKind;
using entry::ControlSpec;

// Names the window HQ on the controls whose messages it sees first.
constexpr wchar_t kOwnerProperty[] = L"TolmarinHQ";

COLORREF toColorRef(const entry::Rgb& rgb) { return RGB(rgb.red, rgb.green, rgb.blue); }

// Solid brushes for the control colours, made once and kept for the run.
HBRUSH brush(COLORREF colour)
{
    static struct {
        COLORREF colour;
        HBRUSH brush;
    } cache[8];
    for (auto& entry : cache) {
        if (entry.brush && entry.colour == colour)
            return entry.brush;
        if (!entry.brush) {
            entry = {colour, ::CreateSolidBrush(colour)};
            return entry.brush;
        }
    }
    return ::CreateSolidBrush(colour);
}

HFONT makeFont(const entry::FontSpec& design, int dpiY)
{
    LOGFONTW font{};
    font.lfHeight = -::MulDiv(design.centiPoints, dpiY, 7200);
    font.lfWeight = design.bold ? FW_BOLD : FW_NORMAL;
    font.lfCharSet = DEFAULT_CHARSET;
    font.lfQuality = DEFAULT_QUALITY;
    // The family tells the font mapper what to fall back on where the face
    // is missing, above all a fixed pitch for the entry list.
    font.lfPitchAndFamily = design.fixedPitch ? FIXED_PITCH | FF_MODERN : VARIABLE_PITCH | FF_SWISS;
    lstrcpynW(font.lfFaceName, toWide(design.face).c_str(), LF_FACESIZE);
    return ::CreateFontIndirectW(&font);
}

struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ControlClass classOf(Control id)
{
    const ControlSpec& design = entry::design(id);
    DWORD common = WS_CHILD | WS_CLIPSIBLINGS;
    if (design.shownAtStart)
        common |= WS_VISIBLE;
    if (design.takesFocus)
        common |= WS_TABSTOP;
    switch (design.kind) {
    case ControlKind::ListBox: {
        // LBS_NOTIFY for the user's selections; rows drawn by Win32ListBox. The
        // entry list holds no row of its own, only their count (LBS_NODATA), and
        // asks for the keyboard's search; the date list keeps its few texts for it.
        const DWORD rows = id == Control::MLyS ? LBS_NODATA | LBS_WANTKEYBOARDINPUT : LBS_HASSTRINGS;
        return {L"LISTBOX", common | WS_VSCROLL | WS_HSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | rows,
                WS_EX_CLIENTEDGE};
    }
    case ControlKind::Label: {
        // SS_NOTIFY: clicks arrive as STN_CLICKED. The date label, the one
        // that is clicked, looks pressed in.
        const DWORD sunken = id == Control::Label1 ? SS_SUNKEN : 0;
        return {L"STATIC", common | SS_LEFT | SS_NOPREFIX | SS_NOTIFY | sunken, 0};
    }
    case ControlKind::PushButton:
        // Owner-drawn, so the colour can be set; it still takes the focus
        // and is never the default button.
        return {L"BUTTON", common | BS_OWNERDRAW, 0};
    case ControlKind::Frame:
        return {L"BUTTON", common | WS_CLIPCHILDREN | BS_GROUPBOX, WS_EX_CONTROLPARENT};
    case ControlKind::ComboBox: // rows drawn by Win32ComboBox
        return {L"COMBOBOX", common | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL | CBS_OWNERDRAWFIXED | CBS_HASSTRINGS,
                0};
    }
    return {};
}

// Puts `proc` in front of the control's own window procedure, which it returns.
WNDPROC subclass(HWND control, HQ* owner, WNDPROC proc)
{
    ::SetPropW(control, kOwnerProperty, owner);
    return reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(proc)));
}

// Undoes subclass() as the control goes away.
LRESULT unsubclass(HWND control, WNDPROC original, UINT message, WPARAM wParam, LPARAM lParam)
{
    ::RemovePropW(control, kOwnerProperty);
    ::SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    return ::CallWindowProcW(original, control, message, wParam, lParam);
}

} // namespace

void registerWindowClass(HINSTANCE instance)
{
    WNDCLASSEXW windowClass{};
    if (::GetClassInfoExW(instance, kWindowClass, &windowClass))
        return;
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &HQ::windowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kWindowClass;
    windowClass.hIcon = static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
    windowClass.hIconSm = static_cast<HICON>(
        ::LoadImageW(instance, MAKEINTRESOURCEW(kIconId), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
    ::RegisterClassExW(&windowClass);
}

HQ::HQ(HINSTANCE instance, const std::string& dataDirectory)
    : instance_(instance)
    , form_({mlys_, clys_, label1_, text1_, text2_, platform_}, dataDirectory)
{
    registerWindowClass(instance);

    HDC screen = ::GetDC(nullptr);
    dpiX_ = ::GetDeviceCaps(screen, LOGPIXELSX);
    dpiY_ = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);

    windowFont_ = makeFont(entry::kWindowFont, dpiY_);
    fixedPitchFont_ = makeFont(entry::kFixedPitchFont, dpiY_);

    // A fixed border: the layout is fixed, there is nothing to gain by resizing.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT frame = {0, 0, entry::twipsToPixels(entry::kClientWidthTwips, dpiX_),
                  entry::twipsToPixels(entry::kClientHeightTwips, dpiY_)};
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    const std::wstring caption = toWide(entry::kWindowCaption);
    hwnd_ = ::CreateWindowExW(0, kWindowClass, caption.c_str(), style, CW_USEDEFAULT, CW_USEDEFAULT,
                              frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr, instance, this);
    if (!hwnd_)
        throw std::runtime_error("Cannot create the window");
    platform_.setOwner(hwnd_);
    createControls();
}

HQ::~HQ()
{
    if (hwnd_)
        ::DestroyWindow(hwnd_);
    ::DeleteObject(windowFont_);
    ::DeleteObject(fixedPitchFont_);
}

void HQ::createControls()
{
    for (std::size_t i = 0; i < entry::kControlCount; ++i) {
        const auto id = static_cast<Control>(i);
        const ControlSpec& design = entry::design(id);
        const ControlClass kind = classOf(id);
        const entry::PixelRect at = entry::toPixels(design.twips, dpiX_, dpiY_);
        HWND parent = design.inFrame ? control(Control::Frame1) : hwnd_;
        // A drop-down combo's height includes its list; the closed height
        // is fitted below.
        const bool combo = design.kind == ControlKind::ComboBox;
        HWND window = ::CreateWindowExW(kind.exStyle, kind.className, toWide(design.caption).c_str(), kind.style,
                                        at.left, at.top, at.width, combo ? at.height * 8 : at.height, parent,
                                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance_,
                                        nullptr);
        controls_[i] = window;
        HFONT font = design.font == entry::ControlFont::FixedPitch ? fixedPitchFont_ : windowFont_;
        ::SendMessageW(window, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
        if (combo)
            fitComboHeight(window, at.height);
    }
    mlys_.attach(control(Control::MLyS));
    clys_.attach(control(Control::CLyS));
    label1_.attach(control(Control::Label1));
    text1_.attach(control(Control::Text1));
    text2_.attach(control(Control::Text2));

    // The group box holds its three children: their notifications and
    // colour requests go to it, and it passes them on to the window.
    frameDefault_ = subclass(control(Control::Frame1), this, &HQ::frameProc);
    pickerDefault_ = subclass(control(Control::CLyS), this, &HQ::pickerProc);

    // Each control in turn goes to the bottom, so the first is the topmost.
    for (Control id : entry::kStackingOrder)
        ::SetWindowPos(control(id), HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void HQ::fitComboHeight(HWND combo, int height)
{
    // The closed height follows the edit field's height plus borders whose
    // size differs between systems (and Wine reports the field 2 pixels
    // higher than it was set): adjust until the closed height is right.
    LRESULT field = ::SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT rect;
        ::GetWindowRect(combo, &rect);
        const int off = height - (rect.bottom - rect.top);
        if (off == 0 || field + off <= 0)
            return;
        field += off;
        ::SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
}

bool HQ::load()
{
    try {
        form_.Form_Load();
        return true;
    } catch (const logbook::ReadAbandoned&) {
        throw; // not a failure: the user gave the start-up up
    } catch (const std::exception& error) {
        showMessage(nullptr, entry::startupFailureMessage(error));
        return false;
    }
}

void HQ::show(int showCommand)
{
    ::ShowWindow(hwnd_, showCommand);
    ::UpdateWindow(hwnd_);
}

int HQ::run()
{
    quitOnDestroy_ = true;
    MSG message;
    for (;;) {
        // The combo boxes get their items while nothing else waits.
        if (!guard_.failed() && !::PeekMessageW(&message, nullptr, 0, 0, PM_NOREMOVE)) {
            bool more = false;
            guarded([&] { more = text1_.fillStep() || text2_.fillStep(); });
            if (more)
                continue;
        }
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0)
            return static_cast<int>(message.wParam);
        if (got == -1)
            return 1;
        process(message);
    }
}

void HQ::process(const MSG& message)
{
    if (handleTabKey(message))
        return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

bool HQ::handleTabKey(const MSG& message)
{
    if (message.message != WM_KEYDOWN || message.wParam != VK_TAB)
        return false;
    if (message.hwnd != hwnd_ && !::IsChild(hwnd_, message.hwnd))
        return false;
    const bool backwards = ::GetKeyState(VK_SHIFT) < 0;
    HWND focus = ::GetFocus();

    // Labels and the frame never take the focus, CLyS only while it is shown.
    constexpr int count = static_cast<int>(entry::kControlCount);
    int current = -1;
    for (int i = 0; i < count; ++i) {
        HWND window = control(entry::kTabOrder[i]);
        if (focus == window || ::IsChild(window, focus))
            current = i;
    }
    for (int step = 1; step <= count; ++step) {
        int next = current < 0 ? (backwards ? count - step : step - 1)
                               : ((current + (backwards ? -step : step)) % count + count) % count;
        const Control id = entry::kTabOrder[next];
        HWND window = control(id);
        if (!entry::design(id).takesFocus || !::IsWindowVisible(window) || !::IsWindowEnabled(window))
            continue;
        ::SetFocus(window);
        if (entry::design(id).kind == ControlKind::ComboBox) // like a dialog: the text is selected
            ::SendMessageW(window, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
        return true;
    }
    return true;
}

template <typename Handler>
void HQ::guarded(Handler handler)
{
    if (!guard_.run(handler) || closeAfterHandler_)
        ::PostMessageW(hwnd_, WM_CLOSE, 0, 0);
    closeAfterHandler_ = false;
}

void HQ::onCommand(Control id, int code)
{
    // Ending, no handler runs any more; or a Save is waiting for a lock and
    // only answers the system meanwhile (a sent click, a focus change).
    if (guard_.failed() || platform_.waiting())
        return;
    switch (id) {
    case Control::Label1:
        if (code == STN_CLICKED)
            guarded([this] { form_.Label1_Click(); });
        break;
    case Control::CLyS:
        // Only a user's choice sends LBN_SELCHANGE; LB_RESETCONTENT and
        // LB_ADDSTRING in the handler never do, and the end of a stale press
        // is no choice.
        if (code == LBN_SELCHANGE && !endingStalePress_)
            guarded([this] { form_.CLyS_Click(); });
        break;
    case Control::Text1:
        if (code == CBN_SETFOCUS) // with the focus, keys and the wheel choose from the list
            guarded([this] { text1_.fillAll(); });
        if (code == CBN_KILLFOCUS)
            guarded([this] { form_.Text1_LostFocus(); });
        break;
    case Control::Text2:
        if (code == CBN_SETFOCUS)
            guarded([this] { text2_.fillAll(); });
        if (code == CBN_KILLFOCUS)
            guarded([this] { form_.Text2_LostFocus(); });
        break;
    case Control::Command1:
        // An owner-drawn button reports the second click of a double click
        // as BN_DOUBLECLICKED; it is a click all the same.
        if (code == BN_CLICKED || code == BN_DOUBLECLICKED)
            guarded([this] { form_.Command1_Click(); });
        break;
    default: // the bars, the headers, the entry list: nothing more than the default
        break;
    }
}

LRESULT HQ::onColor(HDC dc, HWND window)
{
    int id = ::GetDlgCtrlID(window) - kFirstControlId;
    // A combo box's edit field and drop-down list ask for it too.
    for (Control combo : {Control::Text1, Control::Text2}) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        if (::GetComboBoxInfo(control(combo), &info) && (window == info.hwndItem || window == info.hwndList))
            id = static_cast<int>(combo);
    }
    if (id < 0 || id >= static_cast<int>(entry::kControlCount))
        return 0;
    const ControlSpec& design = entry::kControls[static_cast<std::size_t>(id)];
    if (design.kind == ControlKind::PushButton || design.kind == ControlKind::Frame)
        return 0; // painted by drawButton and paintFrame
    // A control without a background of its own shows its parent's: the
    // frame's, or the system's window colour for a list.
    const entry::Colour& background = design.background        ? design.background
                                      : design.inFrame         ? entry::design(Control::Frame1).background
                                                             : entry::Colour{};
    ::SetTextColor(dc, design.text ? toColorRef(*design.text) : ::GetSysColor(COLOR_WINDOWTEXT));
    if (!background) {
        ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
    }
    ::SetBkColor(dc, toColorRef(*background));
    return reinterpret_cast<LRESULT>(brush(toColorRef(*background)));
}

void HQ::drawButton(const DRAWITEMSTRUCT& item)
{
    const int row = static_cast<int>(item.CtlID) - kFirstControlId;
    if (row < 0 || row >= static_cast<int>(entry::kControlCount))
        return;
    const ControlSpec& design = entry::kControls[static_cast<std::size_t>(row)];
    const bool captioned = !design.caption.empty();
    RECT rect = item.rcItem;
    ::FillRect(item.hDC, &rect,
               design.background ? brush(toColorRef(*design.background)) : ::GetSysColorBrush(COLOR_BTNFACE));
    ::DrawEdge(item.hDC, &rect, (item.itemState & ODS_SELECTED) ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    if (captioned) {
        HGDIOBJ old = ::SelectObject(item.hDC, windowFont_);
        ::SetBkMode(item.hDC, TRANSPARENT);
        ::SetTextColor(item.hDC, design.text ? toColorRef(*design.text) : ::GetSysColor(COLOR_BTNTEXT));
        RECT text = rect;
        if (item.itemState & ODS_SELECTED)
            ::OffsetRect(&text, 1, 1);
        std::wstring caption = windowText(item.hwndItem);
        ::DrawTextW(item.hDC, caption.c_str(), static_cast<int>(caption.size()), &text,
                    DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
        ::SelectObject(item.hDC, old);
    }
    if (item.itemState & ODS_FOCUS) {
        RECT focus = rect;
        ::InflateRect(&focus, captioned ? -3 : -2, -3); // the bars are only 9 pixels wide
        ::DrawFocusRect(item.hDC, &focus);
    }
}

void HQ::drawRow(const DRAWITEMSTRUCT& item)
{
    onColor(item.hDC, item.hwndItem); // the control's own colours
    if (item.itemState & ODS_SELECTED) {
        ::SetTextColor(item.hDC, ::GetSysColor(COLOR_HIGHLIGHTTEXT));
        ::SetBkColor(item.hDC, ::GetSysColor(COLOR_HIGHLIGHT));
    }
    switch (static_cast<Control>(static_cast<int>(item.CtlID) - kFirstControlId)) {
    case Control::MLyS:
        mlys_.drawRow(item);
        break;
    case Control::CLyS:
        clys_.drawRow(item);
        break;
    case Control::Text1:
        text1_.drawRow(item);
        break;
    case Control::Text2:
        text2_.drawRow(item);
        break;
    default:
        break;
    }
}

void HQ::paintFrame(HWND frame)
{
    PAINTSTRUCT paint;
    HDC dc = ::BeginPaint(frame, &paint);
    RECT rect;
    ::GetClientRect(frame, &rect);
    const ControlSpec& design = entry::design(Control::Frame1);
    HBRUSH back = brush(toColorRef(*design.background));
    ::FillRect(dc, &rect, back);

    HGDIOBJ old = ::SelectObject(dc, windowFont_);
    TEXTMETRICW metrics;
    ::GetTextMetricsW(dc, &metrics);
    RECT box = rect;
    box.top += metrics.tmHeight / 2;
    ::DrawEdge(dc, &box, EDGE_ETCHED, BF_RECT);

    const std::wstring caption = windowText(frame);
    SIZE size;
    ::GetTextExtentPoint32W(dc, caption.c_str(), static_cast<int>(caption.size()), &size);
    const int x = 8;
    RECT behind = {x - 2, 0, x + size.cx + 2, metrics.tmHeight};
    ::FillRect(dc, &behind, back);
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, toColorRef(*design.text));
    ::TextOutW(dc, x, 0, caption.c_str(), static_cast<int>(caption.size()));
    ::SelectObject(dc, old);
    ::EndPaint(frame, &paint);
}

LRESULT CALLBACK HQ::frameProc(HWND frame, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<HQ*>(::GetPropW(frame, kOwnerProperty));
    switch (message) {
    case WM_COMMAND:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_DRAWITEM:
        return ::SendMessageW(self->hwnd_, message, wParam, lParam);
    case WM_ERASEBKGND:
        return 1; // all painted in WM_PAINT
    case WM_PAINT:
        self->paintFrame(frame);
        return 0;
    case WM_NCHITTEST: // a click on the frame stays on the frame
        return HTCLIENT;
    case WM_NCDESTROY:
        return unsubclass(frame, self->frameDefault_, message, wParam, lParam);
    default:
        return ::CallWindowProcW(self->frameDefault_, frame, message, wParam, lParam);
    }
}

LRESULT CALLBACK HQ::pickerProc(HWND list, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto* self = static_cast<HQ*>(::GetPropW(list, kOwnerProperty));
    const WNDPROC original = self->pickerDefault_;
    switch (message) {
    case LB_RESETCONTENT:
        // A refill while the button is held down (the keyboard chose) makes
        // the rest of that press stale: it must not pick from the new items.
        self->stalePress_ = ::GetCapture() == list;
        break;
    case WM_SHOWWINDOW: // hidden while the button is held down (the keyboard chose the year): stale too
        if (!wParam && ::GetCapture() == list)
            self->stalePress_ = true;
        break;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
        self->stalePress_ = false;
        break;
    case WM_MOUSEMOVE:
    case WM_TIMER: // the list's own scrolling while the pointer is dragged outside it
        if (self->stalePress_)
            return 0;
        break;
    case WM_KILLFOCUS:
    case WM_LBUTTONUP: {
        // The list reports the end of a press as a choice, Wine's also when
        // the focus leaves during it: not so for a press the focus left (the
        // year chosen sends it on to the branch), nor for a stale one.
        if (message == WM_KILLFOCUS && ::GetCapture() == list)
            self->stalePress_ = true;
        self->endingStalePress_ = self->stalePress_;
        const LRESULT result = ::CallWindowProcW(original, list, message, wParam, lParam);
        self->endingStalePress_ = false;
        if (::GetCapture() != list) // the press is over
            self->stalePress_ = false;
        return result;
    }
    case WM_NCDESTROY:
        return unsubclass(list, original, message, wParam, lParam);
    default:
        break;
    }
    return ::CallWindowProcW(original, list, message, wParam, lParam);
}

LRESULT CALLBACK HQ::windowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    HQ* self;
    if (message == WM_NCCREATE) {
        self = static_cast<HQ*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = hwnd;
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    } else {
        self = reinterpret_cast<HQ*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!self)
        return ::DefWindowProcW(hwnd, message, wParam, lParam);
    return self->handle(message, wParam, lParam);
}

LRESULT HQ::handle(UINT message, WPARAM wParam, LPARAM lParam)
{
    HWND window = hwnd_;
    switch (message) {
    case WM_COMMAND:
        if (lParam)
            onCommand(static_cast<Control>(LOWORD(wParam) - kFirstControlId), HIWORD(wParam));
        return 0;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
        if (LRESULT painted = onColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)))
            return painted;
        break;
    case WM_VKEYTOITEM: // the entry list's keys, left to the list
        return -1;
    case WM_CHARTOITEM:
        return mlys_.rowStartingWith(static_cast<wchar_t>(LOWORD(wParam)));
    case WM_DRAWITEM: {
        const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (item.CtlType == ODT_BUTTON)
            drawButton(item);
        else
            drawRow(item);
        return TRUE;
    }
    case WM_ACTIVATE:
        // Keep the focus where it was when the window is left and re-entered.
        if (LOWORD(wParam) == WA_INACTIVE) {
            HWND focus = ::GetFocus();
            if (focus && ::IsChild(hwnd_, focus))
                lastFocus_ = focus;
        } else {
            HWND target = lastFocus_ && ::IsWindow(lastFocus_) && ::IsWindowVisible(lastFocus_)
                              ? lastFocus_
                              : control(Control::MLyS);
            ::SetFocus(target);
        }
        return 0;
    case WM_CLOSE:
        // Sent while a Save waits for a lock: the window goes once the Save
        // has ended, not from under it.
        if (platform_.waiting()) {
            closeAfterHandler_ = true;
            return 0;
        }
        break;
    case WM_DESTROY:
        if (quitOnDestroy_)
            ::PostQuitMessage(guard_.failed() ? 1 : 0);
        return 0;
    case WM_NCDESTROY:
        ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        break;
    default:
        break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

int runProgram(HINSTANCE instance, int showCommand)
{
    std::unique_ptr<HQ> window;
    try {
        const std::string directory = logbook::executableDirectory();
        // The files are read while the window and its controls are made.
        entry::startReadingAhead(directory);
        window = std::make_unique<HQ>(instance, directory);
    } catch (const std::exception& error) { // no data folder, or no window
        showMessage(nullptr, entry::startupFailureMessage(error));
        return 1;
    }
    try {
        if (!window->load())
            return 1;
    } catch (const logbook::ReadAbandoned&) {
        return 0;
    }
    window->show(showCommand);
    return window->run();
}

} // namespace win32ui
