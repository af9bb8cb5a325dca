// The program entry: the main window object lives in this frame for the whole run.
#include <windows.h>

#include "app/main_window.h"
#include "app/message_loop.h"
#include "app/program_arguments.h"
#include "res/resource.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    CBaseWnd mainWindow;
    if (!mainWindow.CreateMainWindow(instance, showCommand))
        return 0;
    mainWindow.OpenStartSource(ReadProgramArguments(GetCommandLineW()));
    HACCEL accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDR_ACCELERATORS));
    return static_cast<int>(RunMessageLoop(accelerators));
}
