// Identifiers shared by the resources and the code.
#pragma once

// The system's button identifiers, for the resource compiler, which sees no windows.h.
#ifndef IDOK
#define IDOK 1
#define IDCANCEL 2
#endif

// Menu commands
#define IDM_ABOUT 100
#define IDM_NEWGAME 101
#define IDM_RULES 102
#define IDM_EXIT 103
#define IDM_OPTIONS 104
#define IDM_REGISTER 105

// Dialog controls
#define IDC_DISCS_1 1000
#define IDC_DISCS_9 1008
#define IDC_RESULT_TEXT 1011
#define IDC_SPEED 1012
#define IDC_AUTOMATIC 1020
#define IDC_MANUAL 1021

#define IDI_TOLMAR 101
