#include "ListLayout.h"

#include <algorithm>

#include <QtEndian>

namespace ListLayout {

namespace {

constexpr int kRecordSize = 8;

void AppendInt(QByteArray& out, int32_t value)
{
    char bytes[4];
    qToLittleEndian(value, bytes);
    out.append(bytes, 4);
}

int32_t IntAt(const QByteArray& value, int offset)
{
    return qFromLittleEndian<int32_t>(value.constData() + offset);
}

} // namespace

QByteArray EncodeColumns(const QList<ColumnRecord>& arrColumns)
{
    QByteArray out;
    for (const ColumnRecord& column : arrColumns) {
        AppendInt(out, column.bVisible ? 1 : 0);
        AppendInt(out, column.nWidth);
    }
    return out;
}

QByteArray EncodeSortKeys(const QList<ColumnSortInfo>& arrKeys)
{
    QByteArray out;
    for (const ColumnSortInfo& key : arrKeys) {
        AppendInt(out, key.nCol);
        AppendInt(out, key.bAscending);
    }
    return out;
}

QList<ColumnRecord> DecodeColumns(const QByteArray& value, int nColumns)
{
    QList<ColumnRecord> records;
    for (int i = 0; i < nColumns && (i + 1) * kRecordSize <= value.size(); ++i) {
        const int32_t width = IntAt(value, i * kRecordSize + 4);
        records.append({IntAt(value, i * kRecordSize) != 0, width});
    }
    return records;
}

QList<ColumnSortInfo> DecodeSortKeys(const QByteArray& value, int nColumns)
{
    QList<ColumnSortInfo> keys;
    for (int offset = 0; offset + kRecordSize <= value.size() && keys.size() < kMaxSortKeys;
         offset += kRecordSize) {
        const int32_t col = IntAt(value, offset);
        if (col < 0 || col >= nColumns)
            continue;
        const bool bSeen = std::any_of(keys.cbegin(), keys.cend(),
                                       [col](const ColumnSortInfo& key) { return key.nCol == col; });
        if (bSeen)
            continue;
        keys.append({col, IntAt(value, offset + 4) != 0 ? 1 : 0});
    }
    if (keys.isEmpty())
        keys.append({0, 1});
    return keys;
}

} // namespace ListLayout
