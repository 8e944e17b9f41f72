// Keldrix.exe: the class library's entry point runs the application object,
// which lives with the rest of the program in the app library.
#include "CRegistryCleanerApp.h"
#include "INtDll.h"

// Name the application object and the ntdll look-up, so that the linker takes
// them (and their static initialisation) from the library.
extern CWinApp* const g_pKeldrixApp;
CWinApp* const g_pKeldrixApp = &theApp;
extern const BOOL* const g_pNtDllLoaded;
const BOOL* const g_pNtDllLoaded = &INtDll::s_functionsLoaded;
