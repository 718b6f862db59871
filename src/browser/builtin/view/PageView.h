#pragma once

#include <QTextBrowser>

// The rich-text view of a page. It fetches nothing itself: images and style sheets a page names
// are neither read from disk nor loaded from the network, and links are left to the window.
class PageView final : public QTextBrowser {
    Q_OBJECT
public:
    explicit PageView(QWidget *parent = nullptr);

    [[nodiscard]] QVariant loadResource(int type, const QUrl &name) override;
};
