#pragma once

#include <algorithm>
#include <functional>
#include <vector>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QStringList>

#include "ConversionTask.h"
#include "EngineMessages.h"
#include "Tick.h"
#include "WindowMessage.h"

// Stands in for the progress window in the engine's tests: records every
// message a job posts to it and, for typed checks, the log lines and
// progress values apart.
class RecordingJobWindow : public MessageReceiver
{
public:
    struct Message
    {
        UINT id = 0;
        WPARAM wParam = 0;
        LPARAM lParam = 0;
        QString text;
    };
    struct LogLine
    {
        QString text;
        LPARAM severity = LOG_INFO;
    };

    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                            std::unique_ptr<MessagePayload>& payload) override
    {
        Message m{message, wParam, lParam, {}};
        if (const QString* text = PayloadValue<QString>(payload.get()))
            m.text = *text;
        if (message == WM_CONV_LOG)
            log.push_back({m.text, lParam});
        if (message == WM_CONV_PROGRESS) {
            if (const ConvProgress* value = PayloadValue<ConvProgress>(payload.get()))
                progress.push_back(*value);
        }
        messages.push_back(m);
        return 0;
    }

    QStringList Log() const
    {
        QStringList lines;
        for (const LogLine& line : log)
            lines.append(line.text);
        return lines;
    }

    QStringList Errors() const
    {
        QStringList errors;
        for (const LogLine& line : log) {
            if (line.severity == LOG_ERROR)
                errors.append(line.text);
        }
        return errors;
    }

    bool Logged(const QString& text) const { return Log().contains(text); }

    int Count(UINT id) const
    {
        return static_cast<int>(std::count_if(messages.begin(), messages.end(),
                                              [id](const Message& m) { return m.id == id; }));
    }

    void Clear()
    {
        messages.clear();
        log.clear();
        progress.clear();
    }

    bool Finished() const { return Count(WM_CONV_FINISHED) > 0; }

    std::vector<Message> messages;
    std::vector<LogLine> log;
    std::vector<ConvProgress> progress;
};

// Handles queued events until done() holds; false when the time ran out.
inline bool ProcessEventsUntil(const std::function<bool()>& done, int timeoutMs = 120000)
{
    QDeadlineTimer deadline(timeoutMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        // Gives the workers the processor when no event is waiting.
        SleepMs(1);
    }
    return true;
}
