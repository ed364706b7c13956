#pragma once

#include <vector>

#include <QAbstractTableModel>
#include <QIcon>
#include <QList>
#include <QString>

#include "ReportTypes.h"

// The cells behind CReportCtrl: per row the cell texts and images, the
// RowData (owner's item data and cell colours) and the check state; per
// column the heading. Rows are addressed by index only.
class ReportModel : public QAbstractTableModel
{
    Q_OBJECT

public:
    struct Heading
    {
        QString strText;
        int nFormat = LVCFMT_LEFT;
        int nImage = -1;
        // Once set, the image stays to the right of the text.
        bool bImageOnRight = false;
    };

    // Header data: a heading's image that goes to the right of its text.
    // Qt's own decoration role carries only images on the left.
    static constexpr int HeaderImageOnRightRole = Qt::UserRole + 1;

    explicit ReportModel(QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    // Inserts a column (clamped to the end) with the given cell colours in
    // every row; returns its index.
    int InsertColumn(int nCol, const Heading& heading, const QColor& text, const QColor& bk);
    bool RemoveColumn(int nCol);
    const Heading& GetHeading(int nCol) const { return m_arrHeadings[nCol]; }
    void SetHeadingImage(int nCol, int nImage, bool bOnRight);

    // Inserts a row (clamped to the end) with its first cell's text and image.
    int InsertRow(int nRow, const QString& strText, int nImage, RowData data);
    void RemoveRow(int nRow);
    void RemoveAllRows();

    bool IsRow(int nRow) const { return nRow >= 0 && nRow < RowCount(); }
    bool IsColumn(int nCol) const { return nCol >= 0 && nCol < ColumnCount(); }
    int RowCount() const { return static_cast<int>(m_arrRows.size()); }
    int ColumnCount() const { return static_cast<int>(m_arrHeadings.size()); }

    const QString& GetText(int nRow, int nCol) const { return m_arrRows[nRow].arrTexts[nCol]; }
    void SetText(int nRow, int nCol, const QString& strText);
    int GetImage(int nRow, int nCol) const { return m_arrRows[nRow].arrImages[nCol]; }
    void SetImage(int nRow, int nCol, int nImage);
    // The row's info tip, shown over any of its cells; empty for none.
    const QString& GetInfoTip(int nRow) const { return m_arrRows[nRow].strInfoTip; }
    void SetInfoTip(int nRow, const QString& strTip);
    bool IsChecked(int nRow) const { return m_arrRows[nRow].bChecked; }
    void SetChecked(int nRow, bool bChecked) { m_arrRows[nRow].bChecked = bChecked; }
    RowData& GetRowData(int nRow) { return m_arrRows[nRow].data; }
    const RowData& GetRowData(int nRow) const { return m_arrRows[nRow].data; }

    // Puts the rows order[0], order[1], ... (row indices within the range)
    // into rows nFirst, nFirst + 1, ... Everything of a row moves with it,
    // and so do the views' selection and current row.
    void ReorderRows(int nFirst, const std::vector<int>& order);

    void SetImages(const QList<QIcon>& arrImages);
    const QList<QIcon>& GetImages() const { return m_arrImages; }
    void SetHeaderImages(const QList<QIcon>& arrImages);
    const QList<QIcon>& GetHeaderImages() const { return m_arrHeaderImages; }

private:
    struct Row
    {
        QList<QString> arrTexts;
        QList<int> arrImages;
        QString strInfoTip;
        RowData data;
        bool bChecked = false;
    };

    QIcon ImageAt(const QList<QIcon>& arrImages, int nImage) const;

    QList<Heading> m_arrHeadings;
    std::vector<Row> m_arrRows;
    QList<QIcon> m_arrImages;
    QList<QIcon> m_arrHeaderImages;
};
