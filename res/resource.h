// Resource numbers of Keldrix.exe: dialog templates, their controls, strings,
// the tray menu, icons and bitmaps. Keldrix.rc and the code share this header;
// plain #defines only, so windres reads it too.
#pragma once

// ---------------------------------------------------------------------------
// Dialog templates
// ---------------------------------------------------------------------------
#define IDD_MAIN                121  // main window: pop-up, no caption, shaped by bitmap 179
#define IDD_SCAN_CATEGORIES     116  // page 1: scan categories and Start Scan
#define IDD_BACKUPS             114  // page 2: backups
#define IDD_STARTUP             108  // page 3: startup-program manager
#define IDD_OPTIONS             105  // page 4: settings - general
#define IDD_ABOUT               106  // page 5: about
#define IDD_STATISTICS          107  // page 6: statistics
#define IDD_IGNORE_LIST         197  // page 7: settings - ignore list
#define IDD_SCAN_RESULTS        198  // page 9: scan results
#define IDD_SCAN_PROGRESS       199  // page 8: scan progress
#define IDD_SCHEDULE            200  // page 10: settings - schedule
#define IDD_TIP_OF_DAY          314  // tip of the day (HTML dialog)
#define IDD_EMAIL_SIGNUP        320  // e-mail sign-up (HTML dialog)
#define IDD_STATS_POPUP         321  // sliding statistics pop-up (HTML dialog)
#define IDD_SCHEDULE_EDIT       330  // the weekly schedule of the scan task

// ---------------------------------------------------------------------------
// Main window (121): the nine image buttons
// ---------------------------------------------------------------------------
#define IDC_NAV_SCAN            1099
#define IDC_NAV_BACKUP          1020
#define IDC_NAV_STARTUP         1001
#define IDC_NAV_OPTIONS         1002
#define IDC_NAV_ABOUT           1005
#define IDC_NAV_STATISTICS      1262
#define IDC_HELP_BUTTON         1006
#define IDC_MINIMIZE            1275
#define IDC_HIDE                1276

// Where the main window places every page (client pixels).
#define PAGE_LEFT               211
#define PAGE_TOP                149
#define PAGE_WIDTH              574
#define PAGE_HEIGHT             451

// The title label of most pages.
#define IDC_PAGE_TITLE          1231

// ---------------------------------------------------------------------------
// Scan categories page (116)
// ---------------------------------------------------------------------------
// Category check boxes, categories 0 to 10 in this order.
#define IDC_CHECK_COMACTIVEX    1300
#define IDC_CHECK_UNINSTALL     1301
#define IDC_CHECK_FONTS         1302
#define IDC_CHECK_SHAREDDLLS    1303
#define IDC_CHECK_APPPATHS      1304
#define IDC_CHECK_HELPFILES     1305
#define IDC_CHECK_STARTUP       1306
#define IDC_CHECK_FILEPATHS     1307
#define IDC_CHECK_SHORTCUTS     1014
#define IDC_CHECK_EMPTYKEYS     1015
#define IDC_CHECK_FILEASSOC     1016
// Category labels, categories 0 to 10 (1238 + category).
#define IDC_LABEL_CATEGORY_FIRST 1238
#define IDC_LABEL_COMACTIVEX    1238
#define IDC_LABEL_UNINSTALL     1239
#define IDC_LABEL_FONTS         1240
#define IDC_LABEL_SHAREDDLLS    1241
#define IDC_LABEL_APPPATHS      1242
#define IDC_LABEL_HELPFILES     1243
#define IDC_LABEL_STARTUP       1244
#define IDC_LABEL_FILEPATHS     1245
#define IDC_LABEL_SHORTCUTS     1246
#define IDC_LABEL_EMPTYKEYS     1247
#define IDC_LABEL_FILEASSOC     1248
#define IDC_LABEL_CATEGORY_LAST 1248
#define IDC_CATEGORY_DESCRIPTION 1237
#define IDC_CATEGORY_HINT       1219
#define IDC_SCAN_INSTRUCTION    1220
#define IDC_START_SCAN          1021

