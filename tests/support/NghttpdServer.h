#pragma once

#include <QProcess>
#include <QString>

// nghttpd serving the files of a folder over TLS (and HTTP/2) on 127.0.0.1, ended with the object.
class NghttpdServer {
public:
    static bool installed();

    NghttpdServer(const QString &siteFolder, const QString &keyFile, const QString &certificateFile);
    ~NghttpdServer();
    NghttpdServer(const NghttpdServer &) = delete;
    NghttpdServer &operator=(const NghttpdServer &) = delete;

    // Whether it accepts connections, within 10 seconds of its start.
    [[nodiscard]] bool listening() const { return m_listening; }
    [[nodiscard]] quint16 port() const { return m_port; }

private:
    QProcess m_process;
    quint16 m_port = 0;
    bool m_listening = false;
};
