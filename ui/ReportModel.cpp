#include "ReportModel.h"

#include <algorithm>
#include <utility>

namespace {

Qt::Alignment AlignmentOf(int nFormat)
{
    switch (nFormat) {
    case LVCFMT_RIGHT:
        return Qt::AlignRight | Qt::AlignVCenter;
    case LVCFMT_CENTER:
        return Qt::AlignHCenter | Qt::AlignVCenter;
    default:
        return Qt::AlignLeft | Qt::AlignVCenter;
    }
}

} // namespace

ReportModel::ReportModel(QObject* parent)
    : QAbstractTableModel(parent)
{
}

int ReportModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : RowCount();
}

int ReportModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : ColumnCount();
}

QVariant ReportModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || !IsRow(index.row()) || !IsColumn(index.column()))
        return {};
    const Row& row = m_arrRows[static_cast<size_t>(index.row())];
    const int nCol = index.column();
    switch (role) {
    case Qt::DisplayRole:
        return row.arrTexts[nCol];
    case Qt::DecorationRole: {
        const QIcon icon = ImageAt(m_arrImages, row.arrImages[nCol]);
        return icon.isNull() ? QVariant() : QVariant(icon);
    }
    case Qt::ForegroundRole:
        return row.data.arrTextColors.value(nCol);
    case Qt::BackgroundRole:
        return row.data.arrBkColors.value(nCol);
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(AlignmentOf(m_arrHeadings[nCol].nFormat));
    case Qt::ToolTipRole:
        return row.strInfoTip.isEmpty() ? QVariant() : QVariant(row.strInfoTip);
    default:
        return {};
    }
}

void ReportModel::SetInfoTip(int nRow, const QString& strTip)
{
    m_arrRows[static_cast<size_t>(nRow)].strInfoTip = strTip;
    emit dataChanged(index(nRow, 0), index(nRow, ColumnCount() - 1), {Qt::ToolTipRole});
}

QVariant ReportModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || !IsColumn(section))
        return {};
    const Heading& heading = m_arrHeadings[section];
    switch (role) {
    case Qt::DisplayRole:
        return heading.strText;
    case Qt::DecorationRole:
    case HeaderImageOnRightRole: {
        if (heading.bImageOnRight != (role == HeaderImageOnRightRole))
            return {};
        const QIcon icon = ImageAt(m_arrHeaderImages, heading.nImage);
        return icon.isNull() ? QVariant() : QVariant(icon);
    }
    case Qt::TextAlignmentRole:
        return QVariant::fromValue(AlignmentOf(heading.nFormat));
    default:
        return {};
    }
}

Qt::ItemFlags ReportModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

int ReportModel::InsertColumn(int nCol, const Heading& heading, const QColor& text, const QColor& bk)
{
    nCol = std::clamp(nCol, 0, ColumnCount());
    beginInsertColumns({}, nCol, nCol);
    m_arrHeadings.insert(nCol, heading);
    for (Row& row : m_arrRows) {
        row.arrTexts.insert(nCol, QString());
        row.arrImages.insert(nCol, -1);
        row.data.arrTextColors.insert(nCol, text);
        row.data.arrBkColors.insert(nCol, bk);
    }
    endInsertColumns();
    return nCol;
}

bool ReportModel::RemoveColumn(int nCol)
{
    if (!IsColumn(nCol))
        return false;
    beginRemoveColumns({}, nCol, nCol);
    m_arrHeadings.removeAt(nCol);
    for (Row& row : m_arrRows) {
        row.arrTexts.removeAt(nCol);
        row.arrImages.removeAt(nCol);
        if (nCol < row.data.arrTextColors.size())
            row.data.arrTextColors.removeAt(nCol);
        if (nCol < row.data.arrBkColors.size())
            row.data.arrBkColors.removeAt(nCol);
    }
    endRemoveColumns();
    return true;
}

void ReportModel::SetHeadingImage(int nCol, int nImage, bool bOnRight)
{
    m_arrHeadings[nCol].nImage = nImage;
    m_arrHeadings[nCol].bImageOnRight = m_arrHeadings[nCol].bImageOnRight || bOnRight;
    emit headerDataChanged(Qt::Horizontal, nCol, nCol);
}

int ReportModel::InsertRow(int nRow, const QString& strText, int nImage, RowData data)
{
    nRow = std::clamp(nRow, 0, RowCount());
    Row row;
    row.arrTexts.resize(ColumnCount());
    row.arrImages.fill(-1, ColumnCount());
    if (ColumnCount() > 0) {
        row.arrTexts[0] = strText;
        row.arrImages[0] = nImage;
    }
    row.data = std::move(data);
    beginInsertRows({}, nRow, nRow);
    m_arrRows.insert(m_arrRows.begin() + nRow, std::move(row));
    endInsertRows();
    return nRow;
}

void ReportModel::RemoveRow(int nRow)
{
    beginRemoveRows({}, nRow, nRow);
    m_arrRows.erase(m_arrRows.begin() + nRow);
    endRemoveRows();
}

void ReportModel::RemoveAllRows()
{
    beginResetModel();
    m_arrRows.clear();
    endResetModel();
}

void ReportModel::SetText(int nRow, int nCol, const QString& strText)
{
    QString& cell = m_arrRows[static_cast<size_t>(nRow)].arrTexts[nCol];
    if (cell == strText)
        return;
    cell = strText;
    const QModelIndex changed = index(nRow, nCol);
    emit dataChanged(changed, changed, {Qt::DisplayRole});
}

void ReportModel::SetImage(int nRow, int nCol, int nImage)
{
    m_arrRows[static_cast<size_t>(nRow)].arrImages[nCol] = nImage;
    const QModelIndex changed = index(nRow, nCol);
    emit dataChanged(changed, changed, {Qt::DecorationRole});
}

void ReportModel::ReorderRows(int nFirst, const std::vector<int>& order)
{
    const int nCount = static_cast<int>(order.size());
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);

    // newRowOf[old - nFirst] = the row the old row moves to.
    std::vector<int> newRowOf(order.size());
    std::vector<Row> moved;
    moved.reserve(order.size());
    for (int i = 0; i < nCount; ++i) {
        newRowOf[static_cast<size_t>(order[static_cast<size_t>(i)] - nFirst)] = nFirst + i;
        moved.push_back(std::move(m_arrRows[static_cast<size_t>(order[static_cast<size_t>(i)])]));
    }
    std::move(moved.begin(), moved.end(), m_arrRows.begin() + nFirst);

    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& old : before) {
        const int nRow = old.row();
        const bool bInRange = nRow >= nFirst && nRow < nFirst + nCount;
        after.append(bInRange ? index(newRowOf[static_cast<size_t>(nRow - nFirst)], old.column())
                              : old);
    }
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void ReportModel::SetImages(const QList<QIcon>& arrImages)
{
    m_arrImages = arrImages;
    if (RowCount() > 0 && ColumnCount() > 0)
        emit dataChanged(index(0, 0), index(RowCount() - 1, ColumnCount() - 1),
                         {Qt::DecorationRole});
}

void ReportModel::SetHeaderImages(const QList<QIcon>& arrImages)
{
    m_arrHeaderImages = arrImages;
    if (ColumnCount() > 0)
        emit headerDataChanged(Qt::Horizontal, 0, ColumnCount() - 1);
}

QIcon ReportModel::ImageAt(const QList<QIcon>& arrImages, int nImage) const
{
    return nImage >= 0 && nImage < arrImages.size() ? arrImages[nImage] : QIcon();
}
