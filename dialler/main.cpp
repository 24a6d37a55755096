// Start-up, the main window and the dispatch of its messages to the features
// that own them: the dial list, the keypad and the menu commands.
#include <windows.h>

#include "dial_list.h"
#include "keypad.h"
#include "menu_commands.h"
#include "resource.h"

// The program's own module; the keypad buttons are created with it.
HINSTANCE AppInstance;

static const int WindowWidth = 400;
static const int WindowHeight = 360;

static void HandleCommand(HWND window, WPARAM wParam, LPARAM lParam)
{
    // The dial list box has control id 1, like the key "２": tell them apart
    // by the sender before looking at the id.
    if (reinterpret_cast<HWND>(lParam) == DialListBox) {
        if (HIWORD(wParam) == CBN_SELCHANGE)
            DialSelectedEntry();
        return;
    }
    WORD id = LOWORD(wParam);
    if (id < KeyCount)
        PlayKey(id);
    else if (id == CmdExit)
        ExitProgram(window);
    else if (id == CmdAbout)
        ShowAbout(window);
}

LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        CreateDialList(window, reinterpret_cast<CREATESTRUCTA *>(lParam)->hInstance);
        CreateKeypad(window);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    case WM_COMMAND:
        HandleCommand(window, wParam, lParam);
        return 0;
    case WM_MOUSEMOVE:
        SaveTypedNumber(window);
        return 0;
    default:
        return DefWindowProcA(window, message, wParam, lParam);
    }
}

HWND CreateMainWindow(HINSTANCE instance)
{
    HICON icon = static_cast<HICON>(LoadImageA(instance, MAKEINTRESOURCEA(ProgramIcon), IMAGE_ICON,
                                               0, 0, LR_SHARED | LR_DEFAULTSIZE));
    WNDCLASSEXA windowClass = {};
    windowClass.cbSize = sizeof windowClass;
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = MainWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = icon;
    windowClass.hCursor = static_cast<HCURSOR>(
        LoadImageA(NULL, IDC_ARROW, IMAGE_CURSOR, 0, 0, LR_SHARED | LR_DEFAULTSIZE));
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    windowClass.lpszMenuName = "MYMENU";
    windowClass.lpszClassName = "Default Class Name";
    windowClass.hIconSm = icon;
    if (!RegisterClassExA(&windowClass))
        return NULL;

    // Centred on the whole primary screen, never clamped: a screen smaller
    // than the window puts its corner at a negative position.
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int x = (screenWidth - WindowWidth) / 2;
    int y = (screenHeight - WindowHeight) / 2;
    return CreateWindowExA(0, "Default Class Name", "VEMRO: tone dialler", WS_OVERLAPPEDWINDOW, x, y,
                           WindowWidth, WindowHeight, NULL, NULL, instance, NULL);
}

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int)
{
    AppInstance = instance;
    HWND window = CreateMainWindow(instance);
    if (!window) {
        MessageBoxA(NULL, "ウィンドウの作成に失敗しました", "エラー", MB_OK);
        return 1;
    }
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);

    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}