// ---------------------------------------------------------------------------
// Scan progress page (199)
// ---------------------------------------------------------------------------
#define IDC_PROGRESS_STOP       1304
#define IDC_PROGRESS_BACK       1305
#define IDC_PROGRESS_NEXT       1306
// Row i (category i) uses FIRST + i of each of these four.
#define IDC_PROGRESS_NAME_FIRST   1309
#define IDC_PROGRESS_STATUS_FIRST 1320
#define IDC_PROGRESS_COUNT_FIRST  1331
#define IDC_PROGRESS_ANCHOR_FIRST 1354
#define IDC_PROGRESS_PATH       1143
#define IDC_PROGRESS_MESSAGE    1342
#define IDC_PROGRESS_STATE      1343
#define IDC_PROGRESS_TOTAL      1344
#define IDC_PROGRESS_IMAGE      1345
#define IDC_PROGRESS_BAR_ANIM   1349
#define IDC_PROGRESS_ROW_ANIM   1395

// ---------------------------------------------------------------------------
// Scan results page (198)
// ---------------------------------------------------------------------------
#define IDC_RESULTS_BACK        1296
#define IDC_RESULTS_FIX         1297
#define IDC_RESULTS_SELECT_ALL  1299
#define IDC_RESULTS_SELECT_NONE 1300
#define IDC_RESULTS_TREE        1294  // in the template, unused by the page
#define IDC_RESULTS_DETECTED    1346
#define IDC_RESULTS_STATUS      1347
#define IDC_RESULTS_COUNTER     1348
#define IDC_RESULTS_LIST        12345 // the HTML results list, created at run time
// The results list's rectangle (client pixels of the page).
#define RESULTS_LIST_LEFT       20
#define RESULTS_LIST_TOP        90
#define RESULTS_LIST_RIGHT      555
#define RESULTS_LIST_BOTTOM     370

// ---------------------------------------------------------------------------
// Backups page (114)
// ---------------------------------------------------------------------------
#define IDC_BACKUP_REMOVE       1113
#define IDC_BACKUP_LIST         1202
#define IDC_BACKUP_CAUTION      1227
#define IDC_BACKUP_RESTORE      1019
#define IDC_BACKUP_INFO_HEADING 1353

// ---------------------------------------------------------------------------
// Startup-program manager (108)
// ---------------------------------------------------------------------------
#define IDC_STARTUP_LIST        1105
#define IDC_STARTUP_REMOVE      1113
#define IDC_STARTUP_HELP        1232
#define IDC_STARTUP_TOGGLE      1114
#define IDC_STARTUP_DISABLE_ALL 1115
#define IDC_STARTUP_ENABLE_ALL  1116

// ---------------------------------------------------------------------------
// Settings pages: options (105), ignore list (197), schedule (200)
// ---------------------------------------------------------------------------
#define IDC_OPT_SHUTDOWN        1087
#define IDC_OPT_SHUTDOWN_LABEL  1234
#define IDC_OPT_SPLASH          1016
#define IDC_OPT_SPLASH_LABEL    1235
#define IDC_OPT_REPAIR          1017
#define IDC_OPT_REPAIR_LABEL    1236
#define IDC_OPT_REPAIR_WARNING  1274
#define IDC_OPT_RESTORE         1018
#define IDC_OPT_RESTORE_LABEL   1286
#define IDC_OPT_AUTOUPDATE      1014
#define IDC_OPT_AUTOUPDATE_LABEL 1352
#define IDC_OPT_CHECKPROMPT     1015
#define IDC_OPT_CHECKPROMPT_LABEL 1390
#define IDC_OPT_SHOWTIPS        1394
#define IDC_OPT_SHOWTIPS_LABEL  1392
#define IDC_OPT_SPARE_LABEL1    1288
#define IDC_OPT_SPARE_LABEL2    1289
#define IDC_OPT_UPDATE_NOW      1391
#define IDC_OPT_SCHEDULE_TAB    1287
// Tabs of the settings group.
#define IDC_TAB_OPTIONS         1298
#define IDC_TAB_IGNORE_LIST     1290
#define IDC_TAB_SCHEDULE        1366  // on the ignore-list page
#define IDC_IGNORE_LIST         1291
#define IDC_IGNORE_REMOVE       1292
#define IDC_IGNORE_TITLE        1293
#define IDC_SCHED_OPTIONS_TAB   1365
#define IDC_SCHED_SET           1366  // on the schedule page
#define IDC_SCHED_HEADING       1367
#define IDC_SCHED_NOTE          1368
#define IDC_SCHED_LIST          1108
// The weekly schedule dialog (330): a box per day, Sunday first, then the time.
#define IDC_SCHED_DAY_FIRST     1400
#define IDC_SCHED_DAY_LAST      1406
#define IDC_SCHED_HOUR          1407
#define IDC_SCHED_MINUTE        1408

