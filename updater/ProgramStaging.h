#pragma once
// A running program file cannot be overwritten, and a user process may not ask
// for a replacement at reboot. A program update is therefore staged beside the
// program as "<program>.new" and swapped in by renames: the running file
// becomes "<program>.old" (a running image may be renamed, not replaced) and
// the staged file takes its name, so the next start runs the new build. When
// the swap cannot be made now, the staged file waits and the swap is made at
// the next start; that start also deletes the ".old" file.
#include <windows.h>
#include <string>

// Moves a checked download to "<program>.new" and swaps it in when it can; FALSE when it cannot be staged.
BOOL StageProgramUpdate(const std::string& download, const std::string& program);

// At start: deletes a left-over "<program>.old" and swaps in a waiting "<program>.new".
void FinishProgramUpdate(const std::string& program);
