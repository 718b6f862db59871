#include "app/RecordOptions.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QSettings>
#include <QVBoxLayout>

namespace {

const QString kAskForPasswordsKey = QStringLiteral("Record/AskForPasswords");

} // namespace

ScriptRecorder::Options storedRecordOptions(QSettings &settings)
{
    ScriptRecorder::Options options;
    options.askForPasswords = settings.value(kAskForPasswordsKey, options.askForPasswords).toBool();
    return options;
}

void storeRecordOptions(QSettings &settings, const ScriptRecorder::Options &options)
{
    settings.setValue(kAskForPasswordsKey, options.askForPasswords);
    settings.sync();
}

RecordOptionsDialog::RecordOptionsDialog(QSettings &settings, QWidget *parent)
    : QDialog(parent)
    , m_settings(settings)
    , m_askForPasswords(new QCheckBox(QStringLiteral("Record passwords as $$$ (the run asks for them)"), this))
{
    setObjectName(QStringLiteral("recordOptions"));
    setWindowTitle(QStringLiteral("Record Options"));
    m_askForPasswords->setObjectName(QStringLiteral("askForPasswords"));
    m_askForPasswords->setChecked(storedRecordOptions(settings).askForPasswords);
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_askForPasswords);
    layout->addWidget(buttons);
}

void RecordOptionsDialog::accept()
{
    ScriptRecorder::Options options;
    options.askForPasswords = m_askForPasswords->isChecked();
    storeRecordOptions(m_settings, options);
    QDialog::accept();
}
