// Settings > Element Wait: the wait kept for each engine, taken by the runs of the window.
#include "AppTesting.h"
#include "QtWait.h"
#include "TestServer.h"

#include "browser/Automation.h"
#include "engine/ScriptRunner.h"
#include "library/EditorText.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>

class ElementWaitSettingTest : public AppTest {
protected:
    RunState &runState() { return window->automation().state; }
    [[nodiscard]] QDialog *dialog() const { return window->findChild<QDialog *>("elementWait"); }
    QDoubleSpinBox &box(const char *name) { return *dialog()->findChild<QDoubleSpinBox *>(name); }
    void type(QDoubleSpinBox &field, const QString &seconds)
    {
        field.selectAll();
        QTest::keyClicks(&field, seconds);
    }
};

TEST_F(ElementWaitSettingTest, TheDialogKeepsAWaitForEachEngineAndTheRunTakesTheEnginesOwn)
{
    start();
    EXPECT_EQ(runState().elementWaitMs, 0) << "the built-in engine runs no page script: no wait by default";

    choose("elementWaitAction");
    ASSERT_TRUE(dialog() && dialog()->isVisible());
    EXPECT_TRUE(dialog()->isModal());
    EXPECT_EQ(box("chromiumElementWait").value(), 10.0);
    EXPECT_EQ(box("builtinElementWait").value(), 0.0);
    type(box("builtinElementWait"), QStringLiteral("1.5"));
    type(box("chromiumElementWait"), QStringLiteral("4"));
    QTest::mouseClick(dialog()->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Ok), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !dialog(); }));
    EXPECT_EQ(settings()->value("ElementWait/Builtin").toString(), "1.5");
    EXPECT_EQ(settings()->value("ElementWait/Chromium").toString(), "4");
    EXPECT_EQ(runState().elementWaitMs, 1500);

    // Cancel keeps what was kept.
    choose("elementWaitAction");
    ASSERT_TRUE(dialog());
    EXPECT_EQ(box("builtinElementWait").value(), 1.5);
    type(box("builtinElementWait"), QStringLiteral("9"));
    QTest::mouseClick(dialog()->findChild<QDialogButtonBox *>()->button(QDialogButtonBox::Cancel), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return !dialog(); }));
    EXPECT_EQ(runState().elementWaitMs, 1500);
    EXPECT_EQ(settings()->value("ElementWait/Builtin").toString(), "1.5");
}

TEST_F(ElementWaitSettingTest, AWaitingLineSaysSoInTheStatusBarAndStopEndsTheWait)
{
    TestServer &server = this->server();
    server.page("/a", "<html><body><p>no links</p></body></html>");
    {
        auto stored = settings();
        stored->setValue("ElementWait/Builtin", "30");
        stored->sync();
    }
    start();
    EXPECT_EQ(runState().elementWaitMs, 30000);
    auto *editor = window->findChild<QPlainTextEdit *>("scriptEditor");
    setEditorText(*editor, "nav;" + server.url("/a") + "\r\nclink;Late offers\r\nbeep");
    choose("runAction");
    ASSERT_TRUE(waitUntil([&] { return window->automation().runner.status() == RunStatus::WaitingForElement; }));
    const QString waiting = QStringLiteral("Waiting up to 30 s for the link \"Late offers\" on line 2");
    EXPECT_TRUE(waitUntil([&] { return window->findChild<QLabel *>("runPanel")->text() == waiting; }))
        << window->findChild<QLabel *>("runPanel")->text().toStdString();
    EXPECT_EQ(panel1(), waiting);
    choose("stopAction");
    EXPECT_EQ(window->automation().runner.status(), RunStatus::Stopped);
    EXPECT_FALSE(window->automation().runner.elementWait());
}
