#include "SuiteData.h"

#include <QDir>
#include <QFile>

#include <cstdio>

namespace {

[[nodiscard]] bool isSectionHeading(const QByteArray &line)
{
    for (const char *name : {"#data", "#errors", "#new-errors", "#document-fragment", "#script-on", "#script-off",
                             "#document", "#encoding"})
        if (line == name)
            return true;
    return false;
}

} // namespace

QByteArray readSuiteFile(const QString &relativePath)
{
    QFile file(QStringLiteral(NAVRELAY_CONFORMANCE_DATA "/") + relativePath);
    if (!file.open(QIODevice::ReadOnly))
        qFatal("cannot read %s", qPrintable(file.fileName()));
    return file.readAll();
}

std::vector<DatCase> readDatFolder(const QString &folder)
{
    std::vector<DatCase> cases;
    const QDir dir(QStringLiteral(NAVRELAY_CONFORMANCE_DATA "/") + folder);
    for (const QString &name : dir.entryList({QStringLiteral("*.dat")}, QDir::Files, QDir::Name)) {
        const QByteArray text = readSuiteFile(folder + u'/' + name);
        QByteArray *section = nullptr;
        for (const QByteArray &line : text.split('\n')) {
            if (line == "#data")
                cases.push_back({{"file", name.toUtf8()}});
            if (!cases.empty() && isSectionHeading(line))
                section = &cases.back()[line.mid(1)];
            else if (section)
                *section += line + '\n';
        }
    }
    // Every section ends with a line break; the tree dump, last of its case, with a blank line too.
    for (DatCase &c : cases) {
        for (auto &[name, text] : c) {
            if (text.endsWith('\n'))
                text.chop(1);
            if (name == "document" && text.endsWith('\n'))
                text.chop(1);
        }
    }
    return cases;
}

void PassRate::print() const
{
    int skipped = 0;
    QByteArray reasons;
    for (const auto &[reason, count] : m_skipped) {
        skipped += count;
        reasons += (reasons.isEmpty() ? "" : ", ") + QByteArray::number(count) + ' ' + reason;
    }
    std::printf("%s: %d of %d run pass (%.1f %%), floor %.1f %%; %d skipped%s%s\n", m_suite, m_passed,
                m_passed + m_failed, percent(), m_floor, skipped, reasons.isEmpty() ? "" : ": ", reasons.constData());
    std::fflush(stdout);
}
