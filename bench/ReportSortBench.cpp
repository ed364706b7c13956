// Fills the report list with 10 000 rows of the file list's eight columns and
// sorts it by Name, then by Size(MB), beside a plain QTreeWidget filled and
// sorted with its own sort in the same run.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <deque>
#include <random>
#include <vector>

#include <QApplication>
#include <QStringList>
#include <QTreeWidget>

#include "ReportCtrl.h"

namespace {

constexpr int kRows = 10000;
constexpr int kColumns = 8;

struct BenchRecord
{
    double dSizeMB = 0;
    unsigned nSampleRate = 0;
    unsigned nChannels = 0;
};

class BenchRecordAccess : public ReportRecordAccess
{
public:
    bool IsNumericColumn(int nCol) const override { return nCol == 3 || nCol == 6 || nCol == 7; }
    double NumericValue(const void* pUserData, int nCol) const override
    {
        const auto* record = static_cast<const BenchRecord*>(pUserData);
        return nCol == 3 ? record->dSizeMB : nCol == 6 ? record->nSampleRate : record->nChannels;
    }
    bool IsErrorRow(const void*) const override { return false; }
};

struct Row
{
    QStringList texts;
    BenchRecord record;
};

std::vector<Row> MakeRows()
{
    std::mt19937 random(20240611);
    const unsigned rates[] = {8000, 11025, 16000, 22050, 32000, 44100, 48000};
    const char* words[] = {"Intro", "alpha", "Zeta", "mix", "Live", "demo", "take", "Remaster"};
    std::vector<Row> rows(kRows);
    for (int i = 0; i < kRows; ++i) {
        Row& row = rows[static_cast<size_t>(i)];
        row.record.dSizeMB = static_cast<double>(random() % 200000) / 1000.0;
        row.record.nSampleRate = rates[random() % 7];
        row.record.nChannels = 1 + random() % 2;
        const int nSeconds = static_cast<int>(random() % 3600);
        row.texts = {
            QStringLiteral("%1 %2 %3.wma")
                .arg(QString::fromUtf8(words[random() % 8]))
                .arg(random() % 1000)
                .arg(QString::fromUtf8(words[random() % 8])),
            QStringLiteral("/home/user/Music/Album %1/").arg(random() % 300),
            QStringLiteral("WMA"),
            QString::asprintf("%.2f", row.record.dSizeMB),
            QStringLiteral("2023/%1/%2 12:00:00").arg(1 + random() % 12, 2, 10, QLatin1Char('0'))
                .arg(1 + random() % 28, 2, 10, QLatin1Char('0')),
            QString::asprintf("%02d:%02d:%02d", nSeconds / 3600, nSeconds % 3600 / 60, nSeconds % 60),
            QStringLiteral("%1 Hz").arg(row.record.nSampleRate),
            row.record.nChannels == 1 ? QStringLiteral("1 (Mono)") : QStringLiteral("2 (Stereo)"),
        };
    }
    return rows;
}

double MsSince(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

void Report(const char* what, double dFillMs, double dNameMs, double dSizeMs)
{
    std::printf("%-12s fill %8.1f ms (%9.0f rows/s)   sort by Name %7.1f ms   by Size %7.1f ms\n",
                what, dFillMs, kRows / (dFillMs / 1000.0), dNameMs, dSizeMs);
}

void BenchReportCtrl(std::vector<Row>& rows)
{
    const QStringList headings = {"Name", "Path", "Type", "Size(MB)", "Last Modified",
                                  "Duration", "Frequency", "Channel"};
    BenchRecordAccess access;
    CReportCtrl list;
    list.SetRecordAccess(&access);
    for (int nCol = 0; nCol < kColumns; ++nCol)
        list.InsertColumn(nCol, headings[nCol], LVCFMT_LEFT, 100);
    list.resize(1000, 700);
    list.show();
    QApplication::processEvents();

    auto start = std::chrono::steady_clock::now();
    for (Row& row : rows) {
        const int nRow = list.InsertItem(list.GetItemCount());
        list.SetItemData(nRow, &row.record);
        for (int nCol = 0; nCol < kColumns; ++nCol)
            list.SetItemText(nRow, nCol, row.texts[nCol]);
    }
    QApplication::processEvents();
    const double dFillMs = MsSince(start);

    start = std::chrono::steady_clock::now();
    list.m_arrSortInfo = {{0, 1}};
    list.SortItems(0, list.GetItemCount() - 1, true);
    QApplication::processEvents();
    const double dNameMs = MsSince(start);

    start = std::chrono::steady_clock::now();
    list.m_arrSortInfo = {{3, 1}, {0, 1}};
    list.SortItems(0, list.GetItemCount() - 1, true);
    QApplication::processEvents();
    const double dSizeMs = MsSince(start);
    Report("CReportCtrl", dFillMs, dNameMs, dSizeMs);
}

void BenchTreeWidget(const std::vector<Row>& rows)
{
    QTreeWidget tree;
    tree.setColumnCount(kColumns);
    tree.setRootIsDecorated(false);
    tree.setUniformRowHeights(true);
    tree.resize(1000, 700);
    tree.show();
    QApplication::processEvents();

    auto start = std::chrono::steady_clock::now();
    for (const Row& row : rows) {
        auto* item = new QTreeWidgetItem(&tree);
        for (int nCol = 0; nCol < kColumns; ++nCol)
            item->setText(nCol, row.texts[nCol]);
    }
    QApplication::processEvents();
    const double dFillMs = MsSince(start);

    start = std::chrono::steady_clock::now();
    tree.sortItems(0, Qt::AscendingOrder);
    QApplication::processEvents();
    const double dNameMs = MsSince(start);

    start = std::chrono::steady_clock::now();
    tree.sortItems(3, Qt::AscendingOrder);
    QApplication::processEvents();
    const double dSizeMs = MsSince(start);
    Report("QTreeWidget", dFillMs, dNameMs, dSizeMs);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    std::vector<Row> rows = MakeRows();
    std::printf("%d rows of %d columns, offscreen\n", kRows, kColumns);
    BenchReportCtrl(rows);
    BenchTreeWidget(rows);
    return 0;
}
