// navrelay-run --insecure: a page whose certificate the machine does not trust loads only when
// the user asks for it.
#include "NghttpdServer.h"
#include "QtPrinters.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TEST(InsecureRun, AnUntrustedCertificateIsAcceptedOnlyWithInsecure)
{
    if (!NghttpdServer::installed())
        GTEST_SKIP() << "nghttpd is not installed";
    const QString certificates = QFileInfo(QString::fromUtf8(__FILE__)).absolutePath() + QStringLiteral("/../builtin/");
    QTemporaryDir folder;
    QDir(folder.path()).mkdir(QStringLiteral("site"));
    QFile page(folder.filePath(QStringLiteral("site/page.html")));
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
    page.write("<p>served over TLS</p>");
    page.close();
    const NghttpdServer server(folder.filePath("site"), certificates + "selfsigned-key.pem", certificates + "selfsigned-cert.pem");
    ASSERT_TRUE(server.listening());

    QFile script(folder.filePath(QStringLiteral("tls.nrs")));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write(QStringLiteral("nav;https://127.0.0.1:%1/page.html\r\n").arg(server.port()).toUtf8());
    script.close();
    const auto run = [&](QStringList arguments) {
        QProcess process;
        process.start(QStringLiteral(NAVRELAY_RUN_PATH), arguments << "--tick" << "0" << "--timeout" << "60" << script.fileName());
        EXPECT_TRUE(process.waitForFinished(90000));
        return std::pair(process.exitCode(), process.readAll() + process.readAllStandardError());
    };
    const auto [refusedExit, refusedOutput] = run({});
    EXPECT_EQ(refusedExit, 4) << refusedOutput.toStdString();
    EXPECT_TRUE(refusedOutput.contains("certificate")) << refusedOutput.toStdString();

    script.open(QIODevice::Append);
    script.write("assert;served over TLS\r\n");
    script.close();
    const auto [insecureExit, insecureOutput] = run({"--insecure"});
    EXPECT_EQ(insecureExit, 0) << insecureOutput.toStdString();
}

} // namespace
