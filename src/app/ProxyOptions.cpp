#include "app/ProxyOptions.h"

#include "browser/builtin/net/ProxySettings.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QLineEdit>
#include <QSettings>
#include <QVBoxLayout>

namespace {

const QString kProxyKey = QStringLiteral("Network/Proxy");

} // namespace

QString storedProxy(QSettings &settings)
{
    const QString proxy = settings.value(kProxyKey).toString().trimmed();
    return proxy.isEmpty() || ProxySettings::single(proxy) ? proxy : QString();
}

void storeProxy(QSettings &settings, const QString &proxy)
{
    settings.setValue(kProxyKey, proxy);
    settings.sync();
}

ProxyDialog::ProxyDialog(QSettings &settings, QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_address(new QLineEdit(storedProxy(settings), this))
    , m_problem(new QLabel(this))
{
    setObjectName(QStringLiteral("proxyOptions"));
    setWindowTitle(QStringLiteral("Proxy"));
    m_address->setObjectName(QStringLiteral("proxyAddress"));
    m_address->setPlaceholderText(QStringLiteral("http_proxy, https_proxy and no_proxy"));
    m_problem->setObjectName(QStringLiteral("proxyProblem"));
    m_problem->hide();
    auto *label = new QLabel(QStringLiteral("&Proxy (http://, https:// or socks5://HOST:PORT; empty: the environment's):"), this);
    label->setBuddy(m_address);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(label);
    layout->addWidget(m_address);
    layout->addWidget(m_problem);
    layout->addWidget(buttons);
}

void ProxyDialog::accept()
{
    const QString proxy = m_address->text().trimmed();
    if (!proxy.isEmpty() && !ProxySettings::single(proxy)) {
        m_problem->setText(QStringLiteral("Not a proxy's address: %1").arg(proxy));
        m_problem->show();
        return;
    }
    storeProxy(m_settings, proxy);
    emit proxyChosen(proxy);
    QDialog::accept();
}
