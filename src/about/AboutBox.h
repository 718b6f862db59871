#pragma once

#include <QDialog>
#include <QStringList>

#include <functional>

class QLabel;
class QPushButton;

// AboutBox: the product's name, build and release date, a short notice, the System Info button
// and the HERE link that opens the product's home page in the attached browser.
class AboutBox final : public QDialog {
    Q_OBJECT
public:
    // openHomePage opens the home page in the attached browser (its failures are its own).
    // systemInfoFolders are where the System Information stand-in is looked for (PATH when empty).
    explicit AboutBox(std::function<void()> openHomePage, QStringList systemInfoFolders = {});

    // The revision number of the program's version: its fourth part ("2.5.0.7" gives 7).
    [[nodiscard]] static int revisionOf(const QString &version);

    void startSystemInformation();

private:
    QLabel *addLabel(const char *name, const QString &text);

    std::function<void()> m_openHomePage;
    QStringList m_systemInfoFolders;
};