// ---------------------------------------------------------------------------
// Statistics page (107): found, fixed and ignored numbers per category
// ---------------------------------------------------------------------------
#define IDC_STAT_FOUND_COMACTIVEX   1276
#define IDC_STAT_FOUND_UNINSTALL    1279
#define IDC_STAT_FOUND_FONTS        1282
#define IDC_STAT_FOUND_SHAREDDLLS   1373
#define IDC_STAT_FOUND_APPPATHS     1375
#define IDC_STAT_FOUND_HELPFILES    1377
#define IDC_STAT_FOUND_STARTUP      1378
#define IDC_STAT_FOUND_FILEPATHS    1380
#define IDC_STAT_FOUND_SHORTCUTS    1384
#define IDC_STAT_FOUND_EMPTYKEYS    1382
#define IDC_STAT_FOUND_FILEASSOC    1386
#define IDC_STAT_FIXED_COMACTIVEX   1264
#define IDC_STAT_FIXED_UNINSTALL    1265
#define IDC_STAT_FIXED_FONTS        1266
#define IDC_STAT_FIXED_SHAREDDLLS   1267
#define IDC_STAT_FIXED_APPPATHS     1268
#define IDC_STAT_FIXED_HELPFILES    1269
#define IDC_STAT_FIXED_STARTUP      1009
#define IDC_STAT_FIXED_FILEPATHS    1270
#define IDC_STAT_FIXED_SHORTCUTS    1208
#define IDC_STAT_FIXED_EMPTYKEYS    1350
#define IDC_STAT_FIXED_FILEASSOC    1351
#define IDC_STAT_IGNORED_COMACTIVEX 1369
#define IDC_STAT_IGNORED_UNINSTALL  1370
#define IDC_STAT_IGNORED_FONTS      1372
#define IDC_STAT_IGNORED_SHAREDDLLS 1374
#define IDC_STAT_IGNORED_APPPATHS   1376
#define IDC_STAT_IGNORED_HELPFILES  1388
#define IDC_STAT_IGNORED_STARTUP    1379
#define IDC_STAT_IGNORED_FILEPATHS  1381
#define IDC_STAT_IGNORED_SHORTCUTS  1385
#define IDC_STAT_IGNORED_EMPTYKEYS  1383
#define IDC_STAT_IGNORED_FILEASSOC  1387
#define IDC_STAT_LAST_SCAN          1273
#define IDC_STAT_ERRORS_FOUND       1271
#define IDC_STAT_ERRORS_CLEANED     1272

// ---------------------------------------------------------------------------
// About page (106)
// ---------------------------------------------------------------------------
#define IDC_ABOUT_HEADING       1228
#define IDC_ABOUT_VERSION       1229

// ---------------------------------------------------------------------------
// Tray menu (315) and the double-click command
// ---------------------------------------------------------------------------
#define IDR_TRAYMENU            315
#define ID_TRAY_OPEN            32788
#define ID_TRAY_STARTSCAN       32789
#define ID_TRAY_SHOWLASTSCAN    32790
#define ID_TRAY_GETUPDATES      32791
#define ID_TRAY_EXIT            32792
#define ID_TRAY_DBLCLK          1925

// ---------------------------------------------------------------------------
// Icons
// ---------------------------------------------------------------------------
#define IDI_KELDRIX             107  // the program's icon
#define IDI_TRAY_NOSCAN         320  // tray: no scan made yet
#define IDI_TRAY_ERRORS         321  // tray: problems remain
#define IDI_TRAY_CLEAN          322  // tray: scanned, nothing remains

