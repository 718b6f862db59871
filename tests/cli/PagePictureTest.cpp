// What navrelay-run draws of a built-in page and how long the drawing may take: the evidence
// picture shows the page with its style sheets and images, a resource too slow for the run's
// deadline is given up and named, and a page whose layout runs away never holds the run past
// its deadline, with --evidence or --show.
#include "PagePictures.h"
#include "QtPrinters.h"
#include "RunProcess.h"
#include "TestServer.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <atomic>
#include <chrono>
#include <thread>

#include <gtest/gtest.h>

namespace {

using namespace std::chrono_literals;

// A run's end may come a second after its --timeout, and this much more on a loaded machine: the
// program's start, the page's load and the writing of its files.
constexpr qint64 kAfterTimeoutMs = 4000;

std::string nestedTables(int depth)
{
    return "<html><body>" + repeated("<table><tr><td>cell", depth) + "deep" + repeated("</td></tr></table>", depth)
        + "</body></html>";
}

std::string alternatingFloats(int count)
{
    return "<html><body>"
        + repeated("<div style=\"float:left;width:3px;height:7px\">a</div><div style=\"float:right;width:5px;height:3px\">b</div>",
                   count / 2)
        + "</body></html>";
}

class PagePicture : public ::testing::Test {
protected:
    PagePicture()
    {
        server.page("/box.css", "#box { width: 300px; height: 200px; background-color: rgb(255, 0, 0) }", "text/css");
        server.page("/green.png", pngOf(QColor(0, 160, 0), QSize(40, 30)), "image/png");
        server.page("/styled", "<html><head><link rel=stylesheet href=/box.css></head>"
                               "<body><div id=box></div><img src=/green.png></body></html>");
        // A style sheet whose answer never comes until the test ends.
        server.handle("GET", "/slow.css", [this](const httplib::Request &, httplib::Response &response) {
            const auto until = std::chrono::steady_clock::now() + 30s;
            while (!released && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(20ms);
            response.set_content("p { color: red }", "text/css");
        });
        server.page("/slow", "<html><head><link rel=stylesheet href=/slow.css><link rel=stylesheet href=/box.css></head>"
                             "<body><div id=box></div></body></html>");
        server.page("/tables", nestedTables(22));
        server.page("/deeper", nestedTables(1000));
        server.page("/floats", alternatingFloats(100'000));
    }
    ~PagePicture() override { released = true; }

    // Runs the script's lines on the built-in engine, the server's address as $$$.
    RunResult run(const QByteArray &lines, const QStringList &options)
    {
        const QString script = writeTextFile(folder.filePath(QStringLiteral("page.nrs")), lines);
        return runNavRelay(QStringList{QStringLiteral("--tick"), QStringLiteral("0"), QStringLiteral("--var"), server.url("")}
                           + options + QStringList{script});
    }

    [[nodiscard]] QString evidenceFile(const QString &suffix) const
    {
        const QStringList found = QDir(folder.filePath(QStringLiteral("evidence"))).entryList({QStringLiteral("*") + suffix});
        return found.size() == 1 ? folder.filePath(QStringLiteral("evidence/") + found.constFirst()) : QString();
    }

    [[nodiscard]] QString note() const
    {
        QFile file(evidenceFile(QStringLiteral(".page-note.txt")));
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
    }

    [[nodiscard]] QStringList evidenceOptions(const QString &timeout) const
    {
        return {QStringLiteral("--timeout"), timeout, QStringLiteral("--evidence"), folder.filePath(QStringLiteral("evidence"))};
    }

    std::atomic<bool> released = false;
    TestServer server;
    QTemporaryDir folder;
};

TEST_F(PagePicture, EvidenceShowsThePageWithItsStyleSheetsAndImages)
{
    const RunResult result = run("nav;$$$/styled\r\nassert;words the page lacks\r\n", evidenceOptions(QStringLiteral("30")));
    EXPECT_EQ(result.exitCode, 2) << result.errors.toStdString();
    const QImage picture = QImage(evidenceFile(QStringLiteral(".page.png"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(picture.isNull()) << result.errors.toStdString();
    EXPECT_GE(pixelsOf(picture, qRgb(255, 0, 0)), 300 * 200) << "the box the external style sheet draws";
    EXPECT_GE(pixelsOf(picture, qRgb(0, 160, 0)), 40 * 30) << "the image";
    EXPECT_TRUE(evidenceFile(QStringLiteral(".page-note.txt")).isEmpty()) << note().toStdString();
}

TEST_F(PagePicture, AResourceSlowerThanTheDeadlineIsGivenUpAndNamed)
{
    const RunResult result = run("nav;$$$/slow\r\nassert;words the page lacks\r\n", evidenceOptions(QStringLiteral("4")));
    EXPECT_EQ(result.exitCode, 2) << result.errors.toStdString();
    EXPECT_LT(result.elapsedMs, 4000 + kAfterTimeoutMs);
    const QImage picture = QImage(evidenceFile(QStringLiteral(".page.png"))).convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(picture.isNull()) << result.errors.toStdString();
    EXPECT_GE(pixelsOf(picture, qRgb(255, 0, 0)), 300 * 200) << "drawn with the sheet that did arrive";
    EXPECT_TRUE(note().contains(QStringLiteral("/slow.css"))) << note().toStdString();
    EXPECT_FALSE(note().contains(QStringLiteral("/box.css"))) << note().toStdString();
}

TEST_F(PagePicture, ALayoutThatRunsAwayNeverHoldsTheRunPastItsDeadline)
{
    // Ended by its deadline while its page is still being laid out: the picture is given up.
    const RunResult atDeadline = run("nav;$$$/tables\r\nwaitfor;words the page lacks;60\r\n", evidenceOptions(QStringLiteral("3")));
    EXPECT_EQ(atDeadline.exitCode, 3) << atDeadline.errors.toStdString();
    EXPECT_LT(atDeadline.elapsedMs, 3000 + kAfterTimeoutMs);
    EXPECT_TRUE(note().contains(QStringLiteral("The picture was given up"))) << note().toStdString();
    EXPECT_TRUE(evidenceFile(QStringLiteral(".page.png")).isEmpty());
    QDir(folder.filePath(QStringLiteral("evidence"))).removeRecursively();

    // Halted with time to spare: the layout is given up after its bound, the text drawn plain.
    const RunResult halted = run("nav;$$$/tables\r\nassert;words the page lacks\r\n", evidenceOptions(QStringLiteral("60")));
    EXPECT_EQ(halted.exitCode, 2) << halted.errors.toStdString();
    EXPECT_TRUE(note().contains(QStringLiteral("drawn as plain text"))) << note().toStdString();
    EXPECT_FALSE(evidenceFile(QStringLiteral(".page.png")).isEmpty());

    // In a shown window, whatever the page: it is read, styled and laid out beside the window.
    for (const char *path : {"/deeper", "/floats"}) {
        const RunResult shown = run("nav;$$$" + QByteArray(path) + "\r\nwaitfor;words the page lacks;60\r\n",
                                    {QStringLiteral("--show"), QStringLiteral("--timeout"), QStringLiteral("3")});
        EXPECT_EQ(shown.exitCode, 3) << path << shown.errors.toStdString();
        EXPECT_LT(shown.elapsedMs, 3000 + kAfterTimeoutMs) << path;
    }
}

} // namespace
