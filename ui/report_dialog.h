// The program's one dialog: the report, Copy and Close.
#pragma once

#include <windows.h>

// Opens the report dialog and returns when it ends; always 0, the exit code.
int ReportMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd);

INT_PTR CALLBACK ReportDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
