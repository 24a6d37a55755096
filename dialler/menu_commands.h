// The two menu commands that act: Exit and Version information.
#pragma once
#include <windows.h>

void ExitProgram(HWND window);
void ShowAbout(HWND window);
