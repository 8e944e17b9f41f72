#include "ProgramStaging.h"

namespace {

// The swap of a staged file into the program's name; the old file is put back on failure.
BOOL SwapInStagedProgram(const std::string& program)
{
    const std::string staged = program + ".new", old = program + ".old";
    if (GetFileAttributesA(staged.c_str()) == INVALID_FILE_ATTRIBUTES)
        return FALSE;
    if (!MoveFileExA(program.c_str(), old.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return FALSE;
    if (!MoveFileExA(staged.c_str(), program.c_str(), MOVEFILE_WRITE_THROUGH)) {
        MoveFileExA(old.c_str(), program.c_str(), MOVEFILE_WRITE_THROUGH);
        return FALSE;
    }
    return TRUE;
}

}  // namespace

BOOL StageProgramUpdate(const std::string& download, const std::string& program)
{
    const std::string staged = program + ".new";
    if (!MoveFileExA(download.c_str(), staged.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return FALSE;
    SwapInStagedProgram(program);
    return TRUE;
}

void FinishProgramUpdate(const std::string& program)
{
    DeleteFileA((program + ".old").c_str());
    SwapInStagedProgram(program);
}
