// Exit closes the main window exactly like its close button; Version
// information shows the About box.
#include "menu_commands.h"

static const char AboutText[] =
    "VEMRO.exe version 1.0A\n"
    "TONE DIALLER\n"
    "キーを押すか、一覧の番号を選ぶと発信音が鳴ります";

void ExitProgram(HWND window)
{
    SendMessageA(window, WM_CLOSE, 0, 0);
}

void ShowAbout(HWND window)
{
    MessageBoxA(window, AboutText, "バージョン情報", MB_OK);
}
