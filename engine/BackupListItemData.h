#pragma once
#include "afx.h"

// One backup as the backup list shows it: the base name that its .reg file,
// rename log and shortcut folder share, and the creation time of the file
// that made the row.
struct BackupListItemData {
    CString name;
    CString sortKey;   // local time "%Y%m%d%H%M%S"; the date column sorts by it
    CString dateText;  // local time "%B %d, %Y (%H:%M:%S)", the date column's text
};
