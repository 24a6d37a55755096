// The tone library's one call, for programs that link against BRISOL.DLL.
#pragma once
#include <windows.h>

// Plays each tone key of keys ("0"-"9", "*", "#", "A"-"D"; other bytes are
// skipped) followed by gapMs of silence (at most 10 s).  Waits for the end
// unless noWait is non-zero; keys must then stay valid until it has played.
// Returns 0 for a null or empty sequence, otherwise 1.
extern "C" int WINAPI PlayDTMF(const char *keys, DWORD gapMs, int noWait);
