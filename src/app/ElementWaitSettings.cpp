#include "app/ElementWaitSettings.h"

#include "engine/ElementWait.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QSettings>
#include <QVBoxLayout>

#include <cmath>

namespace {

QString keyOf(BrowserEngine engine)
{
    return engine == BrowserEngine::Chromium ? QStringLiteral("ElementWait/Chromium") : QStringLiteral("ElementWait/Builtin");
}

qint64 defaultOf(BrowserEngine engine)
{
    return engine == BrowserEngine::Chromium ? ElementWait::kChromiumDefaultMs : ElementWait::kBuiltinDefaultMs;
}

} // namespace

qint64 storedElementWaitMs(QSettings &settings, BrowserEngine engine)
{
    const QVariant stored = settings.value(keyOf(engine));
    if (!stored.isValid())
        return defaultOf(engine);
    return elementWaitMs(stored.toString()).value_or(defaultOf(engine));
}

void storeElementWaitMs(QSettings &settings, BrowserEngine engine, qint64 milliseconds)
{
    settings.setValue(keyOf(engine), secondsText(milliseconds));
    settings.sync();
}

ElementWaitDialog::ElementWaitDialog(QSettings &settings, QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_chromium(secondsBox("chromiumElementWait", storedElementWaitMs(settings, BrowserEngine::Chromium)))
    , m_builtin(secondsBox("builtinElementWait", storedElementWaitMs(settings, BrowserEngine::Builtin)))
{
    setObjectName(QStringLiteral("elementWait"));
    setWindowTitle(QStringLiteral("Element Wait"));
    auto *about = new QLabel(QStringLiteral("How long a line waits for the link, field, button or element it acts on "
                                            "to come (on Chromium: to be shown and enabled). 0: no wait."),
                             this);
    about->setWordWrap(true);
    auto *fields = new QFormLayout;
    fields->addRow(QStringLiteral("&Chromium:"), m_chromium);
    fields->addRow(QStringLiteral("&Built-in engine:"), m_builtin);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(about);
    layout->addLayout(fields);
    layout->addWidget(buttons);
}

QDoubleSpinBox *ElementWaitDialog::secondsBox(const char *name, qint64 milliseconds)
{
    auto *box = new QDoubleSpinBox(this);
    box->setObjectName(QLatin1String(name));
    box->setRange(0, ElementWait::kMaxSeconds);
    box->setDecimals(1);
    box->setSuffix(QStringLiteral(" s"));
    box->setValue(double(milliseconds) / 1000.0);
    return box;
}

void ElementWaitDialog::accept()
{
    storeElementWaitMs(m_settings, BrowserEngine::Chromium, std::llround(m_chromium->value() * 1000.0));
    storeElementWaitMs(m_settings, BrowserEngine::Builtin, std::llround(m_builtin->value() * 1000.0));
    QDialog::accept();
}
