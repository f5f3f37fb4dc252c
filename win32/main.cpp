// tolmarin.exe: the logbook as a plain Win32 program.

#include "HQ.h"

#include <windows.h>

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand)
{
    return win32ui::runProgram(instance, showCommand);
}
