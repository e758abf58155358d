// Drives the report dialog from outside, as a person at the screen would,
// and reads the clipboard the way a Windows program does (CF_TEXT, bytes as
// they are). One command per run; exit 0 on success, 1 on a negative answer,
// 2 on misuse or a dialog that does not answer.
//
//   wait-window SECONDS   wait until the dialog is open
//   wait-gone SECONDS     wait until it has closed
//   is-open               exit 0 while the dialog is open
//   get-text              print the report box's text
//   click ID              press a button (BM_CLICK)
//   command WPARAM        send WM_COMMAND with this wParam (hex), from the control in its low word
//   close-command         the window's close command (the caption box, Alt+F4)
//   clipboard             print the clipboard's CF_TEXT
//   set-clipboard TEXT    put TEXT on the clipboard
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static const char DialogTitle[] = "Quorvane Diagnostic Tool";
static const UINT AnswerTimeoutMs = 5000;

static HWND FindDialog() { return FindWindowA("#32770", DialogTitle); }

static bool WaitFor(bool open, double seconds)
{
    for (DWORD waited = 0; waited <= seconds * 1000; waited += 100) {
        if ((FindDialog() != NULL) == open)
            return true;
        Sleep(100);
    }
    return false;
}

static bool Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* result)
{
    return SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, AnswerTimeoutMs, result) != 0;
}

static void PrintBytes(const char* text)
{
    _setmode(_fileno(stdout), _O_BINARY);
    fwrite(text, 1, strlen(text), stdout);
}

static int GetReportText(HWND dialog)
{
    HWND box = GetDlgItem(dialog, 1000);
    DWORD_PTR length = 0;
    if (box == NULL || !Send(box, WM_GETTEXTLENGTH, 0, 0, &length))
        return 2;
    static char text[65536];
    DWORD_PTR copied = 0;
    if (length >= sizeof text || !Send(box, WM_GETTEXT, sizeof text, reinterpret_cast<LPARAM>(text), &copied))
        return 2;
    PrintBytes(text);
    return 0;
}

static int PrintClipboard()
{
    if (!OpenClipboard(NULL))
        return 2;
    int status = 1;
    HANDLE data = GetClipboardData(CF_TEXT);
    if (data != NULL) {
        const char* text = static_cast<const char*>(GlobalLock(data));
        if (text != NULL) {
            PrintBytes(text);
            GlobalUnlock(data);
            status = 0;
        }
    }
    CloseClipboard();
    return status;
}

static int SetClipboard(const char* text)
{
    const size_t size = strlen(text) + 1;
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, size);
    if (memory == NULL)
        return 2;
    memcpy(GlobalLock(memory), text, size);
    GlobalUnlock(memory);
    if (!OpenClipboard(NULL)) {
        GlobalFree(memory);
        return 2;
    }
    EmptyClipboard();
    const bool placed = SetClipboardData(CF_TEXT, memory) != NULL;  // the clipboard owns it now
    CloseClipboard();
    if (!placed)
        GlobalFree(memory);
    return placed ? 0 : 2;
}

int main(int argc, char** argv)
{
    if (argc < 2)
        return 2;
    const char* command = argv[1];
    const char* argument = argc > 2 ? argv[2] : "";

    if (strcmp(command, "wait-window") == 0)
        return WaitFor(true, atof(argument)) ? 0 : 1;
    if (strcmp(command, "wait-gone") == 0)
        return WaitFor(false, atof(argument)) ? 0 : 1;
    if (strcmp(command, "clipboard") == 0)
        return PrintClipboard();
    if (strcmp(command, "set-clipboard") == 0)
        return SetClipboard(argument);

    HWND dialog = FindDialog();
    if (strcmp(command, "is-open") == 0)
        return dialog != NULL ? 0 : 1;
    if (dialog == NULL)
        return 2;

    DWORD_PTR result = 0;
    if (strcmp(command, "get-text") == 0)
        return GetReportText(dialog);
    if (strcmp(command, "click") == 0) {
        HWND button = GetDlgItem(dialog, atoi(argument));
        return button != NULL && Send(button, BM_CLICK, 0, 0, &result) ? 0 : 2;
    }
    if (strcmp(command, "command") == 0) {
        const WPARAM wParam = strtoul(argument, NULL, 16);
        HWND control = GetDlgItem(dialog, LOWORD(wParam));
        return Send(dialog, WM_COMMAND, wParam, reinterpret_cast<LPARAM>(control), &result) ? 0 : 2;
    }
    if (strcmp(command, "close-command") == 0)
        return PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 2;
    return 2;
}
