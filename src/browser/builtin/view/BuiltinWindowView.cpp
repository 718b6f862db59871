#include "browser/builtin/view/BuiltinWindowView.h"

#include "browser/builtin/BuiltinBrowser.h"
#include "browser/builtin/BuiltinWindow.h"
#include "browser/builtin/dom/Node.h"
#include "browser/builtin/view/PageView.h"
#include "engine/ScriptError.h"
#include "page/PageZoom.h"

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
    m_forward = m_toolBar->addAction(QStringLiteral("Forward"), this, &BuiltinWindowView::goForward);
    m_forward->setObjectName(QStringLiteral("forward"));
    m_forward->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    QAction *reload = m_toolBar->addAction(QStringLiteral("Reload"), this, &BuiltinWindowView::reload);
    reload->setObjectName(QStringLiteral("reload"));
    reload->setShortcuts({QKeySequence::Refresh, QKeySequence(Qt::CTRL | Qt::Key_R)});
    m_address->setObjectName(QStringLiteral("address"));
    m_toolBar->addWidget(m_address);
    auto *toAddress = new QAction(QStringLiteral("Go to the address bar"), this);
    toAddress->setObjectName(QStringLiteral("toAddress"));
    toAddress->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    addAction(toAddress);
    connect(toAddress, &QAction::triggered, this, [this] {
        m_address->setFocus(Qt::ShortcutFocusReason);
        m_address->selectAll();
    });
    setCentralWidget(m_page);
    addZoomKeys();
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
    connect(m_page, &PageView::linkHovered, this, [this, window = window.get()](const QString &address) {
        statusBar()->showMessage(address.isEmpty() ? window->statusText() : address);
    });
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
    m_page->stopLayouts();
    event->accept();
}

void BuiltinWindowView::showPage()
{
    const auto window = m_window.lock();
    if (!window || window->isClosed())
        return;
    setWindowTitle(window->title());
    m_forward->setEnabled(window->canGoForward());
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
    actOnOpenWindow("Going back", [](BuiltinWindow &window) { window.goBackAsPerson(); });
}

void BuiltinWindowView::goForward()
{
    actOnOpenWindow("Going forward", [](BuiltinWindow &window) { window.goForwardAsPerson(); });
}

void BuiltinWindowView::reload()
{
    const auto window = m_window.lock();
    if (!window || window->isClosed() || window->locationUrl().isEmpty())
        return;
    m_page->reloadResources();
    actOnOpenWindow("Reload", [](BuiltinWindow &open) { open.reloadAsPerson(); });
}

void BuiltinWindowView::actOnOpenWindow(const char *what, const std::function<void(BuiltinWindow &)> &action)
{
    const auto window = m_window.lock();
    if (!window || window->isClosed())
        return;
    try {
        action(*window);
    } catch (const ScriptError &error) {
        qWarning() << what << "failed:" << error.what();
    }
}

void BuiltinWindowView::addZoomKeys()
{
    // The keys of the main window's Zoom menu: Shift+F1 to F3 the selection, Ctrl+F1 to F3 the
    // whole page, at sizes 3 to 5.
    const Qt::Key keys[] = {Qt::Key_F1, Qt::Key_F2, Qt::Key_F3};
    for (qint16 size = 3; size <= 5; ++size) {
        const Qt::Key key = keys[size - 3];
        auto *selection = new QAction(this);
        selection->setShortcut(QKeySequence(Qt::SHIFT | key));
        auto *wholePage = new QAction(this);
        wholePage->setShortcut(QKeySequence(Qt::CTRL | key));
        addActions({selection, wholePage});
        const auto zoom = [this, size](bool whole) {
            const auto window = m_window.lock();
            if (!window || window->isClosed() || !window->document())
                return;
            try {
                if (whole)
                    zoomWholePage(*window->document(), *window, size);
                else
                    zoomSelectionOf(*window->document(), size);
            } catch (const ScriptError &error) {
                qWarning() << "Zoom failed:" << error.what();
            }
        };
        connect(selection, &QAction::triggered, this, [zoom] { zoom(false); });
        connect(wholePage, &QAction::triggered, this, [zoom] { zoom(true); });
    }
}
