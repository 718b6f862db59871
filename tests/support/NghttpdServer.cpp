#include "NghttpdServer.h"

#include "QtWait.h"

#include <QFile>
#include <QTcpServer>
#include <QTcpSocket>

namespace {

const QString kProgram = QStringLiteral("/usr/sbin/nghttpd");

quint16 freePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost);
    return probe.serverPort();
}

} // namespace

bool NghttpdServer::installed()
{
    return QFile::exists(kProgram);
}

NghttpdServer::NghttpdServer(const QString &siteFolder, const QString &keyFile, const QString &certificateFile)
    : m_port(freePort())
{
    m_process.start(kProgram, {"--address=127.0.0.1", "--htdocs=" + siteFolder, QString::number(m_port), keyFile, certificateFile});
    m_listening = waitUntil([this] {
        QTcpSocket probe;
        probe.connectToHost(QHostAddress::LocalHost, m_port);
        return probe.waitForConnected(200);
    }, 10000);
}

NghttpdServer::~NghttpdServer()
{
    m_process.kill();
    m_process.waitForFinished();
}
