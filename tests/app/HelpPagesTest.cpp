#include "AppTesting.h"
#include "QtWait.h"

#include "app/HelpPages.h"
#include "browser/builtin/BuiltinWindow.h"

#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QTemporaryDir>

namespace {

void writePage(const QString &path)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile page(path);
    ASSERT_TRUE(page.open(QIODevice::WriteOnly));
}

} // namespace

TEST(HelpPages, DocsAreSoughtBesideTheProgramThenInItsPrefixAndNowhereElse)
{
    const QTemporaryDir root;
    ASSERT_TRUE(root.isValid());
    const QString program = root.filePath(QStringLiteral("moved/prefix/bin"));
    const QString besideProgram = program + QStringLiteral("/docs/commands.html");
    const QString installed = root.filePath(QStringLiteral("moved/prefix/share/navrelay/docs/commands.html"));
    QDir().mkpath(program);

    EXPECT_EQ(docsPagePath(program, QStringLiteral("commands.html")), std::nullopt);
    EXPECT_EQ(missingDocsPageMessage(program, QStringLiteral("commands.html")),
              QStringLiteral("The help page commands.html is not installed: it is in none of %1/docs, %2.")
                  .arg(program, root.filePath(QStringLiteral("moved/prefix/share/navrelay/docs"))));
    writePage(installed);
    EXPECT_EQ(docsPagePath(program, QStringLiteral("commands.html")), installed);
    EXPECT_EQ(docsPagePath(program, QStringLiteral("user-guide.html")), std::nullopt);
    QDir().mkpath(besideProgram); // a folder by the page's name is no page
    EXPECT_EQ(docsPagePath(program, QStringLiteral("commands.html")), installed);
    QDir().rmdir(besideProgram);
    writePage(besideProgram);
    EXPECT_EQ(docsPagePath(program, QStringLiteral("commands.html")), besideProgram);
}

TEST_F(AppTest, HelpOpensTheDocsBesideTheProgramOrSaysTheyAreMissing)
{
    start();
    choose("userGuideAction");
    ASSERT_TRUE(waitUntil([&] { return attachedWindow().locationUrl().endsWith("/docs/user-guide.html"); }))
        << attachedWindow().locationUrl().toStdString();
    EXPECT_TRUE(attachedWindow().locationUrl().startsWith(QUrl::fromLocalFile(buildProgramFolder()).toString()))
        << "the build's own copy: " << attachedWindow().locationUrl().toStdString();
    ASSERT_TRUE(waitUntil([&] { return !attachedWindow().isBusy(); }));
    EXPECT_TRUE(attachedWindow().title().startsWith("NavRelay user guide")) << attachedWindow().title().toStdString();

    // A program moved away from its docs says so and leaves the browser where it is.
    window.reset();
    const QTemporaryDir moved;
    start({}, moved.path());
    const QString before = attachedWindow().locationUrl();
    QString said;
    {
        ModalAnswers answers({[&](QWidget &dialog) {
            said = static_cast<QMessageBox &>(dialog).text();
            pressMessageButton(dialog, QMessageBox::Ok);
        }});
        choose("commandsAction");
        ASSERT_TRUE(waitUntil([&] { return answers.answered() == 1; }));
    }
    EXPECT_TRUE(said.startsWith("The help page commands.html is not installed: it is in none of " + moved.path() + "/docs"))
        << said.toStdString();
    spinEvents(100);
    EXPECT_EQ(attachedWindow().locationUrl(), before);
}
