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
// without end would hold it for good. The guard watches the kernel's count of what was read on
// the process's connections to that server and, past the bound, shuts them down for reading,
// which ends the reader's loop as a closed connection would.
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
    struct Connection {
        int fd = -1;
        ino_t inode = 0;
        qint64 consumed = 0; // bytes the process has read from it so far
    };
    template<typename Visit>
    void forEachConnection(Visit visit) const;
    void check();

    QHostAddress m_address; // null when the host is a name: any address on the port then
    quint16 m_port = 0;
    qint64 m_maxBytes = 0;
    std::map<ino_t, qint64> m_consumedAtStart;
    QTimer m_timer;
};
