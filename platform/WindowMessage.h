#pragma once

#include <cstdint>
#include <memory>

class QObject;

using UINT = unsigned int;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr UINT WM_USER = 0x0400;
constexpr UINT WM_APP = 0x8000;

// Data carried by a message. A posted payload belongs to the message: the
// receiver may take it, and a message that is never delivered (its window
// closed first) frees it.
class MessagePayload
{
public:
    virtual ~MessagePayload() = default;
};

template <class T>
class ValuePayload : public MessagePayload
{
public:
    explicit ValuePayload(T v)
        : value(std::move(v))
    {
    }
    T value;
};

// Typed view of a message's payload; null when there is none or it has
// another type.
template <class T>
T* PayloadValue(MessagePayload* payload)
{
    auto* typed = dynamic_cast<ValuePayload<T>*>(payload);
    return typed ? &typed->value : nullptr;
}

class MessageMailbox;

// A copyable, thread-safe address of a window. Any thread may post or send
// through it; once the window starts closing, posts are dropped and sends
// return 0 at once instead of waiting.
class MessageTarget
{
public:
    MessageTarget() = default;

    bool PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                     std::unique_ptr<MessagePayload> payload = {}) const;

    // Delivers the message and waits for its result. Called on the window's
    // own thread it is handled directly. Returns 0 when the window is closing
    // or gone.
    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0,
                        std::unique_ptr<MessagePayload> payload = {}) const;

    bool IsOpen() const;

private:
    friend class MessageReceiver;
    explicit MessageTarget(std::shared_ptr<MessageMailbox> mailbox);
    std::shared_ptr<MessageMailbox> m_pMailbox;
};

// Base of every window that receives window messages. Messages are handled
// on the thread that created the receiver (the user-interface thread).
class MessageReceiver
{
public:
    MessageReceiver();
    virtual ~MessageReceiver();

    MessageReceiver(const MessageReceiver&) = delete;
    MessageReceiver& operator=(const MessageReceiver&) = delete;

    MessageTarget Target() const;

    // Marks the window as closing: later posts are dropped, waiting and later
    // sends return 0. Messages already queued are still delivered while the
    // window exists, so posted log lines are not lost.
    void CloseMessages();

    // Handles one message; the payload, if any, is freed after the call
    // unless the handler moves it out.
    virtual LRESULT OnWindowMessage(UINT message, WPARAM wParam, LPARAM lParam,
                                    std::unique_ptr<MessagePayload>& payload) = 0;

private:
    std::shared_ptr<MessageMailbox> m_pMailbox;
};
