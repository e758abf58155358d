// The start-up baseline for dunlo.exe: the same dialog template, shown the
// same way, with a procedure that gathers nothing. What dunlo takes beyond
// this is the cost of its probes and of the DLLs they bring in.
#include <windows.h>

#include "res/resource.h"

static INT_PTR CALLBACK BareDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_COMMAND:
        if (wParam == IDOK)
            EndDialog(hwnd, 0);
        break;
    case WM_CLOSE:
        EndDialog(hwnd, 0);
        break;
    }
    return FALSE;
}

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd)
{
    (void)hPrevInstance;
    (void)lpCmdLine;
    (void)nShowCmd;
    DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_REPORT), NULL, BareDialogProc, 0);
    return 0;
}
