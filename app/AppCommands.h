#pragma once

// Command ids of the main window. A command's prompt is the string with the
// same id (AppStrings.h); a toolbar button's tooltip is its prompt.
enum : unsigned {
    ID_ABOUTBOX = 16,
    ID_FILE_OPEN_ITEM = 32780,
    ID_REMOVE_SELECTED = 32788,
    ID_REMOVE_ALL = 32795,
    ID_SELECT_ALL = 32823,
    ID_RENAME = 32853,
    ID_PROPERTIES = 32855,
    ID_ADD_FILES = 32861,
    ID_APP_EXIT = 32869,
    ID_CONVERT_SELECTED = 32873,
    ID_CONVERT_LIST = 32874,
    ID_OPTIONS = 32875,
    ID_ABOUT = 32889,
};

// String ids that are not command prompts.
enum : unsigned {
    IDS_ABOUTBOX = 101,
};

// Resource ids of the main window.
enum : int {
    IDD_ZARV_DIALOG = 102,
    IDD_PROCESSING = 157,
    IDR_ACCELERATOR = 155,
    IDR_LIST_MENU = 143,
    IDR_MAINFRAME = 128,
    IDC_FILE_LIST = 1003,
    IDC_PROCESSING_BAR = 1054,
    IDC_PROCESSING_CANCEL = 3,
    AFX_IDW_TOOLBAR = 0xE800,
    AFX_IDW_STATUS_BAR = 0xE801,
    AFX_IDW_REBAR = 0xE804,
};
