// The dial list: loads "dial_list.txt" into the combo box at start-up, dials
// the selected entry, and appends a newly typed number to the file.
#include "dial_list.h"

#include <stdio.h>
#include <string.h>

#include "brisol.h"

HWND DialListBox;
char DialText[256];

static const char DialListFile[] = "dial_list.txt";
static const int DialListId = 1;
static const DWORD DialGapMs = 100;
static const int PlayNoWait = 0;

// A simple, sorted combo box: the edit field with the list always below it.
// Without CBS_AUTOHSCROLL the field takes only what fits its width.
static const DWORD DialListStyle = WS_CHILD | WS_VISIBLE | WS_VSCROLL | CBS_SORT;

// Text mode turns CR LF into LF; a CR anywhere else is dropped too, so that
// a stray one cannot cut a number in two.
static void DropCarriageReturns(char *line)
{
    char *kept = line;
    for (const char *p = line; *p; ++p) {
        if (*p != '\r')
            *kept++ = *p;
    }
    *kept = '\0';
}

// Text mode stops at Ctrl-Z; fgets hands over at most 254 bytes at a time,
// and only the first word of each piece is an entry.
static void LoadDialList()
{
    FILE *file = fopen(DialListFile, "r");
    if (!file)
        return;  // no numbers stored yet
    char line[256];
    while (fgets(line, 255, file)) {
        DropCarriageReturns(line);
        if (sscanf(line, "%s\n", DialText) == 1)
            SendMessageA(DialListBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DialText));
    }
    fclose(file);
}

void CreateDialList(HWND window, HINSTANCE instance)
{
    DialListBox = CreateWindowExA(0, "COMBOBOX", NULL, DialListStyle, 0, 0, 300, 100, window,
                                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(DialListId)), instance, NULL);
    LoadDialList();
}

void DialSelectedEntry()
{
    LRESULT index = SendMessageA(DialListBox, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR)
        return;  // nothing selected: nothing to dial
    SendMessageA(DialListBox, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(DialText));
    if (DialText[0])
        PlayDTMF(DialText, DialGapMs, PlayNoWait);
}

static bool IsEntry(const char *text)
{
    char entry[256];
    LRESULT count = SendMessageA(DialListBox, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        SendMessageA(DialListBox, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(entry));
        if (strcmp(entry, text) == 0)
            return true;
    }
    return false;
}

// Appends text and a line end; false when the number did not reach the file.
static bool AppendToDialListFile(const char *text)
{
    FILE *file = fopen(DialListFile, "a");
    if (!file)
        return false;
    bool written = fprintf(file, "%s\n", text) >= 0;
    return fclose(file) == 0 && written;
}

void SaveTypedNumber(HWND window)
{
    char text[256];
    GetWindowTextA(DialListBox, text, sizeof text);
    // Entries are never empty, so an empty field needs no comparison: most
    // mouse moves end here.
    if (!text[0] || IsEntry(text))
        return;
    bool saved = AppendToDialListFile(text);
    // Listed even when unsaved, so it can still be dialled this session and
    // the user is told only once.
    strcpy(DialText, text);
    SendMessageA(DialListBox, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(DialText));
    if (!saved)
        MessageBoxA(window, "番号を「dial_list.txt」に保存できませんでした。", "エラー", MB_OK | MB_ICONWARNING);
}
