#include "browser/builtin/view/PageView.h"

PageView::PageView(QWidget *parent)
    : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
    setObjectName(QStringLiteral("page"));
}

QVariant PageView::loadResource(int type, const QUrl &name)
{
    Q_UNUSED(type);
    Q_UNUSED(name);
    return {};
}
