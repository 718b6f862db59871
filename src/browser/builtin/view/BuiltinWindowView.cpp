#include "browser/builtin/view/BuiltinWindowView.h"

#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/BuiltinWindow.h"
#include "browser/builtin/dom/Node.h"
#include "browser/builtin/view/PageView.h"
#include "engine/ScriptError.h"

#include <QAction>
#include <QCloseEvent>
#include <QDebug>
#include <QLineEdit>
#include <QStatusBar>
#include <QToolBar>

BuiltinWindowView::BuiltinWindowView(const std::shared_ptr<BuiltinWindow> &window, QWidget *parent)
    : QMainWindow(parent)
    , m_window(window)
    , m_toolBar(addToolBar(QStringLiteral("Address")))
    , m_address(new QLineEdit(m_toolBar))
    , m_page(new PageView(window->browser()->network(), window->browser()->limits(), this))
{
    setAttribute(Qt::WA_DeleteOnClose);
    // A browser window closing never ends the program that drives it.
    setAttribute(Qt::WA_QuitOnClose, false);
    m_toolBar->setObjectName(QStringLiteral("addressBar"));
    m_toolBar->setMovable(false);
    QAction *back = m_toolBar->addAction(QStringLiteral("Back"), this, &BuiltinWindowView::goBack);
    back->setObjectName(QStringLiteral("back"));
    back->setShortcut(QKeySequence::Back);
    m_address->setObjectName(QStringLiteral("address"));
    m_toolBar->addWidget(m_address);
    setCentralWidget(m_page);
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    resize(1000, 700);

    connect(m_address, &QLineEdit::returnPressed, this, &BuiltinWindowView::navigateToTyped);
    connect(window.get(), &BuiltinWindow::documentChanged, this, &BuiltinWindowView::showPage);
    connect(window.get(), &BuiltinWindow::pageEdited, m_page, &PageView::documentEdited);
    connect(window.get(), &BuiltinWindow::pageElementActedOn, m_page,
            [page = m_page](const dom::Element *element) { page->outlineElement(*element); });
    BuiltinWindow *shown = window.get();
    connect(m_page, &PageView::personClicking, shown,
            [shown](dom::Element *element) { shown->personClicking(*element); });
    connect(m_page, &PageView::personChangedField, shown,
            [shown](const dom::Element *field) { shown->personChangedField(*field); });
    connect(m_page, &PageView::personSubmitting, shown,
            [shown](const dom::Element *field) { shown->personSubmitting(*field); });
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
    m_page->showDocument(window->document(), QUrl(window->locationUrl()));
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
        window->navigateAsPerson(m_address->text());
    } catch (const ScriptError &error) {
        qWarning() << "Navigate failed:" << error.what();
    }
}

void BuiltinWindowView::goBack()
{
    const auto window = m_window.lock();
    if (!window || window->isClosed())
        return;
    try {
        window->goBackAsPerson();
    } catch (const ScriptError &error) {
        qWarning() << "Going back failed:" << error.what();
    }
}
