#include <atomic>
#include <thread>

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

#include "WindowMessage.h"

namespace {

// Counts payloads alive, so tests see who freed them.
std::atomic<int> g_nLivePayloads{0};

struct CountedText
{
    explicit CountedText(QString t)
        : text(std::move(t))
    {
        ++g_nLivePayloads;
    }
    CountedText(const CountedText& other)
        : text(other.text)
    {
        ++g_nLivePayloads;
    }
    ~CountedText() { --g_nLivePayloads; }
    QString text;
};

class RecordingWindow : public MessageReceiver
{
public:
    QList<UINT> messages;
    QStringList texts;

    LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM,
                            std::unique_ptr<MessagePayload>& payload) override
    {
        messages.append(message);
        if (auto* text = PayloadValue<CountedText>(payload.get()))
            texts.append(text->text);
        return static_cast<LRESULT>(wParam) * 2;
    }
};

template <class Predicate>
bool PumpUntil(Predicate done, int milliseconds = 5000)
{
    QDeadlineTimer deadline(milliseconds);
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    return done();
}

std::unique_ptr<MessagePayload> Text(const char* text)
{
    return std::make_unique<ValuePayload<CountedText>>(CountedText(QString::fromUtf8(text)));
}

} // namespace

TEST(WindowMessage, PostedMessagesArriveInOrderAndFreeTheirPayloads)
{
    RecordingWindow window;
    const MessageTarget target = window.Target();
    std::thread worker([&] {
        target.PostMessage(WM_USER + 1, 0, 0, Text("one"));
        target.PostMessage(WM_USER + 2, 0, 0, Text("two"));
    });
    worker.join();
    ASSERT_TRUE(PumpUntil([&] { return window.messages.size() == 2; }));
    EXPECT_EQ(window.messages, (QList<UINT>{WM_USER + 1, WM_USER + 2}));
    EXPECT_EQ(window.texts, (QStringList{QStringLiteral("one"), QStringLiteral("two")}));
    EXPECT_EQ(g_nLivePayloads.load(), 0);
}

TEST(WindowMessage, SendFromWorkerWaitsForTheResult)
{
    RecordingWindow window;
    const MessageTarget target = window.Target();
    std::atomic<LRESULT> result{-1};
    std::thread worker([&] { result = target.SendMessage(WM_APP + 5, 21); });
    ASSERT_TRUE(PumpUntil([&] { return result.load() != -1; }));
    worker.join();
    EXPECT_EQ(result.load(), 42);
}

TEST(WindowMessage, SendOnTheWindowsThreadIsHandledDirectly)
{
    RecordingWindow window;
    EXPECT_EQ(window.Target().SendMessage(WM_USER, 4), 8);
    EXPECT_EQ(window.messages.size(), 1);
}

TEST(WindowMessage, ClosingReleasesAWaitingSenderAndDropsLaterPosts)
{
    RecordingWindow window;
    const MessageTarget target = window.Target();
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        target.SendMessage(WM_USER + 7, 1, 0, Text("never handled"));
        returned = true;
    });
    // Nothing pumps events here, as when the user-interface thread waits
    // for the worker: the sender stays blocked until the window closes.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_FALSE(returned.load());
    window.CloseMessages();
    worker.join();
    EXPECT_TRUE(returned.load());
    EXPECT_FALSE(target.IsOpen());
    EXPECT_FALSE(target.PostMessage(WM_USER + 8, 0, 0, Text("dropped")));
    EXPECT_EQ(target.SendMessage(WM_USER + 9, 1), 0);
}

TEST(WindowMessage, UndeliveredPayloadsAreFreedWhenTheWindowGoes)
{
    MessageTarget target;
    {
        RecordingWindow window;
        target = window.Target();
        target.PostMessage(WM_USER + 1, 0, 0, Text("pending"));
    }
    PumpUntil([] { return g_nLivePayloads.load() == 0; });
    EXPECT_EQ(g_nLivePayloads.load(), 0);
    EXPECT_FALSE(target.PostMessage(WM_USER + 1, 0, 0, Text("late")));
    EXPECT_EQ(target.SendMessage(WM_USER + 1), 0);
    EXPECT_EQ(g_nLivePayloads.load(), 0);
}
