#pragma once

#include "browser/chromium/DevToolsTransport.h"

#include <deque>
#include <memory>

class QSocketNotifier;

// The DevTools messages of a browser started with --remote-debugging-pipe: commands go into one
// pipe, replies and events come out of another, each message ended by a NUL byte. Neither
// direction ever blocks the event loop.
class PipeTransport final : public DevToolsTransport {
    Q_OBJECT

public:
    // Takes over both descriptors: the writing end of the browser's command pipe and the reading
    // end of its reply pipe.
    PipeTransport(int commandFd, int replyFd);
    ~PipeTransport() override;
    PipeTransport(const PipeTransport &) = delete;
    PipeTransport &operator=(const PipeTransport &) = delete;

    [[nodiscard]] bool isOpen() const override { return m_open; }
    void send(const QByteArray &message) override;

private:
    void readReplies();
    void writeCommands();
    void scheduleDelivery();
    void deliver();
    void close();

    int m_commandFd;
    int m_replyFd;
    std::unique_ptr<QSocketNotifier> m_readable;
    std::unique_ptr<QSocketNotifier> m_writable;
    QByteArray m_partial;                // the start of a message whose end has not come yet
    std::deque<QByteArray> m_received;   // whole messages not delivered yet
    QByteArray m_unsent;
    bool m_open = true;
    bool m_replyEnded = false;
    bool m_deliveryScheduled = false;
};