// ---------------------------------------------------------------------------
// Bitmaps
// ---------------------------------------------------------------------------
#define IDB_MAIN_SKIN           179  // main window; black (0,0,0) is cut out

// Navigation buttons of the main window: normal, hot, pressed.
#define IDB_NAV_SCAN            225
#define IDB_NAV_SCAN_HOT        226
#define IDB_NAV_SCAN_PRESSED    215
#define IDB_NAV_BACKUP          219
#define IDB_NAV_BACKUP_HOT      220
#define IDB_NAV_BACKUP_PRESSED  221
#define IDB_NAV_STARTUP         222
#define IDB_NAV_STARTUP_HOT     223
#define IDB_NAV_STARTUP_PRESSED 224
#define IDB_NAV_OPTIONS         216
#define IDB_NAV_OPTIONS_HOT     217
#define IDB_NAV_OPTIONS_PRESSED 218
#define IDB_NAV_ABOUT           233
#define IDB_NAV_ABOUT_HOT       234  // also its pressed face
#define IDB_NAV_STATISTICS      228
#define IDB_NAV_STATISTICS_HOT  229
#define IDB_NAV_STATISTICS_PRESSED 227
#define IDB_HELP                235
#define IDB_HELP_HOT            230  // also its pressed face
#define IDB_MINIMIZE            181
#define IDB_MINIMIZE_HOT        182  // also its pressed face
#define IDB_HIDE                184
#define IDB_HIDE_HOT            185  // also its pressed face
// Faces of the navigation buttons while a scan or fix runs (disabled look).
#define IDB_NAV_OPTIONS_BUSY    271
#define IDB_NAV_BACKUP_BUSY     272
#define IDB_NAV_STARTUP_BUSY    273
#define IDB_NAV_STATISTICS_BUSY 274

// Page backgrounds, each PAGE_WIDTH x PAGE_HEIGHT.
#define IDB_BG_SCAN_CATEGORIES  244
#define IDB_BG_SCAN_PROGRESS    245
#define IDB_BG_SCAN_RESULTS     259
#define IDB_BG_BACKUPS          136
#define IDB_BG_STARTUP          140
#define IDB_BG_OPTIONS          277
#define IDB_BG_ABOUT            163
#define IDB_BG_STATISTICS       156
#define IDB_BG_IGNORE_LIST      276
#define IDB_BG_SCHEDULE         278

// Scan categories page.
#define IDB_START_SCAN          242  // normal and pressed
#define IDB_START_SCAN_HOT      243
// Scan progress and results pages.
#define IDB_NEXT                246
#define IDB_BACK_DISABLED       247
#define IDB_BACK_HOT            248
#define IDB_BACK                249  // normal and pressed
#define IDB_NEXT_DISABLED       250
#define IDB_NEXT_HOT            251
#define IDB_STOP                169  // normal and pressed
#define IDB_STOP_HOT            170
#define IDB_STATUS_FOUND        254  // a category that found problems
#define IDB_STATUS_CLEAN        255  // a category that found none
#define IDB_STATUS_SKIPPED      260  // a category that was not scanned
#define IDB_SCAN_IMAGE          257  // the image beside the progress and results headings
#define IDB_FIX_ERRORS          240
#define IDB_FIX_ERRORS_HOT      241  // also its pressed face
#define IDB_SELECT_ALL          173
#define IDB_SELECT_ALL_HOT      174
#define IDB_SELECT_NONE         175
#define IDB_SELECT_NONE_HOT     176
// The results list's check boxes and group glyphs (16 x 16 each, magenta clear).
#define IDB_LIST_IMAGES         281
// Backups page.
#define IDB_RESTORE             142
#define IDB_RESTORE_HOT         141
#define IDB_BACKUP_REMOVE       187
#define IDB_BACKUP_REMOVE_HOT   190
// Startup-program manager.
#define IDB_STARTUP_REMOVE      269
#define IDB_STARTUP_REMOVE_HOT  267
#define IDB_ENABLE_ALL          263
#define IDB_ENABLE_ALL_HOT      262
#define IDB_DISABLE_ALL         264
#define IDB_DISABLE_ALL_HOT     265
#define IDB_TOGGLE_DISABLE      266  // toggle on an enabled row
#define IDB_TOGGLE_DISABLE_HOT  261
#define IDB_TOGGLE_ENABLE       287  // toggle on a disabled row
#define IDB_TOGGLE_ENABLE_HOT   286
// Settings pages.
#define IDB_TAB_OPTIONS         252  // the "General" tab
#define IDB_TAB_OPTIONS_HOT     253
#define IDB_TAB_IGNORE_ACTIVE   193
#define IDB_TAB_IGNORE          194
#define IDB_TAB_SCHEDULE        192
#define IDB_IGNORE_REMOVE       209
#define IDB_IGNORE_REMOVE_HOT   208
#define IDB_UPDATE_NOW          282
#define IDB_UPDATE_NOW_HOT      284
#define IDB_SET_SCHEDULE        280
#define IDB_SET_SCHEDULE_HOT    275

