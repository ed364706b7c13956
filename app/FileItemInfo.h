#pragma once

#include <cstdint>

#include <QString>

// The record behind one row of the file list, attached to the row as its
// item data. Owned by the main window (CZARVDlg::NewRecord / FreeRecord);
// read and written on the user-interface thread only.
struct FileItemInfo
{
    // 1 when the file cannot be converted (it cannot be opened, or its
    // details are incomplete).
    int32_t m_bError = 0;
    // Format code from the extension (FORMAT_WMA), 0 for any other.
    uint8_t m_nFormat = 0;
    uint32_t m_nSampleRate = 0;
    uint32_t m_nChannels = 0;
    // Sample values: frames x channels.
    uint64_t m_nTotalSamples = 0;
    double m_dSizeMB = 0.0;
    double m_dDuration = 0.0; // seconds
    // Why the file cannot be converted, for the row's info tip and the
    // Properties view; empty while m_bError is 0.
    QString m_strError;
};
