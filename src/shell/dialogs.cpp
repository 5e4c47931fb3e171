#include "dialogs.h"

#include "../../res/resource.h"
#include "../logic/game.h"
#include "centering.h"
#include "speed.h"
#include "textcalls.h"

int8_t PendingDiscCount;
uint8_t PendingPlayMode;
int32_t PendingSpeed;
HWND SpeedScrollBar;

void CenterDialog(HWND dlg, HWND reference)
{
    int32_t screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int32_t screenHeight = GetSystemMetrics(SM_CYSCREEN);
    RECT r;
    if (reference)
        GetWindowRect(reference, &r);
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &r, 0);
    RECT d;
    GetWindowRect(dlg, &d);
    BoardPoint at = CenteredDialogPos({r.left, r.top, r.right, r.bottom},
                                      {d.left, d.top, d.right, d.bottom}, screenWidth,
                                      screenHeight);
    SetWindowPos(dlg, nullptr, at.x, at.y, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
}

// A box goes where the person looks: over the main window, at the end of its chain of
// owners, unless that is hidden or minimised (its rectangle then lies far off the
// screen, or nowhere a person sees), and then in the middle of the work area.
static HWND PlaceOfBox(HWND dlg)
{
    HWND main = dlg;
    while (HWND owner = GetWindow(main, GW_OWNER))
        main = owner;
    if (main == dlg || !IsWindowVisible(main) || IsIconic(main))
        return nullptr;
    return main;
}

// The shared behaviour of the dialogs that only show text: OK, Enter, Esc and the
// close box all end them alike.
static INT_PTR InformationDialog(HWND dlg, UINT msg, WPARAM wParam)
{
    switch (msg) {
    case WM_INITDIALOG:
        CenterDialog(dlg, PlaceOfBox(dlg));
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            EndDialog(dlg, 1);
            return TRUE;
        }
        return FALSE;
    }
    return FALSE;
}

extern "C" INT_PTR CALLBACK About(HWND dlg, UINT msg, WPARAM wParam, LPARAM)
{
    return InformationDialog(dlg, msg, wParam);
}

INT_PTR CALLBACK RulesDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM)
{
    return InformationDialog(dlg, msg, wParam);
}

INT_PTR CALLBACK RegisterDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM)
{
    return InformationDialog(dlg, msg, wParam);
}

INT_PTR CALLBACK FinishDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM)
{
    INT_PTR handled = InformationDialog(dlg, msg, wParam);
    if (msg == WM_INITDIALOG) {
        SetText1252(GetDlgItem(dlg, IDC_RESULT_TEXT), ResultText);
    }
    return handled;
}

static void CheckDiscButton(HWND dlg, int id)
{
    CheckRadioButton(dlg, IDC_DISCS_1, IDC_DISCS_9, id);
}

static void CheckModeButton(HWND dlg, int id)
{
    CheckRadioButton(dlg, IDC_AUTOMATIC, IDC_MANUAL, id);
}

static void InitOptions(HWND dlg)
{
    CenterDialog(dlg, PlaceOfBox(dlg));
    PendingPlayMode = OptPlayMode;
    PendingDiscCount = OptDiscCount;
    CheckDiscButton(dlg, IDC_DISCS_1 - 1 + PendingDiscCount);
    CheckModeButton(dlg, IDC_AUTOMATIC + PendingPlayMode);
    PendingSpeed = OptSpeed;
    SpeedScrollBar = GetDlgItem(dlg, IDC_SPEED);
    // The template's style leaves the bar out of the tab order, where the keyboard could
    // never reach it; with the focus, the bar turns its arrow, Page and Home/End keys
    // into the scroll codes of WM_HSCROLL. The same style, with the tab stop.
    SetWindowLongA(SpeedScrollBar, GWL_STYLE, WS_CHILD | WS_VISIBLE | WS_TABSTOP | SBS_HORZ);
    SetScrollRange(SpeedScrollBar, SB_CTL, FastestSpeed, SlowestSpeed, TRUE);
    SetScrollPos(SpeedScrollBar, SB_CTL, PendingSpeed, TRUE);
}

static INT_PTR OptionsCommand(HWND dlg, int id)
{
    if (id == IDOK) {
        OptPlayMode = PendingPlayMode;
        OptDiscCount = PendingDiscCount;
        OptSpeed = PendingSpeed;
        TimerInterval = static_cast<uint32_t>(PendingSpeed);
        EndDialog(dlg, 1);
        return TRUE;
    }
    if (id == IDCANCEL) {
        EndDialog(dlg, 0);
    } else if (id >= IDC_DISCS_1 && id <= IDC_DISCS_9) {
        CheckDiscButton(dlg, id);
        PendingDiscCount = static_cast<int8_t>(id - (IDC_DISCS_1 - 1));
    } else if (id == IDC_AUTOMATIC || id == IDC_MANUAL) {
        CheckModeButton(dlg, id);
        PendingPlayMode = static_cast<uint8_t>(id - IDC_AUTOMATIC);
    }
    return FALSE;
}

INT_PTR CALLBACK OptionsDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM)
{
    switch (msg) {
    case WM_INITDIALOG:
        InitOptions(dlg);
        return TRUE;
    case WM_COMMAND:
        return OptionsCommand(dlg, LOWORD(wParam));
    case WM_HSCROLL:
        PendingSpeed = StepSpeed(PendingSpeed, LOWORD(wParam),
                                 HIWORD(wParam));
        SetScrollPos(SpeedScrollBar, SB_CTL, PendingSpeed, TRUE);
        return FALSE;
    }
    return FALSE;
}
