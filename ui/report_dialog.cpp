#include "ui/report_dialog.h"

#include "probes/gather.h"
#include "report/report.h"
#include "res/resource.h"

// Gathered and shown once per run. The record and the text live only for
// this step; the text box keeps its own copy.
static void ShowReport(HWND dialog)
{
    ReportFields fields;
    GatherReportFields(fields);
    char report[ReportTextCapacity];
    ComposeReport(fields, report);
    SetDlgItemTextA(dialog, IDC_REPORT_TEXT, report);
}

// The text box copies its selection, so select all of it first; the
// selection stays afterwards.
static void CopyReport(HWND dialog)
{
    SendDlgItemMessageA(dialog, IDC_REPORT_TEXT, EM_SETSEL, 0, -1);
    SendDlgItemMessageA(dialog, IDC_REPORT_TEXT, WM_COPY, 0, 0);
}

// Returns FALSE for every message, handled or not. For WM_INITDIALOG that
// means "focus is set here" is not claimed; the dialog manager keeps its own.
INT_PTR CALLBACK ReportDialogProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    (void)lParam;
    switch (message) {
    case WM_INITDIALOG:
        ShowReport(hwnd);
        break;
    case WM_COMMAND:
        // The whole wParam is compared: only a BN_CLICKED (0) notification matches.
        // IDCANCEL (Esc) is deliberately not among them.
        if (wParam == IDC_COPY)
            CopyReport(hwnd);
        else if (wParam == IDOK)
            EndDialog(hwnd, 0);
        break;
    case WM_CLOSE:
        EndDialog(hwnd, 0);
        break;
    }
    return FALSE;
}

int ReportMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd)
{
    (void)hPrevInstance;
    (void)lpCmdLine;
    (void)nShowCmd;
    // Even a dialog that cannot be created (-1) ends the program with 0.
    DialogBoxParamA(hInstance, MAKEINTRESOURCEA(IDD_REPORT), NULL, ReportDialogProc, 0);
    return 0;
}
