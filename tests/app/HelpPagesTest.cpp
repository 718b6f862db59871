#include "app/HelpPages.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void writePage(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile page(path);
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
}

} // namespace

TEST(HelpPages, DocsAreSoughtBesideTheProgramThenInItsPrefixThenInTheSourceTree)
{
    const QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString program = root.filePath(QStringLiteral("moved/prefix/bin"));
    const QString besideProgram = program + QStringLiteral("/docs/commands.html");
    const QString installed = root.filePath(QStringLiteral("moved/prefix/share/navrelay/docs/commands.html"));
    const QString source = root.filePath(QStringLiteral("source/docs"));
    QDir().mkpath(program);

    EXPECT_EQ(docsPagePath(program, source, QStringLiteral("commands.html")), source + QStringLiteral("/commands.html"));
    writePage(source + QStringLiteral("/commands.html"));
    writePage(installed);
    EXPECT_EQ(docsPagePath(program, source, QStringLiteral("commands.html")), installed);
    EXPECT_EQ(docsPagePath(program, source, QStringLiteral("user-guide.html")), source + QStringLiteral("/user-guide.html"));
    QDir().mkpath(besideProgram); // a folder by the page's name is no page
    EXPECT_EQ(docsPagePath(program, source, QStringLiteral("commands.html")), installed);
    QDir().rmdir(besideProgram);
    writePage(besideProgram);
    EXPECT_EQ(docsPagePath(program, source, QStringLiteral("commands.html")), besideProgram);
}
