#include "cli/DataTable.h"

#include <QFile>

namespace {

// Reads one record after another, as RFC 4180 section 2 lays them out.
class RecordReader {
public:
    explicit RecordReader(const QString &text) : m_text(text) {}

    [[nodiscard]] bool atEnd() const { return m_at >= m_text.size(); }
    [[nodiscard]] int line() const { return m_line; }

    // The next record; `error` says what is wrong when it is not well formed.
    std::optional<QStringList> next(QString &error)
    {
        QStringList fields;
        for (;;) {
            std::optional<QString> field = m_at < m_text.size() && m_text.at(m_at) == QLatin1Char('"') ? quotedField(error)
                                                                                                        : plainField(error);
            if (!field)
                return std::nullopt;
            fields << *field;
            if (m_at >= m_text.size())
                return fields;
            const QChar after = m_text.at(m_at++);
            if (after == QLatin1Char(','))
                continue;
            if (after == QLatin1Char('\r'))
                ++m_at; // a CR ends a field only before its LF
            ++m_line;
            return fields;
        }
    }

private:
    std::optional<QString> plainField(QString &error)
    {
        const qsizetype start = m_at;
        while (m_at < m_text.size()) {
            const QChar c = m_text.at(m_at);
            if (c == QLatin1Char(',') || c == QLatin1Char('\n') || (c == QLatin1Char('\r') && nextIs(m_at + 1, '\n')))
                break;
            if (c == QLatin1Char('"')) {
                error = QStringLiteral("line %1: a quote inside a field that does not start with one (write the field "
                                       "in quotes and the quote twice)").arg(m_line);
                return std::nullopt;
            }
            ++m_at;
        }
        return m_text.mid(start, m_at - start);
    }

    std::optional<QString> quotedField(QString &error)
    {
        const int startLine = m_line;
        QString field;
        ++m_at; // the opening quote
        for (;;) {
            if (m_at >= m_text.size()) {
                error = QStringLiteral("line %1: a quoted field is not closed").arg(startLine);
                return std::nullopt;
            }
            const QChar c = m_text.at(m_at++);
            if (c == QLatin1Char('"')) {
                if (!nextIs(m_at, '"'))
                    break;
                ++m_at;
            } else if (c == QLatin1Char('\n')) {
                ++m_line;
            }
            field += c;
        }
        if (m_at < m_text.size() && !nextIs(m_at, ',') && !nextIs(m_at, '\n')
            && !(nextIs(m_at, '\r') && nextIs(m_at + 1, '\n'))) {
            error = QStringLiteral("line %1: text after the closing quote of a field").arg(m_line);
            return std::nullopt;
        }
        return field;
    }

    [[nodiscard]] bool nextIs(qsizetype at, char c) const { return at < m_text.size() && m_text.at(at) == QLatin1Char(c); }

    const QString &m_text;
    qsizetype m_at = 0;
    int m_line = 1;
};

QString fieldCount(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 field") : QStringLiteral("%1 fields").arg(count);
}

} // namespace

std::optional<DataTable> parseDataTable(const QByteArray &bytes, QString &error)
{
    QString text = QString::fromUtf8(bytes.startsWith("\xEF\xBB\xBF") ? bytes.mid(3) : bytes);
    // Blank lines at the end are where an editor left the cursor, not rows.
    while (text.endsWith(QLatin1Char('\n')) || text.endsWith(QLatin1Char('\r')))
        text.chop(1);
    RecordReader reader(text);
    if (reader.atEnd()) {
        error = QStringLiteral("it is empty: the first line names the columns");
        return std::nullopt;
    }
    DataTable table;
    const auto header = reader.next(error);
    if (!header)
        return std::nullopt;
    table.columns = *header;
    while (!reader.atEnd()) {
        const int line = reader.line();
        const auto row = reader.next(error);
        if (!row)
            return std::nullopt;
        if (row->size() != table.columns.size()) {
            error = QStringLiteral("line %1: %2, the first line names %3").arg(line).arg(fieldCount(row->size()), fieldCount(table.columns.size()));
            return std::nullopt;
        }
        if (table.rows.size() >= DataTable::kMaxRows) {
            error = QStringLiteral("more than %L1 rows").arg(DataTable::kMaxRows);
            return std::nullopt;
        }
        table.rows << *row;
    }
    if (table.rows.isEmpty()) {
        error = QStringLiteral("it has no row under the line that names the columns");
        return std::nullopt;
    }
    return table;
}

std::optional<DataTable> readDataTable(const QString &path, QString &error)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = QStringLiteral("cannot read the data file %1: %2").arg(path, file.errorString());
        return std::nullopt;
    }
    const QByteArray bytes = file.read(DataTable::kMaxBytes + 1);
    if (bytes.size() > DataTable::kMaxBytes) {
        error = QStringLiteral("the data file %1 is larger than %2 MB").arg(path).arg(DataTable::kMaxBytes / (1024 * 1024));
        return std::nullopt;
    }
    auto table = parseDataTable(bytes, error);
    if (!table)
        error = QStringLiteral("the data file %1: %2").arg(path, error);
    return table;
}
