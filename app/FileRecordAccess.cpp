#include "FileRecordAccess.h"

#include <cmath>

#include "FileItemInfo.h"

namespace {
constexpr int COL_SIZE = 3;
constexpr int COL_FREQUENCY = 6;
constexpr int COL_CHANNEL = 7;
} // namespace

bool FileRecordAccess::IsNumericColumn(int nCol) const
{
    return nCol == COL_SIZE || nCol == COL_FREQUENCY || nCol == COL_CHANNEL;
}

double FileRecordAccess::NumericValue(const void* pUserData, int nCol) const
{
    const auto* pInfo = static_cast<const FileItemInfo*>(pUserData);
    if (!pInfo)
        return std::nan("");
    switch (nCol) {
    case COL_SIZE:
        return pInfo->m_dSizeMB;
    case COL_FREQUENCY:
        return pInfo->m_nSampleRate;
    case COL_CHANNEL:
        return pInfo->m_nChannels;
    default:
        return std::nan("");
    }
}

bool FileRecordAccess::IsErrorRow(const void* pUserData) const
{
    const auto* pInfo = static_cast<const FileItemInfo*>(pUserData);
    return pInfo && pInfo->m_bError != 0;
}
