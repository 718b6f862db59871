#pragma once

#include <QHostAddress>
#include <QObject>
#include <QTimer>
#include <QUrl>

#include <map>
#include <sys/types.h>

// Bounds how much the network stack reads from a server before an answer's headers end. Qt's
// HTTP reader takes header bytes for as long as they come, on the one thread that serves every
// connection, and is not told of an abort while it reads: a server that sends header lines
// without end would hold it for good. The guard watches the kernel's counts for the process's
// connections to that server that sent a request since the load began (so not those of other
// windows' loads under way) and, past the bound read, shuts them down, which ends the reader's
// loop as a closed connection would.
class HeaderReadGuard final : public QObject {
    Q_OBJECT
public:
    HeaderReadGuard(const QUrl &url, qint64 maxHeaderBytes, QObject *parent = nullptr);

    // The headers ended: nothing more to watch.
    void stop();

signals:
    // The bound was crossed and the connections were shut down.
    void tripped();

private:
    struct Traffic {
        qint64 consumed = 0; // bytes the process has read from the connection
        qint64 sent = 0;     // bytes it has sent that the server took
    };
    struct Connection {
        int fd = -1;
        ino_t inode = 0;
        Traffic traffic;
    };
    // What the process has taken out of the connection (received by the kernel, less what still
    // waits) and what it has put in.
    [[nodiscard]] static Traffic trafficOf(int fd);
    template<typename Visit>
    void forEachConnection(Visit visit) const;
    void check();

    QHostAddress m_address; // null when the host is a name: any address on the port then
    quint16 m_port = 0;
    qint64 m_maxBytes = 0;
    std::map<ino_t, Traffic> m_atStart;
    QTimer m_timer;
    bool m_crossedOnce = false; // the last check found the bound crossed
};
