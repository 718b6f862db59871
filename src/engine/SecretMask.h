#pragma once

#include <QString>
#include <QStringList>

// Keeps the text given for "$$$" out of whatever a run shows or writes: each spelling of it that
// a page, an address or a writer may give it (as typed, percent-encoded as addresses and forms
// send it, escaped as HTML writes it) is shown as "$$$".
class SecretMask {
public:
    explicit SecretMask(const QString &secret = {});

    [[nodiscard]] QString apply(QString text) const;

private:
    QStringList m_spellings; // longest first, so that no spelling is cut by a shorter one
};
