// Test driver for the dialler window: finds the running VEMRO window and
// reports on it, or drives it with the window messages a user's actions send.
//
//   window_probe info              the window, its children and its list
//   window_probe command ID [CODE] WM_COMMAND with the id (and notification
//                                  code) from the keypad button of that id
//   window_probe list-notify CODE  WM_COMMAND with the code from the list box
//   window_probe click ID          BM_CLICK on keypad button ID (a real press)
//   window_probe select INDEX      selects entry INDEX and sends the selection
//                                  change, as a click in the list does
//   window_probe settext HEX       sets the edit field's text (bytes in hex)
//   window_probe mousemove X Y     WM_MOUSEMOVE at client point (X, Y)
//   window_probe about             reports and closes the box owned by the
//                                  main window
//   window_probe close             WM_CLOSE, as the close button sends
//   window_probe time-mousemove N  times N WM_MOUSEMOVE save checks
//   window_probe screen-point X Y  the screen position of client point (X, Y)
//   window_probe entries           the list's entries and the edit field
//
// Output is one "key=value" per line; texts are given as hex bytes.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "hex_bytes.h"

namespace {

const char MainClass[] = "Default Class Name";

std::string Hex(const char *bytes, int length)
{
    std::string hex;
    char part[4];
    for (int i = 0; i < length; ++i) {
        std::snprintf(part, sizeof part, "%s%02x", i ? " " : "", static_cast<unsigned char>(bytes[i]));
        hex += part;
    }
    return hex;
}

std::string TextOf(HWND window)
{
    char text[512];
    int length = GetWindowTextA(window, text, sizeof text);
    return Hex(text, length);
}

HWND FindMainWindow()
{
    for (int i = 0; i < 600; ++i) {
        HWND window = FindWindowA(MainClass, NULL);
        if (window && IsWindowVisible(window))
            return window;
        Sleep(100);
    }
    std::fprintf(stderr, "no dialler window\n");
    std::exit(3);
}

HWND ListBox(HWND main)
{
    return FindWindowExA(main, NULL, "COMBOBOX", NULL);
}

// Wine hands the ANSI text of another process's list back unconverted, so
// the list is read as UTF-16 and converted to the ANSI code page here.
void PrintList(HWND list)
{
    LRESULT count = SendMessageA(list, CB_GETCOUNT, 0, 0);
    std::printf("list_count=%ld\n", static_cast<long>(count));
    for (LRESULT i = 0; i < count; ++i) {
        WCHAR wide[512];
        char entry[1024];
        LRESULT length = SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(wide));
        int bytes = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), entry, sizeof entry, NULL, NULL);
        std::printf("entry=%s\n", Hex(entry, bytes).c_str());
    }
    std::printf("list_selection=%ld\n", static_cast<long>(SendMessageA(list, CB_GETCURSEL, 0, 0)));
    // The edit field's text, asked of the box itself: GetWindowTextA on
    // another process's window gives the box's own (empty) caption instead.
    WCHAR wide[512];
    char text[1024];
    LRESULT length = SendMessageW(list, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(wide));
    int bytes = WideCharToMultiByte(CP_ACP, 0, wide, static_cast<int>(length), text, sizeof text, NULL, NULL);
    std::printf("edit_text=%s\n", Hex(text, bytes).c_str());
}

BOOL CALLBACK PrintChild(HWND child, LPARAM main)
{
    if (GetParent(child) != reinterpret_cast<HWND>(main))
        return TRUE;
    char className[64];
    GetClassNameA(child, className, sizeof className);
    RECT rect;
    GetWindowRect(child, &rect);
    MapWindowPoints(NULL, reinterpret_cast<HWND>(main), reinterpret_cast<POINT *>(&rect), 2);
    std::printf("child id=%d class=%s text=%s x=%ld y=%ld w=%ld h=%ld style=%#lx\n", GetDlgCtrlID(child),
                className, TextOf(child).c_str(), rect.left, rect.top, rect.right - rect.left,
                rect.bottom - rect.top, static_cast<unsigned long>(GetWindowLongA(child, GWL_STYLE)));
    return TRUE;
}

