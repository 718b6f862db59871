#include "library/CountdownWindow.h"

#include "library/TopMost.h"
#include "library/Twips.h"

#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>

namespace {

QString secondsText(qint16 seconds)
{
    return QStringLiteral("You have ") + QString::number(seconds) + QStringLiteral(" seconds to abort.");
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

fTimeout::fTimeout(QWidget *owner, std::chrono::milliseconds tick)
    : QDialog(owner, Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_lblSec(new QLabel(secondsText(kSeconds), this))
    , m_btnAbort(new QPushButton(QStringLiteral("Abort"), this))
{
    setObjectName(QStringLiteral("fTimeout"));
    setWindowTitle(QStringLiteral("NavRelay Command Line"));
    m_lblSec->setObjectName(QStringLiteral("lblSec"));
    m_btnAbort->setObjectName(QStringLiteral("btnAbort"));
    m_timer1.setObjectName(QStringLiteral("Timer1"));
    m_timer1.setParent(this);
    m_timer1.setInterval(tick);
    connect(&m_timer1, &QTimer::timeout, this, &fTimeout::Timer1_Timer);
    connect(m_btnAbort, &QPushButton::clicked, this, &fTimeout::btnAbort_Click);
    placeControls();
    MakeTopMost(*this);
    Form_Load();
}

void fTimeout::placeControls()
{
    // A missing font falls back quietly to the nearest one the system has.
    const QFont font(QStringLiteral("Franklin Gothic Medium"), 12, QFont::Normal);
    m_btnAbort->setFont(font);
    const int dpiX = logicalDpiX();
    const int dpiY = logicalDpiY();
    m_lblSec->setGeometry(twipsToPixels(QRect(180, 180, 3075, 315), dpiX, dpiY));
    m_lblSec->setFont(fittingFont(font, secondsText(kSeconds), m_lblSec->width()));
    m_btnAbort->setGeometry(twipsToPixels(QRect(1080, 810, 1185, 555), dpiX, dpiY));
    setFixedSize(twipsToPixels(3450, dpiX), twipsToPixels(1650, dpiY));
    if (const QScreen *screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void fTimeout::Form_Load()
{
    m_secondsLeft = kSeconds;
    m_timer1.start();
}

void fTimeout::Timer1_Timer()
{
    m_secondsLeft = qint16(m_secondsLeft - 1);
    m_lblSec->setText(secondsText(m_secondsLeft));
    if (m_secondsLeft <= 0) {
        m_timer1.stop();
        accept();
    }
}

void fTimeout::btnAbort_Click()
{
    CommandLineAborted = true;
    m_timer1.stop();
    reject();
}
