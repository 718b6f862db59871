#include "browser/builtin/view/BuiltinWindowView.h"

#include "browser/builtin/BuiltinWindow.h"
#include "browser/builtin/dom/HtmlDocument.h"
#include "browser/builtin/view/PageView.h"
#include "engine/ScriptError.h"

#include <QCloseEvent>
#include <QDebug>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolBar>

namespace {

// Rich-text layout of a huge page would freeze the window for minutes; the view shows its start.
constexpr qsizetype MaxShownHtml = 2 * 1024 * 1024;

} // namespace

BuiltinWindowView::BuiltinWindowView(const std::shared_ptr<BuiltinWindow> &window, QWidget *parent)
    : QMainWindow(parent)
    , m_window(window)
    , m_toolBar(addToolBar(QStringLiteral("Address")))
    , m_address(new QLineEdit(m_toolBar))
    , m_page(new PageView(this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    // A browser window closing never ends the program that drives it.
    setAttribute(Qt::WA_QuitOnClose, false);
    m_toolBar->setObjectName(QStringLiteral("addressBar"));
    m_toolBar->setMovable(false);
    m_address->setObjectName(QStringLiteral("address"));
    m_toolBar->addWidget(m_address);
    setCentralWidget(m_page);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    resize(1000, 700);

    connect(m_address, &QLineEdit::returnPressed, this, &BuiltinWindowView::navigateToTyped);
    connect(m_page, &QTextBrowser::anchorClicked, this, &BuiltinWindowView::followLink);
    connect(window.get(), &BuiltinWindow::documentChanged, this, &BuiltinWindowView::showPage);
    connect(window.get(), &BuiltinWindow::barsChanged, this, &BuiltinWindowView::showBars);
    connect(window.get(), &BuiltinWindow::statusTextChanged, this,
            [this, window = window.get()] { statusBar()->showMessage(window->statusText()); });
    connect(window.get(), &BuiltinWindow::activationRequested, this, [this] {
        show();
        raise();
        activateWindow();
    });
    connect(window.get(), &BuiltinWindow::closed, this, &QWidget::close);
    showPage();
    showBars();
    statusBar()->showMessage(window->statusText());
}

void BuiltinWindowView::closeEvent(QCloseEvent *event)
{
    if (const auto window = m_window.lock())
        window->close();
    event->accept();
}

void BuiltinWindowView::showPage()
{
    const auto window = m_window.lock();
    if (!window || window->isClosed())
        return;
    setWindowTitle(window->title());
    m_address->setText(window->locationUrl());
    const auto document = window->document();
    m_page->setHtml(document ? documentHtml(*document).left(MaxShownHtml) : QString());
}

void BuiltinWindowView::showBars()
{
    const auto window = m_window.lock();
    if (!window)
        return;
    m_toolBar->setVisible(window->toolBarVisible());
    statusBar()->setVisible(window->statusBarVisible());
}

void BuiltinWindowView::navigateToTyped()
{
    const auto window = m_window.lock();
    if (!window)
        return;
    try {
        window->navigate(m_address->text());
    } catch (const ScriptError &error) {
        qWarning() << "Navigate failed:" << error.what();
    }
}

void BuiltinWindowView::followLink(const QUrl &link)
{
    const auto window = m_window.lock();
    if (!window)
        return;
    if (link.isRelative() && link.path().isEmpty() && link.hasFragment()) {
        m_page->scrollToAnchor(link.fragment());
        return;
    }
    try {
        const QUrl page(window->locationUrl());
        NavigationRequest request;
        request.url = page.resolved(link);
        request.referrer = page;
        request.initiator = page;
        window->followHyperlink(request);
    } catch (const ScriptError &error) {
        qWarning() << "Following the link failed:" << error.what();
    }
}
