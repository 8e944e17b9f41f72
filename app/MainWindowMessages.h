#pragma once
#include <windows.h>

// Messages of the main window, from other windows and from a second start.
#define WM_APP_RUN_SCAN (WM_APP + 1)      // arms the scan timer unless a scan or fix runs
#define WM_APP_SHOW_MAIN (WM_APP + 2)     // shows the window (page 1 when it was hidden)
#define WM_APP_SET_HIDDEN (WM_APP + 4)    // started-hidden flag := (lParam != 0)
#define WM_TRAY_NOTIFY (WM_USER + 900)    // tray: from the shell, and the command to the main window
#define WM_TRAY_MENU (WM_USER + 902)      // sent to the main window before the tray menu opens
#define WM_AU_STATUS (WM_USER + 266)      // the updater library's status

// The tray's command for a double-click on the icon.
#define ID_TRAY_DBLCLK 1925

// Timers of the main window.
#define TIMER_SCHEDULED_SCAN 200
#define TIMER_TIP_OF_DAY 700
#define TIMER_EMAIL_PROMPT 701
