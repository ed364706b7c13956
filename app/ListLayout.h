#pragma once

#include <QByteArray>
#include <QList>

#include "ReportTypes.h"

// The file list's layout as stored under "FileList": "Column" holds one
// 8-byte record per column (visible flag, width), "SortEx" one per sort key
// (column, ascending flag), all little-endian 32-bit integers.
namespace ListLayout {

struct ColumnRecord
{
    bool bVisible = true;
    int nWidth = 0;
};

QByteArray EncodeColumns(const QList<ColumnRecord>& arrColumns);
QByteArray EncodeSortKeys(const QList<ColumnSortInfo>& arrKeys);

// The records present, at most nColumns; a trailing partial record is
// ignored. A negative width counts as absent (the caller's default).
QList<ColumnRecord> DecodeColumns(const QByteArray& value, int nColumns);

// The keys in stored order, with a trailing partial record ignored and
// every key the list could not hold dropped: a column outside 0..nColumns-1,
// a column named before, any key past the sixth. Never empty: with no usable
// key, the single key (column 0, ascending).
QList<ColumnSortInfo> DecodeSortKeys(const QByteArray& value, int nColumns);

constexpr int kMaxSortKeys = 6;

} // namespace ListLayout
