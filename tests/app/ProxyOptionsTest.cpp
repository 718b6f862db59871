#include "AppTesting.h"
#include "ForwardProxy.h"
#include "QtPrinters.h"
#include "QtWait.h"
#include "TestServer.h"

#include "browser/builtin/BuiltinWindow.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>

TEST_F(AppTest, TheProxySettingIsKeptAndTheBuiltinEnginesLoadsGoThroughIt)
{
    TestServer &server = this->server();
    server.page("/page", "<title>Proxied</title><p>through the proxy");
    ForwardProxy proxy;
    start();

    const auto typeAndConfirm = [&](const QString &text) {
        auto *dialog = window->findChild<QDialog *>("proxyOptions");
        ASSERT_TRUE(dialog && dialog->isVisible() && dialog->isModal());
        auto *address = dialog->findChild<QLineEdit *>("proxyAddress");
        address->clear();
        QTest::keyClicks(address, text);
        QTest::mouseClick(dialog->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    };
    choose("proxyAction");
    typeAndConfirm("ftp://127.0.0.1:1");
    auto *dialog = window->findChild<QDialog *>("proxyOptions");
    ASSERT_TRUE(dialog && dialog->isVisible()) << "an address that is no proxy's is not kept";
    EXPECT_TRUE(dialog->findChild<QLabel *>("proxyProblem")->isVisible());
    EXPECT_FALSE(settings()->contains("Network/Proxy"));
    typeAndConfirm(proxy.url());
    ASSERT_TRUE(waitUntil([&] { return !window->findChild<QDialog *>("proxyOptions"); }));
    EXPECT_EQ(settings()->value("Network/Proxy").toString(), proxy.url());

    attachedWindow().navigate(server.url("/page"));
    ASSERT_TRUE(waitUntil([&] { return attachedWindow().title().startsWith("Proxied") && !attachedWindow().isBusy(); }))
        << attachedWindow().loadError().toStdString();
    const std::vector<std::string> lines = proxy.requestLines();
    EXPECT_NE(std::find(lines.begin(), lines.end(), "GET " + server.url("/page").toStdString() + " HTTP/1.1"), lines.end());

    // Emptied, the setting leaves the loads to the environment's proxies again (none here).
    choose("proxyAction");
    EXPECT_EQ(window->findChild<QDialog *>("proxyOptions")->findChild<QLineEdit *>("proxyAddress")->text(), proxy.url());
    typeAndConfirm({});
    ASSERT_TRUE(waitUntil([&] { return !window->findChild<QDialog *>("proxyOptions"); }));
    EXPECT_EQ(settings()->value("Network/Proxy").toString(), "");
    const size_t seen = proxy.requestLines().size();
    attachedWindow().navigate(server.url("/page?again"));
    ASSERT_TRUE(waitUntil([&] { return attachedWindow().locationUrl().endsWith("again") && !attachedWindow().isBusy(); }));
    EXPECT_EQ(proxy.requestLines().size(), seen);
}
