#pragma once

#include "QtWait.h"

#include "browser/builtin/BuiltinWindow.h"
#include "browser/builtin/dom/DocumentModel.h"
#include "browser/builtin/dom/FormControls.h"
#include "browser/builtin/dom/HtmlDocument.h"
#include "browser/builtin/view/BuiltinWindowView.h"
#include "browser/builtin/view/PageView.h"

#include <QApplication>
#include <QLineEdit>
#include <QTest>
#include <QToolBar>

#include <gtest/gtest.h>

// A person at the view of a built-in browser window: mouse clicks and keys, as QTest sends them.
// Header only: the programs that include it link the built-in window's view.
class PersonAtWindow {
public:
    explicit PersonAtWindow(BuiltinWindow &window) : m_window(window) {}

    [[nodiscard]] BuiltinWindowView *view() const
    {
        for (QWidget *widget : QApplication::topLevelWidgets()) {
            auto *view = qobject_cast<BuiltinWindowView *>(widget);
            if (view && view->isVisible() && view->windowTitle() == m_window.title())
                return view;
        }
        return nullptr;
    }

    [[nodiscard]] PageView *page() const { return view()->findChild<PageView *>("page"); }

    // The window shows the address, completely.
    [[nodiscard]] bool isAt(const QString &url) const
    {
        return waitUntil([&] { return m_window.locationUrl() == url && m_window.document() && !m_window.isBusy() && view(); });
    }

    // Where the element with that id is drawn in the page's viewport.
    [[nodiscard]] QRect rectOf(const QString &id) const
    {
        page()->refreshNow();
        const auto model = documentModel(*m_window.document());
        const dom::Element *element = model ? dom::elementById(model->tree(), id) : nullptr;
        return element ? page()->elementRect(*element) : QRect();
    }

    // A click at the point of the element's box at these fractions of its width and height, once
    // the page is drawn (a page a script's click led to waits while that click is outlined).
    void click(const QString &id, double across = 0.1, double down = 0.5) const
    {
        QRect rect;
        ASSERT_TRUE(waitUntil([&] { return !(rect = rectOf(id)).isEmpty(); })) << id.toStdString();
        const QPoint point(rect.left() + int(rect.width() * across), rect.top() + int(rect.height() * down));
        QTest::mouseClick(page()->viewport(), Qt::LeftButton, {}, point);
    }

    // Typed at the end of the field's text.
    void type(const QString &id, const QString &text) const
    {
        click(id, 0.95);
        QTest::keyClicks(page(), text);
    }

    // A click that leads to the address: true once the window shows it.
    [[nodiscard]] bool clickTo(const QString &id, const QString &url) const
    {
        click(id);
        return isAt(url);
    }

    void pressEnterIn(const QString &id) const
    {
        click(id, 0.95);
        QTest::keyClick(page(), Qt::Key_Return);
    }

    [[nodiscard]] bool typeAddress(const QString &url) const
    {
        auto *address = view()->findChild<QLineEdit *>("address");
        address->clear();
        QTest::keyClicks(address, url);
        QTest::keyClick(address, Qt::Key_Return);
        return isAt(url);
    }

    // The Back button: true once the window shows the address again.
    [[nodiscard]] bool backTo(const QString &url) const
    {
        BuiltinWindowView *shown = view();
        QTest::mouseClick(shown->findChild<QToolBar *>("addressBar")->widgetForAction(shown->findChild<QAction *>("back")),
                          Qt::LeftButton);
        return isAt(url);
    }

private:
    BuiltinWindow &m_window;
};
