#include "ReportCtrl.h"

#include <algorithm>
#include <cstring>
#include <numeric>
#include <vector>

#include "ReportHeader.h"
#include "ReportModel.h"
#include "UiGlobals.h"

namespace {

constexpr int kMaxSortKeys = 6;

int CompareBytes(const QByteArray& a, const QByteArray& b)
{
    const size_t nCommon = static_cast<size_t>(std::min(a.size(), b.size()));
    const int nResult = std::memcmp(a.constData(), b.constData(), nCommon);
    if (nResult != 0)
        return nResult < 0 ? -1 : 1;
    return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Hoare's partition around the middle row. Each row is always compared
// with the same pivot, so the scans stay inside the range even when the
// comparison is not transitive.
template <class Compare>
void QuickSort(std::vector<int>& idx, int lo, int hi, bool bAscending, const Compare& compare)
{
    const int nSign = bAscending ? 1 : -1;
    while (lo < hi) {
        const int nPivot = idx[static_cast<size_t>((lo + hi) / 2)];
        int i = lo;
        int j = hi;
        while (i <= j) {
            while (nSign * compare(idx[static_cast<size_t>(i)], nPivot) < 0)
                ++i;
            while (nSign * compare(idx[static_cast<size_t>(j)], nPivot) > 0)
                --j;
            if (i <= j) {
                if (i != j)
                    std::swap(idx[static_cast<size_t>(i)], idx[static_cast<size_t>(j)]);
                ++i;
                --j;
            }
        }
        // The two parts are disjoint, so which one is sorted first does not
        // change the result; recursing into the smaller bounds the depth.
        if (j - lo < hi - i) {
            QuickSort(idx, lo, j, bAscending, compare);
            lo = i;
        } else {
            QuickSort(idx, i, hi, bAscending, compare);
            hi = j;
        }
    }
}

} // namespace

void CReportCtrl::OnColumnClick(int nCol)
{
    int bAscending = 1;
    for (qsizetype nKey = 0; nKey < m_arrSortInfo.size(); ++nKey) {
        if (m_arrSortInfo[nKey].nCol == nCol) {
            bAscending = m_arrSortInfo[nKey].bAscending;
            if (nKey == 0)
                bAscending = bAscending ? 0 : 1;
            m_arrSortInfo.removeAt(nKey);
            break;
        }
    }
    m_arrSortInfo.prepend({nCol, bAscending});
    while (m_arrSortInfo.size() > kMaxSortKeys)
        m_arrSortInfo.removeLast();
    EndEdit(true);
    if (m_pModel->IsColumn(nCol) && IsSortable())
        SortItems(0, GetItemCount() - 1, true);
}

void CReportCtrl::SortItems(int nFirst, int nLast, bool bHighlightSortColumn)
{
    g_bListBusy = 1;
    SetRedraw(false);
    if (!m_arrSortInfo.isEmpty()) {
        const ColumnSortInfo key = m_arrSortInfo.first();
        SortRange(nFirst, nLast, key.nCol, key.bAscending != 0);
        m_pNotifyWnd.PostMessage(WM_LIST_SORTED, static_cast<WPARAM>(key.nCol), key.bAscending);
    }
    ApplyRowColors(bHighlightSortColumn);
    g_bListBusy = 0;
}

bool CReportCtrl::SortRange(int nFirst, int nLast, int nCol, bool bAscending)
{
    if (nFirst < 0 || nFirst >= nLast || nLast >= GetItemCount())
        return false;
    std::vector<int> idx(static_cast<size_t>(nLast - nFirst + 1));
    std::iota(idx.begin(), idx.end(), nFirst);
    QuickSort(idx, 0, static_cast<int>(idx.size()) - 1, bAscending,
              [&](int nRowA, int nRowB) { return CompareRows(nRowA, nRowB, nCol, 0); });
    m_pModel->ReorderRows(nFirst, idx);
    return true;
}

int CReportCtrl::CompareRows(int nRowA, int nRowB, int nCol, int nKeyIndex) const
{
    int nResult = 0;
    if (!m_pModel->IsColumn(nCol)) {
        nResult = 0;
    } else if (m_pRecordAccess && m_pRecordAccess->IsNumericColumn(nCol)) {
        const double dA = m_pRecordAccess->NumericValue(GetItemData(nRowA), nCol);
        const double dB = m_pRecordAccess->NumericValue(GetItemData(nRowB), nCol);
        nResult = dA < dB ? -1 : dA > dB ? 1 : 0;
    } else {
        nResult = CompareBytes(m_pModel->GetText(nRowA, nCol).toUtf8(),
                               m_pModel->GetText(nRowB, nCol).toUtf8());
    }
    if (nResult == 0 && nKeyIndex < m_arrSortInfo.size() - 1)
        return CompareRows(nRowA, nRowB, m_arrSortInfo[nKeyIndex + 1].nCol, nKeyIndex + 1);
    return nResult;
}
