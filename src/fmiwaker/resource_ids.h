// Ids shared by the resource script and the code.
#pragma once

#define IDI_MAINICON 1
#define IDI_FORMICON 2
#define IDM_MAINMENU 1

#define IDM_KN1 201
#define IDM_K2 202
#define IDM_K3 203
#define IDM_DELETE1 204
#define IDM_P2 205
#define IDM_N3 206
#define IDM_EXIT1 207
#define IDM_K1 208
#define IDM_KH2 209
#define IDM_KA1 210
