// A page over HTTP/2 and TLS: nghttpd, which speaks nothing else, serves it with a certificate of
// a certificate authority made for the test.
#include "NghttpdServer.h"
#include "QtPrinters.h"
#include "QtWait.h"

#include "browser/builtin/net/NetworkAccess.h"
#include "browser/builtin/net/PageLoader.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

bool runs(const QString &program, const QStringList &arguments, const QString &folder)
{
    QProcess process;
    process.setWorkingDirectory(folder);
    process.start(program, arguments);
    return process.waitForFinished(30000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// A certificate authority and a certificate it signed for 127.0.0.1, in the folder.
bool makeCertificates(const QString &folder)
{
    const QString openssl = QStringLiteral("openssl");
    QFile extensions(QDir(folder).filePath(QStringLiteral("server.ext")));
    if (!extensions.open(QIODevice::WriteOnly))
        return false;
    extensions.write("subjectAltName=IP:127.0.0.1\n");
    extensions.close();
    return runs(openssl, {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-keyout", "ca.key", "-out", "ca.pem", "-days", "1", "-subj", "/CN=NavRelay test authority"}, folder)
        && runs(openssl, {"req", "-newkey", "rsa:2048", "-nodes", "-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=127.0.0.1"}, folder)
        && runs(openssl, {"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial", "-out", "server.pem", "-days", "1", "-extfile", "server.ext"}, folder);
}

TEST(Http2, APageComesOverHttp2AndTlsVerifiedAgainstItsAuthority)
{
    if (!NghttpdServer::installed())
        GTEST_SKIP() << "nghttpd is not installed";
    QTemporaryDir folder;
    ASSERT_TRUE(makeCertificates(folder.path()));
    QDir(folder.path()).mkdir(QStringLiteral("site"));
    QFile page(folder.filePath(QStringLiteral("site/page.html")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<p>over two</p>");
    page.close();

    const NghttpdServer server(folder.filePath("site"), folder.filePath("server.key"), folder.filePath("server.pem"));
    ASSERT_TRUE(server.listening());

    NavigationRequest request;
    request.url = QUrl(QStringLiteral("https://127.0.0.1:%1/page.html").arg(server.port()));
    const auto load = [&](NetworkAccess &network) {
        PageLoader loader(network, {}, request);
        bool finished = false;
        QObject::connect(&loader, &PageLoader::finished, [&] { finished = true; });
        loader.start();
        EXPECT_TRUE(waitUntil([&] { return finished; }, 30000));
        return loader.response();
    };
    NetworkAccess untrusting;
    const LoadedResponse refused = load(untrusting);
    ASSERT_TRUE(refused.failure);
    EXPECT_EQ(refused.failure->kind, LoadFailureKind::SecureConnectionFailed);

    NetworkAccess network;
    network.trustAuthorities(folder.filePath(QStringLiteral("ca.pem")));
    const LoadedResponse response = load(network);
    EXPECT_FALSE(response.failure) << response.failure.value_or(LoadFailure{}).detail.toStdString();
    EXPECT_EQ(response.httpStatus, 200);
    EXPECT_EQ(response.body, "<p>over two</p>");
}

} // namespace
