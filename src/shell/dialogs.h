// The five modal dialogs and the centring every one of them does when it opens.
#pragma once

#include <windows.h>

#include <cstdint>

#include "exports.h"

extern int8_t PendingDiscCount;
extern uint8_t PendingPlayMode;
extern int32_t PendingSpeed;
extern HWND SpeedScrollBar;

extern "C" EXPORTED_FUNCTION INT_PTR CALLBACK About(HWND dlg, UINT msg, WPARAM wParam,
                                                   LPARAM lParam);
INT_PTR CALLBACK RulesDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RegisterDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FinishDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OptionsDlgProc(HWND dlg, UINT msg, WPARAM wParam, LPARAM lParam);

// Centres the dialog over the reference window, or over the work area when there is
// none, and keeps it on the screen.
void CenterDialog(HWND dlg, HWND reference);