// ---------------------------------------------------------------------------
// String table
// ---------------------------------------------------------------------------
#define IDS_PRODUCT_NAME        400  // "Keldrix": window title, mutex, settings key
#define IDS_ADMIN_REQUIRED      401
#define IDS_UPDATE_PROGRAM      402
#define IDS_UPDATE_WHITELIST    403
#define IDS_ABOUT_HEADING       404
#define IDS_ABOUT_VERSION       405  // "Version %s" and the rights notice
#define IDS_STARTUP_ENABLED     406
#define IDS_STARTUP_DISABLED    407
#define IDS_NUMBER              408  // "%1!d!"
#define IDS_RESTORE_POINT_FAILED 409
#define IDS_BACKUP_FAILED       410
// Category names, categories 0 to 10 (IDS_CATEGORY_FIRST + category).
#define IDS_CATEGORY_FIRST      420
#define IDS_CATEGORY_COMACTIVEX 420
#define IDS_CATEGORY_UNINSTALL  421
#define IDS_CATEGORY_FONTS      422
#define IDS_CATEGORY_SHAREDDLLS 423
#define IDS_CATEGORY_APPPATHS   424
#define IDS_CATEGORY_HELPFILES  425
#define IDS_CATEGORY_STARTUP    426
#define IDS_CATEGORY_FILEPATHS  427
#define IDS_CATEGORY_SHORTCUTS  428
#define IDS_CATEGORY_EMPTYKEYS  429
#define IDS_CATEGORY_FILEASSOC  430
// Category descriptions, categories 0 to 10 (IDS_DESCRIPTION_FIRST + category).
#define IDS_DESCRIPTION_FIRST   440
#define IDS_DESCRIPTION_COMACTIVEX 440
#define IDS_DESCRIPTION_UNINSTALL  441
#define IDS_DESCRIPTION_FONTS      442
#define IDS_DESCRIPTION_SHAREDDLLS 443
#define IDS_DESCRIPTION_APPPATHS   444
#define IDS_DESCRIPTION_HELPFILES  445
#define IDS_DESCRIPTION_STARTUP    446
#define IDS_DESCRIPTION_FILEPATHS  447
#define IDS_DESCRIPTION_SHORTCUTS  448
#define IDS_DESCRIPTION_EMPTYKEYS  449
#define IDS_DESCRIPTION_FILEASSOC  450
// Problem row templates of the results list (message-formatting inserts).
#define IDS_PROBLEM_COM_CLASS   460  // COM/ActiveX: App ID or CLSID
#define IDS_PROBLEM_FILE        461  // COM/ActiveX file, fonts, app paths, file paths
#define IDS_PROBLEM_UNINSTALL   462
#define IDS_PROBLEM_SHAREDDLL   463
#define IDS_PROBLEM_HELPFILE    464
#define IDS_PROBLEM_STARTUP     465
#define IDS_PROBLEM_SHORTCUT    466
#define IDS_PROBLEM_EMPTYKEY    467
#define IDS_PROBLEM_FILEASSOC   468
// Loaded by the results list itself.
#define IDS_LIST_IGNORE         309
#define IDS_LIST_SELECTED       310
// Tray tooltip of the error state.
#define IDS_TRAY_ERRORS         321
