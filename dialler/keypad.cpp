// The keypad: creates the sixteen buttons and plays the tone of a pressed one.
#include "keypad.h"

#include "brisol.h"

HWND KeyButtons[KeyCount];

extern HINSTANCE AppInstance;

static const DWORD KeyGapMs = 0;
static const int PlayNoWait = 0;

static const int KeyWidth = 80;
static const int KeyHeight = 40;

// In creation order.  Ids 0 to 9 follow the digits 1 to 9 and 0, so the
// bottom row reads ＊ ０ ＃ with ids 10, 9, 11.
static const struct {
    int id;
    const char *label;  // code page 932
    const char *keys;   // handed to PlayDTMF
    int x, y;
} Keys[KeyCount] = {
    {0, "１", "1", 20, 100},  {1, "２", "2", 110, 100},  {2, "３", "3", 200, 100},
    {3, "４", "4", 20, 150},  {4, "５", "5", 110, 150},  {5, "６", "6", 200, 150},
    {6, "７", "7", 20, 200},  {7, "８", "8", 110, 200},  {8, "９", "9", 200, 200},
    {10, "＊", "*", 20, 250}, {9, "０", "0", 110, 250},  {11, "＃", "#", 200, 250},
    {12, "A", "A", 290, 100}, {13, "B", "B", 290, 150}, {14, "C", "C", 290, 200},
    {15, "D", "D", 290, 250},
};

HWND CreateKeyButton(HWND parent, int x, int y, int width, int height, const char *label, int id)
{
    return CreateWindowExA(0, "BUTTON", label, WS_CHILD | WS_VISIBLE, x, y, width, height, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), AppInstance, NULL);
}

void CreateKeypad(HWND window)
{
    for (const auto &key : Keys)
        KeyButtons[key.id] = CreateKeyButton(window, key.x, key.y, KeyWidth, KeyHeight, key.label, key.id);
}

void PlayKey(int id)
{
    for (const auto &key : Keys) {
        if (key.id == id) {
            PlayDTMF(key.keys, KeyGapMs, PlayNoWait);
            return;
        }
    }
}
