#include "WindowMessage.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <QThread>

namespace {

const QEvent::Type kWindowMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

// Where a sender waits for the result of a sent message.
struct SendReply
{
    std::mutex mutex;
    std::condition_variable done;
    bool answered = false;
    LRESULT result = 0;

    void Answer(LRESULT value)
    {
        std::lock_guard lock(mutex);
        if (answered)
            return;
        answered = true;
        result = value;
        done.notify_all();
    }
};

class WindowMessageEvent : public QEvent
{
public:
    WindowMessageEvent(UINT message, WPARAM wParam, LPARAM lParam,
                       std::unique_ptr<MessagePayload> payload, std::shared_ptr<SendReply> reply)
        : QEvent(kWindowMessageEvent)
        , m_message(message)
        , m_wParam(wParam)
        , m_lParam(lParam)
        , m_pPayload(std::move(payload))
        , m_pReply(std::move(reply))
    {
    }

    // An event dropped unhandled (its window closed) still releases its sender.
    ~WindowMessageEvent() override
    {
        if (m_pReply)
            m_pReply->Answer(0);
    }

    UINT m_message;
    WPARAM m_wParam;
    LPARAM m_lParam;
    std::unique_ptr<MessagePayload> m_pPayload;
    std::shared_ptr<SendReply> m_pReply;
};

} // namespace

// Shared between the receiver and every target handed out. The QObject lives
// on the receiver's thread and is deleted with the receiver, which drops the
// events still queued for it.
class MessageMailbox : public QObject
{
public:
    explicit MessageMailbox(MessageReceiver* receiver)
        : m_pReceiver(receiver)
    {
    }

    bool event(QEvent* e) override
    {
        MessageReceiver* receiver = nullptr;
        {
            // Taken before the event is read: the poster built it under this
            // lock, and Qt's own queue lock is invisible to ThreadSanitizer.
            std::lock_guard lock(m_mutex);
            receiver = m_pReceiver;
        }
        if (e->type() != kWindowMessageEvent)
            return QObject::event(e);
        auto* message = static_cast<WindowMessageEvent*>(e);
        if (!receiver)
            return true;
        const LRESULT result = receiver->OnWindowMessage(message->m_message, message->m_wParam,
                                                         message->m_lParam, message->m_pPayload);
        if (message->m_pReply)
            message->m_pReply->Answer(result);
        return true;
    }

    bool Post(UINT message, WPARAM wParam, LPARAM lParam, std::unique_ptr<MessagePayload> payload,
              std::shared_ptr<SendReply> reply)
    {
        std::lock_guard lock(m_mutex);
        if (!m_pReceiver || m_bClosing)
            return false;
        QCoreApplication::postEvent(this, new WindowMessageEvent(message, wParam, lParam,
                                                                 std::move(payload), reply));
        if (reply) {
            std::erase_if(m_arrWaiting, [](const std::shared_ptr<SendReply>& waiting) {
                std::lock_guard replyLock(waiting->mutex);
                return waiting->answered;
            });
            m_arrWaiting.push_back(std::move(reply));
        }
        return true;
    }

    LRESULT SendHere(UINT message, WPARAM wParam, LPARAM lParam,
                     std::unique_ptr<MessagePayload> payload)
    {
        MessageReceiver* receiver = nullptr;
        {
            std::lock_guard lock(m_mutex);
            if (m_bClosing)
                return 0;
            receiver = m_pReceiver;
        }
        return receiver ? receiver->OnWindowMessage(message, wParam, lParam, payload) : 0;
    }

    bool IsOpen()
    {
        std::lock_guard lock(m_mutex);
        return m_pReceiver && !m_bClosing;
    }

    void Close()
    {
        std::vector<std::shared_ptr<SendReply>> waiting;
        {
            std::lock_guard lock(m_mutex);
            m_bClosing = true;
            waiting.swap(m_arrWaiting);
        }
        for (auto& reply : waiting)
            reply->Answer(0);
    }

    void Detach()
    {
        Close();
        std::lock_guard lock(m_mutex);
        m_pReceiver = nullptr;
    }

private:
    std::mutex m_mutex;
    MessageReceiver* m_pReceiver;
    bool m_bClosing = false;
    std::vector<std::shared_ptr<SendReply>> m_arrWaiting;
};

MessageTarget::MessageTarget(std::shared_ptr<MessageMailbox> mailbox)
    : m_pMailbox(std::move(mailbox))
{
}

bool MessageTarget::PostMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                std::unique_ptr<MessagePayload> payload) const
{
    return m_pMailbox && m_pMailbox->Post(message, wParam, lParam, std::move(payload), nullptr);
}

LRESULT MessageTarget::SendMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                   std::unique_ptr<MessagePayload> payload) const
{
    if (!m_pMailbox)
        return 0;
    if (m_pMailbox->thread() == QThread::currentThread())
        return m_pMailbox->SendHere(message, wParam, lParam, std::move(payload));
    auto reply = std::make_shared<SendReply>();
    if (!m_pMailbox->Post(message, wParam, lParam, std::move(payload), reply))
        return 0;
    std::unique_lock lock(reply->mutex);
    reply->done.wait(lock, [&] { return reply->answered; });
    return reply->result;
}

bool MessageTarget::IsOpen() const
{
    return m_pMailbox && m_pMailbox->IsOpen();
}

MessageReceiver::MessageReceiver()
    : m_pMailbox(new MessageMailbox(this), [](MessageMailbox* mailbox) { mailbox->deleteLater(); })
{
}

MessageReceiver::~MessageReceiver()
{
    m_pMailbox->Detach();
}

MessageTarget MessageReceiver::Target() const
{
    return MessageTarget(m_pMailbox);
}

void MessageReceiver::CloseMessages()
{
    m_pMailbox->Close();
}
