#pragma once

#include <QString>
#include <QStringView>

// Looks for a text in a longer one that comes piece by piece, letter case aside as lowerCased()
// has it, so that the "if" and "not" lines stop reading a page where they find their text.
class LoweredTextSearch {
public:
    explicit LoweredTextSearch(const QString &text);

    // Searches the next piece too; false once the text is found and nothing more is needed.
    bool read(QStringView piece);
    // Whether the text is in what was read. An empty text is in anything but an empty read.
    [[nodiscard]] bool found();

private:
    void search(QString piece);

    const QString m_text;
    QString m_tail; // the lowered end of what was searched, too short to hold the text
    QString m_heldSurrogate;
    bool m_found = false;
};
