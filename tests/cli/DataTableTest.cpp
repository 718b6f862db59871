// Data files as spreadsheets and hands write them: quoted fields with commas, quotes and line
// breaks, CRLF or LF, a byte order mark; and each malformed one told with its line.
#include "QtPrinters.h"
#include "cli/DataTable.h"
#include "cli/SuitePlan.h"

#include <gtest/gtest.h>

namespace {

TEST(DataTable, ReadsQuotedFieldsLineBreaksAndQuotesAsRfc4180WritesThem)
{
    const struct {
        QByteArray text;
        QStringList columns;
        QList<QStringList> rows;
    } cases[] = {
        {"user,password\r\nalice,secret1\r\nbob,secret2\r\n", {"user", "password"}, {{"alice", "secret1"}, {"bob", "secret2"}}},
        {"a,b\n1,2\n\n\n", {"a", "b"}, {{"1", "2"}}},
        {"\xEF\xBB\xBFname\nx", {"name"}, {{"x"}}},
        {"a,b\n\"x, y\",\"say \"\"hi\"\"\"\n", {"a", "b"}, {{"x, y", "say \"hi\""}}},
        {"a,b\n\"line one\r\nline two\",2\n3,\"\"\n", {"a", "b"}, {{"line one\r\nline two", "2"}, {"3", ""}}},
        {"a,b,c\n,,\n", {"a", "b", "c"}, {{"", "", ""}}},
        {"w\xc3\xb6rd\n\xc3\xa9t\xc3\xa9\n", {QString::fromUtf8("w\xc3\xb6rd")}, {{QString::fromUtf8("\xc3\xa9t\xc3\xa9")}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        QString error;
        const auto table = parseDataTable(c.text, error);
        ASSERT_TRUE(table) << error.toStdString();
        EXPECT_EQ(table->columns, c.columns);
        EXPECT_EQ(table->rows, c.rows);
    }
}

TEST(DataTable, AMalformedFileIsToldWithItsLine)
{
    const struct {
        QByteArray text;
        QString message;
    } cases[] = {
        {"", "it is empty"},
        {"a,b\n", "no row under the line that names the columns"},
        {"a,b\n1,2\n3\n", "line 3: 1 field, the first line names 2 fields"},
        {"a,b\n1,2,3\n", "line 2: 3 fields, the first line names 2 fields"},
        {"a,b\n\"1,2\n3,4\n", "line 2: a quoted field is not closed"},
        {"a,b\n\"1\"x,2\n", "line 2: text after the closing quote"},
        {"a,b\n1,say \"hi\"\n", "line 2: a quote inside a field that does not start with one"},
        {"a\n\"two\nlines\"\n1,2\n", "line 4: 2 fields, the first line names 1 field"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        QString error;
        EXPECT_FALSE(parseDataTable(c.text, error));
        EXPECT_TRUE(error.contains(c.message)) << error.toStdString();
    }
}

TEST(SuitePlan, ShardsTogetherHoldEveryCaseOnceAndStayEven)
{
    DataTable table;
    table.columns = {"user", "password"};
    for (int row = 0; row < 7; ++row)
        table.rows << QStringList{QStringLiteral("user%1").arg(row), QStringLiteral("pw%1").arg(row)};
    const auto cases = suiteCases({"a.nrs", "b.nrs"}, &table, 1);
    ASSERT_EQ(cases.size(), 14u);
    EXPECT_EQ(cases[8].scriptPath, "b.nrs");
    EXPECT_EQ(cases[8].rowName, "row 2: user1");
    EXPECT_EQ(cases[8].variable, "pw1");
    for (int count : {1, 2, 3, 5, 14, 20}) {
        QStringList seen;
        for (int index = 1; index <= count; ++index) {
            const auto slice = shardOf(cases, index, count);
            EXPECT_LE(slice.size(), cases.size() / count + 1) << index << "/" << count;
            for (const SuiteCase &each : slice)
                seen << each.scriptPath + each.rowName;
        }
        seen.sort();
        QStringList all;
        for (const SuiteCase &each : cases)
            all << each.scriptPath + each.rowName;
        all.sort();
        EXPECT_EQ(seen, all) << count;
    }
}

TEST(SuitePlan, ARowNamedByItsSecretKeepsItOut)
{
    DataTable table;
    table.columns = {"password"};
    table.rows << QStringList{QStringLiteral("hunter2")};
    const auto cases = suiteCases({"a.nrs"}, &table, 0);
    ASSERT_EQ(cases.size(), 1u);
    EXPECT_EQ(cases[0].rowName, "row 1: $$$");
    EXPECT_EQ(cases[0].variable, "hunter2");
}

} // namespace
