// Test driver: holds a file open the way another program might, letting
// others read it but not write it, until its standard input ends.
//
//   hold_file PATH    prints "held=1" once the file is open (or "held=0" and
//                     the error code), then holds it until stdin ends
#include <windows.h>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: hold_file PATH\n");
        return 2;
    }
    HANDLE file = CreateFileA(argv[1], GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("held=0\nerror=%lu\n", GetLastError());
        return 1;
    }
    std::printf("held=1\n");
    std::fflush(stdout);
    char buffer[64];
    DWORD read;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, NULL) && read) {
    }
    CloseHandle(file);
    return 0;
}
