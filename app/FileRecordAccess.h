#pragma once

#include "ReportRecordAccess.h"

// How the file list sorts and colours rows by their FileItemInfo: "Size(MB)"
// by m_dSizeMB, "Frequency" by m_nSampleRate, "Channel" by m_nChannels, and
// unusable rows with the error background.
class FileRecordAccess : public ReportRecordAccess
{
public:
    bool IsNumericColumn(int nCol) const override;
    double NumericValue(const void* pUserData, int nCol) const override;
    bool IsErrorRow(const void* pUserData) const override;
};
