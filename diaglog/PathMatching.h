#pragma once
#include "afx.h"

// Text analysis shared by the registry and folder sections of the log. Every
// matcher runs in time linear in the text: registry texts can be long.

// Expands the path components that are a whole %NAME% reference; unknown
// names stay as they are. Runs of backslashes become one, and leading and
// trailing backslashes are dropped.
void ExpandEnvironmentPath(const CString& path, CString& expanded);

// TRUE when the text holds a braced class identifier anywhere, such as
// {00021401-0000-0000-C000-000000000046}.
BOOL MatchClassIdInValue(const CString& text);
// The last braced class identifier of the text, braces included; empty when
// there is none.
void ExtractClassId(const CString& text, CString& classId);

// TRUE for a file name with an extension, optionally after a drive ("C:") and
// folders, optionally followed by blanks and arguments.
BOOL MatchFilePathInValue(const CString& text);
// TRUE for a drive-qualified path to a file with an extension, and nothing
// after it.
BOOL MatchFullFilePath(const CString& text);
// The path without the blank-separated arguments that follow a file name
// with an extension; the whole text when there are none.
void StripArguments(const CString& path, CString& stripped);