void PrintInfo(HWND main)
{
    RECT rect;
    GetWindowRect(main, &rect);
    char className[64];
    GetClassNameA(main, className, sizeof className);
    std::printf("class=%s\ntitle=%s\nx=%ld\ny=%ld\nw=%ld\nh=%ld\n", className, TextOf(main).c_str(), rect.left,
                rect.top, rect.right - rect.left, rect.bottom - rect.top);
    std::printf("screen=%dx%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    std::printf("style=%#lx\n", static_cast<unsigned long>(GetWindowLongA(main, GWL_STYLE)));
    EnumChildWindows(main, PrintChild, reinterpret_cast<LPARAM>(main));
    PrintList(ListBox(main));
}

HWND FindOwnedBox(HWND main)
{
    for (int i = 0; i < 100; ++i) {
        HWND box = NULL;
        while ((box = FindWindowExA(NULL, box, "#32770", NULL))) {
            if (GetWindow(box, GW_OWNER) == main && IsWindowVisible(box))
                return box;
        }
        Sleep(100);
    }
    return NULL;
}

void ReportBox(HWND main)
{
    HWND box = FindOwnedBox(main);
    if (!box) {
        std::printf("box=none\n");
        return;
    }
    std::printf("box=found\ncaption=%s\n", TextOf(box).c_str());
    // The message is the static control with id 0xFFFF.
    std::printf("text=%s\n", TextOf(GetDlgItem(box, 0xFFFF)).c_str());
    std::printf("main_enabled=%d\n", IsWindowEnabled(main) ? 1 : 0);
    PostMessageA(box, WM_COMMAND, IDOK, 0);
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: window_probe COMMAND [ARGS]\n");
        return 2;
    }
    std::string command = argv[1];
    int arg = argc > 2 ? std::atoi(argv[2]) : 0;
    int arg2 = argc > 3 ? std::atoi(argv[3]) : 0;
    HWND main = FindMainWindow();
    HWND list = ListBox(main);

    if (command == "info") {
        PrintInfo(main);
    } else if (command == "command") {
        HWND button = GetDlgItem(main, arg);
        if (button == list)
            button = NULL;  // only the keypad's or no sender
        SendMessageA(main, WM_COMMAND, MAKEWPARAM(arg, arg2), reinterpret_cast<LPARAM>(button));
    } else if (command == "list-notify") {
        SendMessageA(main, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), arg), reinterpret_cast<LPARAM>(list));
    } else if (command == "click") {
        HWND button = NULL;
        while ((button = FindWindowExA(main, button, "BUTTON", NULL)) && GetDlgCtrlID(button) != arg) {
        }
        SendMessageA(button, BM_CLICK, 0, 0);
    } else if (command == "select") {
        SendMessageA(list, CB_SETCURSEL, arg, 0);
        SendMessageA(main, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(list));
    } else if (command == "settext") {
        SetWindowTextA(list, FromHex(argc > 2 ? argv[2] : "").c_str());
    } else if (command == "mousemove") {
        SendMessageA(main, WM_MOUSEMOVE, 0, MAKELPARAM(arg, arg2));
    } else if (command == "about") {
        ReportBox(main);
    } else if (command == "close") {
        PostMessageA(main, WM_CLOSE, 0, 0);
    } else if (command == "screen-point") {
        POINT point = {arg, arg2};
        ClientToScreen(main, &point);
        std::printf("x=%ld\ny=%ld\n", point.x, point.y);
    } else if (command == "time-mousemove") {
        LARGE_INTEGER frequency, start, end;
        QueryPerformanceFrequency(&frequency);
        QueryPerformanceCounter(&start);
        for (int i = 0; i < arg; ++i)
            SendMessageA(main, WM_MOUSEMOVE, 0, MAKELPARAM(350, 30));
        QueryPerformanceCounter(&end);
        std::printf("ms_per_check=%.4f\n",
                    (end.QuadPart - start.QuadPart) * 1000.0 / frequency.QuadPart / (arg ? arg : 1));
    } else if (command == "entries") {
        PrintList(list);
    } else {
        std::fprintf(stderr, "unknown command %s\n", command.c_str());
        return 2;
    }
    return 0;
}
