// Resource ids of relvan.exe.
#pragma once

#define IDD_ABOUTBOX 100
#define IDS_ABOUTBOX 101
#define IDD_RELVAN_DIALOG 102
#define IDR_MAINFRAME 128
#define IDC_NOTICE 1000
#define IDC_STATIC_ABOUT -1
