// The command-line countdown as a window manager decorates it.
#include "QtWait.h"

#include "app/WindowPosition.h"
#include "library/CountdownDialog.h"

#include <QProcess>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

namespace {

// What the window manager lets a person do with the window (_NET_WM_ALLOWED_ACTIONS).
QString allowedActions(const QWidget &window)
{
    QProcess xprop;
    xprop.start(QStringLiteral("xprop"), {QStringLiteral("-id"), QString::number(window.windowHandle()->winId()),
                                          QStringLiteral("_NET_WM_ALLOWED_ACTIONS")});
    if (!xprop.waitForFinished(10000))
        return QStringLiteral("xprop did not answer");
    return QString::fromLocal8Bit(xprop.readAllStandardOutput() + xprop.readAllStandardError());
}

} // namespace

TEST(CountdownDecorations, TheCountdownHasACloseBoxAndNoMinimiseOrMaximise)
{
    CountdownDialog countdown(nullptr);
    countdown.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&countdown));
    ASSERT_TRUE(waitUntil([&] { return frameKnown(countdown); }));
    const QString actions = allowedActions(countdown);
    EXPECT_TRUE(actions.contains(QStringLiteral("_NET_WM_ACTION_CLOSE"))) << actions.toStdString();
    EXPECT_FALSE(actions.contains(QStringLiteral("MINIMIZE"))) << actions.toStdString();
    EXPECT_FALSE(actions.contains(QStringLiteral("MAXIMIZE"))) << actions.toStdString();
    EXPECT_TRUE(countdown.windowFlags().testFlag(Qt::WindowStaysOnTopHint));
}
