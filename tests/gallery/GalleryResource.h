// Resource ids of the controls gallery, shared with the controls tests that
// read the gallery's templates.
#pragma once

#define IDD_GALLERY 100
#define IDD_SHAPED 101
#define IDD_PAGE 102
#define IDD_FIXTURE 103
#define IDD_NOFONT 104
#define IDD_CHILD_FIXTURE 105

#define IDB_SHAPE 200
#define IDB_BIG 201
#define IDB_SMALL 202
#define IDB_SWAP 203
// The results list's check boxes and group glyphs, and its strings: the
// numbers the list itself loads.
#define IDB_HTML_IMAGES 281
#define IDS_HTML_IGNORE 309
#define IDS_HTML_SELECTED 310

#define IDC_ICON_BIG 300
#define IDC_ICON_SMALL 301
#define IDC_ICON_MISSING 302
#define IDC_SWAP 303
#define IDC_PAGE_TEXT 304
#define IDC_FIX_FIRST 310
#define IDC_FIX_SECOND 311
#define IDC_FIX_THIRD 312
#define IDC_FIX_FOURTH 313

// A bitmap id that the gallery does not have.
#define IDB_MISSING 299
