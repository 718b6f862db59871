#pragma once

#include <QByteArray>
#include <QString>

#include <map>
#include <vector>

// One case of an html5lib data file: the text of each "#name" section, without its final line break.
using DatCase = std::map<QByteArray, QByteArray>;

// The cases of every .dat file in a folder of the suites copied under tests/conformance.
[[nodiscard]] std::vector<DatCase> readDatFolder(const QString &folder);

// The bytes of a file of the suites.
[[nodiscard]] QByteArray readSuiteFile(const QString &relativePath);

// A suite's pass rate against the floor it may not fall below, printed for the log.
class PassRate {
public:
    PassRate(const char *suite, double floorPercent) : m_suite(suite), m_floor(floorPercent) {}

    void count(bool passed) { passed ? ++m_passed : ++m_failed; }
    void skip(const QByteArray &reason) { ++m_skipped[reason]; }

    [[nodiscard]] double percent() const { return m_passed + m_failed ? 100.0 * m_passed / (m_passed + m_failed) : 0; }
    [[nodiscard]] double floorPercent() const { return m_floor; }
    // Prints "<suite>: P of R run pass (x %), floor y %; S skipped: reasons".
    void print() const;

private:
    const char *m_suite;
    double m_floor;
    int m_passed = 0;
    int m_failed = 0;
    std::map<QByteArray, int> m_skipped;
};
