#include "about/AboutBox.h"

#include "about/ProgramIcon.h"
#include "about/SystemInformation.h"

#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QVBoxLayout>
#include <QVersionNumber>

namespace {

const QString kApplicationTitle = QStringLiteral("NavRelay");
constexpr int kIconSize = 48;

QFrame *horizontalLine()
{
    auto *line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    line->setFrameShadow(QFrame::Sunken);
    return line;
}

} // namespace

AboutBox::AboutBox(std::function<void()> openHomePage, QStringList systemInfoFolders)
    : m_openHomePage(std::move(openHomePage))
    , m_systemInfoFolders(std::move(systemInfoFolders))
{
    setObjectName(QStringLiteral("AboutBox"));
    setWindowTitle(QStringLiteral("About ") + kApplicationTitle);
    setWindowIcon(programIcon());
    setFont(QFont(QStringList{QStringLiteral("Tahoma"), QStringLiteral("DejaVu Sans")}, -1));

    auto *picture = new QLabel;
    picture->setObjectName(QStringLiteral("Picture1"));
    picture->setPixmap(programIcon().pixmap(kIconSize, kIconSize));
    picture->setAlignment(Qt::AlignTop);

    QLabel *title = addLabel("titleLabel", QStringLiteral("NavRelay 2.5"));
    QFont titleFont = title->font();
    titleFont.setPointSizeF(titleFont.pointSizeF() * 1.5);
    titleFont.setBold(true);
    title->setFont(titleFont);

    auto *details = new QVBoxLayout;
    details->addWidget(title);
    details->addWidget(addLabel("buildLabel", QStringLiteral("Build: %1").arg(revisionOf(QStringLiteral(NAVRELAY_VERSION)))));
    details->addWidget(addLabel("Label1", QStringLiteral("Released: July 4, 2006")));
    details->addWidget(addLabel("authorLabel", QStringLiteral("Written by the NavRelay developers.")));

    auto *header = new QHBoxLayout;
    header->addWidget(picture);
    header->addLayout(details, 1);

    QLabel *warning = addLabel("warningLabel", QStringLiteral("NavRelay is provided as it is, without warranty of any "
                                                            "kind.\nIts user guide opens in the attached browser from "
                                                            "the link below."));
    warning->setWordWrap(true);
    QLabel *here = addLabel("Label2", QStringLiteral("<a href=\"home\">HERE</a>"));
    here->setTextInteractionFlags(Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    here->setToolTip(QStringLiteral("Open the NavRelay home page in the browser"));
    connect(here, &QLabel::linkActivated, this, [this] { m_openHomePage(); });

    auto *sysInfo = new QPushButton(QStringLiteral("&System Info..."));
    sysInfo->setObjectName(QStringLiteral("systemInfoButton"));
    connect(sysInfo, &QPushButton::clicked, this, &AboutBox::startSystemInformation);
    auto *ok = new QPushButton(QStringLiteral("OK"));
    ok->setObjectName(QStringLiteral("okButton"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::close);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(ok);
    buttons->addWidget(sysInfo);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(header);
    layout->addWidget(horizontalLine());
    layout->addWidget(warning);
    layout->addWidget(here);
    layout->addWidget(horizontalLine());
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QLabel *AboutBox::addLabel(const char *name, const QString &text)
{
    auto *label = new QLabel(text, this);
    label->setObjectName(QLatin1String(name));
    return label;
}

int AboutBox::revisionOf(const QString &version)
{
    return QVersionNumber::fromString(version).segmentAt(3);
}

void AboutBox::startSystemInformation()
{
    const auto program = findSystemInformationProgram(m_systemInfoFolders);
    if (program && QProcess::startDetached(*program, {}))
        return;
    QMessageBox(QMessageBox::NoIcon, kApplicationTitle, QStringLiteral("System Information Is Unavailable At This Time"),
                QMessageBox::Ok, this)
        .exec();
}
