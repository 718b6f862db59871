#include "library/CountdownDialog.h"

#include "library/TopMost.h"
#include "library/Twips.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QWindow>

namespace {

QString secondsText(qint16 seconds)
{
    return QStringLiteral("You have ") + QString::number(seconds) + QStringLiteral(" seconds to abort.");
}

// X11 window managers give a utility window minimise and maximise buttons, and the buttons
// leave its caption no room; a toolbar window has a close box alone, as a tool window should.
// The type is read when the window's flags reach the window system, as making it top-most does.
void askForCloseBoxAlone(QWidget &window)
{
    constexpr int kToolbarWindowType = 0x8;
    window.winId();
    window.windowHandle()->setProperty("_q_xcb_wm_window_type", kToolbarWindowType);
}

// The font, made smaller where a wider stand-in for a missing font would cut the text off.
QFont fittingFont(QFont font, const QString &text, int width)
{
    constexpr int kSmallestPointSize = 6;
    while (font.pointSize() > kSmallestPointSize && QFontMetrics(font).horizontalAdvance(text) > width)
        font.setPointSize(font.pointSize() - 1);
    return font;
}

} // namespace

CountdownDialog::CountdownDialog(QWidget *owner, std::chrono::milliseconds tick)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_secondsLabel(new QLabel(secondsText(kSeconds), this))
    , m_abortButton(new QPushButton(QStringLiteral("Abort"), this))
{
    setObjectName(QStringLiteral("CountdownDialog"));
    setWindowTitle(kTitle);
    m_secondsLabel->setObjectName(QStringLiteral("secondsLabel"));
    m_abortButton->setObjectName(QStringLiteral("abortButton"));
    m_countdownTimer.setObjectName(QStringLiteral("countdownTimer"));
    m_countdownTimer.setParent(this);
    m_countdownTimer.setInterval(tick);
    connect(&m_countdownTimer, &QTimer::timeout, this, &CountdownDialog::countDown);
    connect(m_abortButton, &QPushButton::clicked, this, &CountdownDialog::abort);
    placeControls();
    askForCloseBoxAlone(*this);
    makeTopMost(*this);
    startUp();
}

void CountdownDialog::placeControls()
{
    // A missing font falls back quietly to the nearest one the system has.
    const QFont font(QStringLiteral("Franklin Gothic Medium"), 12, QFont::Normal);
    m_abortButton->setFont(font);
    const int dpiX = logicalDpiX();
    const int dpiY = logicalDpiY();
    m_secondsLabel->setGeometry(twipsToPixels(QRect(180, 180, 3075, 315), dpiX, dpiY));
    m_secondsLabel->setFont(fittingFont(font, secondsText(kSeconds), m_secondsLabel->width()));
    m_abortButton->setGeometry(twipsToPixels(QRect(1080, 810, 1185, 555), dpiX, dpiY));
    setFixedSize(twipsToPixels(3450, dpiX), twipsToPixels(1650, dpiY));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void CountdownDialog::startUp()
{
    m_secondsLeft = kSeconds;
    m_countdownTimer.start();
}

void CountdownDialog::countDown()
{
    m_secondsLeft = qint16(m_secondsLeft - 1);
    m_secondsLabel->setText(secondsText(m_secondsLeft));
    if (m_secondsLeft <= 0) {
        m_countdownTimer.stop();
        accept();
    }
}

void CountdownDialog::abort()
{
    CommandLineAborted = true;
    m_countdownTimer.stop();
    reject();
}
