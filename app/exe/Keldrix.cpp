// Keldrix.exe: the class library's entry point runs the application object,
// which lives with the rest of the program in the app library.
#include "CRegistryCleanerApp.h"

// Names the application object so that the linker takes it from the library.
extern CWinApp* const g_pKeldrixApp;
CWinApp* const g_pKeldrixApp = &theApp;
