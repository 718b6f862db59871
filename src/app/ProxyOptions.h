#pragma once

#include <QDialog>
#include <QString>

class QLabel;
class QLineEdit;
class QSettings;

// The proxy the window's browsers go through, as the settings store keeps it (group "Network",
// key "Proxy"); empty: the environment's (http_proxy, https_proxy, no_proxy).
[[nodiscard]] QString storedProxy(QSettings &settings);
void storeProxy(QSettings &settings, const QString &proxy);

// Settings > Proxy: one address, kept on OK when it is empty or a proxy's address. The browser
// takes it through proxyChosen().
class ProxyDialog final : public QDialog {
    Q_OBJECT
public:
    ProxyDialog(QSettings &settings, QWidget *parent);

    void accept() override;

signals:
    void proxyChosen(const QString &proxy);

private:
    QSettings &m_settings;
    QLineEdit *m_address;
    QLabel *m_problem;
};
