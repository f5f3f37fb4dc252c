#pragma once
// The program's window in this process: opened on a data folder and shown
// until its first paint is done, the way a start-up ends.

#include "DataSet.h"

#include <HQ.h>

#include <memory>
#include <stdexcept>
#include <string>

using Window = qtui::HQ;

// One of the window's controls, found by its name.
template<typename Widget> Widget* part(const QWidget& window, const char* name)
{
    auto* widget = window.findChild<Widget*>(QString::fromLatin1(name));
    if (widget == nullptr)
        throw std::runtime_error(std::string("the window has no ") + name);
    return widget;
}

// Shows `window` and returns once `list`'s first paint is over: the whole
// window is painted in the same pass.
void showAndWaitForPaint(QWidget* window, QWidget* list);

// Deletes the window and lets Qt finish with it.
void dispose(std::unique_ptr<QWidget> window);

// The window created, loaded, shown and painted.
std::unique_ptr<Window> openWindow(const DataSet& set);

// Milliseconds to scroll the open window's entry list to a row and paint
// it, the first time that row's part of the log is read: the end, then the
// top again once other parts were read.
struct PaintTimes {
    double topMs = 0, endMs = 0;
};

// Milliseconds until the first paint of the window over `set`, checked for
// what it shows; `anonKb` gets RssAnon while the window is open.
double timeStartup(const DataSet& set, long* anonKb = nullptr, PaintTimes* paint = nullptr);
// The same for NaiveWindow.
double timeNaiveStartup(const DataSet& set);
