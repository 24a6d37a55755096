// Times the dialler as a user meets it.
//
//   ui_bench startup EXE CLASS N   ms from CreateProcess to a visible window
//                                  of CLASS, median of N starts
//   ui_bench press N               ms for a press of the keypad's "５" until
//                                  PlayDTMF returns, against playing the same
//                                  clip straight with PlaySoundA (running
//                                  dialler needed)
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

double Now()
{
    LARGE_INTEGER frequency, counter;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&counter);
    return counter.QuadPart * 1000.0 / frequency.QuadPart;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

HWND VisibleWindow(const char *className)
{
    HWND window = FindWindowA(className, NULL);
    return window && IsWindowVisible(window) ? window : NULL;
}

double StartupMs(char *exe, const char *className)
{
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process;
    double start = Now();
    if (!CreateProcessA(NULL, exe, NULL, NULL, FALSE, 0, NULL, NULL, &startup, &process))
        std::exit(3);
    HWND window;
    while (!(window = VisibleWindow(className)))
        Sleep(1);
    double ms = Now() - start;
    PostMessageA(window, WM_CLOSE, 0, 0);
    WaitForSingleObject(process.hProcess, INFINITE);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return ms;
}

}  // namespace

int main(int argc, char **argv)
{
    if (argc == 5 && std::strcmp(argv[1], "startup") == 0) {
        std::vector<double> times;
        for (int i = 0; i < std::atoi(argv[4]); ++i)
            times.push_back(StartupMs(argv[2], argv[3]));
        std::printf("startup_ms=%.1f\n", Median(times));
        return 0;
    }
    if (argc == 3 && std::strcmp(argv[1], "press") == 0) {
        HWND main = FindWindowA("Default Class Name", NULL);
        HWND five = GetDlgItem(main, 4);
        HMODULE library = LoadLibraryA("BRISOL.DLL");
        std::vector<double> presses, plays;
        PlaySoundA(MAKEINTRESOURCEA(111), library, SND_RESOURCE);  // opens the audio device
        for (int i = 0; i < std::atoi(argv[2]); ++i) {
            double start = Now();
            SendMessageA(five, BM_CLICK, 0, 0);
            presses.push_back(Now() - start);
            start = Now();
            PlaySoundA(MAKEINTRESOURCEA(111), library, SND_RESOURCE);
            plays.push_back(Now() - start);
        }
        std::printf("press_ms=%.1f\nplaysound_ms=%.1f\n", Median(presses), Median(plays));
        return 0;
    }
    std::fprintf(stderr, "usage: ui_bench startup EXE CLASS N | ui_bench press N\n");
    return 2;
}
