// The dial list: stored numbers in a combo box across the top of the window,
// kept in "dial_list.txt" in the current directory.
#pragma once
#include <windows.h>

// The combo box; commands from it are told apart from the keypad's by handle.
extern HWND DialListBox;

// The text last loaded, selected or saved; PlayDTMF reads it in place.
extern char DialText[256];

void CreateDialList(HWND window, HINSTANCE instance);
void DialSelectedEntry();
void SaveTypedNumber(HWND window);
