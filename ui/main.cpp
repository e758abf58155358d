// The runtime's entry for a GUI program; the command line is not read.
#include "ui/report_dialog.h"

int WINAPI WinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, LPSTR lpCmdLine, int nShowCmd)
{
    return ReportMain(hInstance, hPrevInstance, lpCmdLine, nShowCmd);
}
