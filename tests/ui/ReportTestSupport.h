#pragma once

#include <cmath>
#include <deque>
#include <functional>
#include <memory>

#include <QCoreApplication>
#include <QList>
#include <QStringList>
#include <QTest>

#include <gtest/gtest.h>

#include "ReportCtrl.h"
#include "UiGlobals.h"
#include "WindowMessage.h"

// The row record a test attaches as item data, numbered like the file list's.
struct TestRecord
{
    bool bError = false;
    double dSizeMB = 0;
    unsigned nSampleRate = 0;
    unsigned nChannels = 0;
};

class TestRecordAccess : public ReportRecordAccess
{
public:
    bool IsNumericColumn(int nCol) const override { return nCol == 3 || nCol == 6 || nCol == 7; }

    double NumericValue(const void* pUserData, int nCol) const override
    {
        busySeen.push_back(g_bListBusy.load());
        const auto* record = static_cast<const TestRecord*>(pUserData);
        if (!record)
            return std::nan("");
        return nCol == 3 ? record->dSizeMB : nCol == 6 ? record->nSampleRate : record->nChannels;
    }

    bool IsErrorRow(const void* pUserData) const override
    {
        const auto* record = static_cast<const TestRecord*>(pUserData);
        return record && record->bError;
    }

    mutable std::vector<int> busySeen;
};

// Stands in for the list's owner and records what the list tells it.
class RecordingWindow : public MessageReceiver
{
public:
    struct Message
    {
        UINT message = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        ReportCell cell;
    };

    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                            std::unique_ptr<MessagePayload>&) override
    {
        Message record{message, wParam, lParam, {}};
        if (message == WM_LIST_EDITCOMMITTED)
            record.cell = *reinterpret_cast<const ReportCell*>(wParam);
        messages.append(record);
        if (message == WM_LIST_EDITCOMMITTED && onEditCommitted)
            onEditCommitted(record.cell);
        return 0;
    }

    int Count(UINT message) const
    {
        return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                              [&](const Message& m) { return m.message == message; }));
    }

    QList<Message> messages;
    std::function<void(const ReportCell&)> onEditCommitted;
};

// A shown list with the file list's eight columns and an owner.
class ReportListTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        const QStringList headings = {"Name", "Path", "Type", "Size(MB)", "Last Modified",
                                      "Duration", "Frequency", "Channel"};
        const int widths[] = {150, 150, 65, 85, 120, 88, 96, 88};
        for (int nCol = 0; nCol < headings.size(); ++nCol)
            list.InsertColumn(nCol, headings[nCol], nCol < 2 ? LVCFMT_LEFT : LVCFMT_RIGHT,
                              widths[nCol]);
        list.m_pNotifyWnd = owner.Target();
        list.SetRecordAccess(&access);
        list.resize(600, 300);
        list.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&list));
    }

    // Appends a row with the given texts, from column 0 on, and a record.
    int AddRow(const QStringList& texts, const TestRecord& record = {})
    {
        records.push_back(record);
        const int nRow = list.InsertItem(list.GetItemCount(), texts.value(0), -1, &records.back());
        for (int nCol = 1; nCol < texts.size(); ++nCol)
            list.SetItemText(nRow, nCol, texts[nCol]);
        return nRow;
    }

    QStringList ColumnTexts(int nCol) const
    {
        QStringList texts;
        for (int nRow = 0; nRow < list.GetItemCount(); ++nRow)
            texts.append(list.GetItemText(nRow, nCol));
        return texts;
    }

    static void DeliverPosted() { QCoreApplication::sendPostedEvents(); }

    RecordingWindow owner;
    TestRecordAccess access;
    std::deque<TestRecord> records;
    CReportCtrl list;
};
