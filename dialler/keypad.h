// The on-screen keypad: sixteen push buttons, one per tone key.
#pragma once
#include <windows.h>

// Control ids 0 to KeyCount - 1 belong to the keypad buttons.
const int KeyCount = 16;

// The buttons' handles, indexed by control id.
extern HWND KeyButtons[KeyCount];

HWND CreateKeyButton(HWND parent, int x, int y, int width, int height, const char *label, int id);
void CreateKeypad(HWND window);
void PlayKey(int id);
