#include "browser/builtin/view/SelectPopup.h"

#include "browser/builtin/dom/FormControls.h"
#include "browser/builtin/dom/Node.h"

#include <QEventLoop>
#include <QListWidget>
#include <QPointer>

#include <algorithm>

namespace {

// Rows the list shows before it scrolls, as browsers' lists do.
constexpr int MaxVisibleRows = 20;

// A list that ends its event loop when it is hidden, however that happens.
class PopupList final : public QListWidget {
public:
    explicit PopupList(QWidget *parent) : QListWidget(parent) {}
    QEventLoop loop;

protected:
    void hideEvent(QHideEvent *event) override
    {
        QListWidget::hideEvent(event);
        loop.quit();
    }
};

} // namespace

std::optional<dom::Element *> choosePopupOption(QWidget *parent, const QRect &globalBox,
                                               const std::vector<dom::Element *> &options)
{
    if (options.empty())
        return std::nullopt;
    PopupList list(parent);
    list.setWindowFlags(Qt::Popup);
    list.setObjectName(QStringLiteral("selectPopup"));
    for (dom::Element *option : options) {
        auto *item = new QListWidgetItem(dom::optionText(*option), &list);
        if (dom::isDisabled(*option))
            item->setFlags(item->flags() & ~(Qt::ItemIsEnabled | Qt::ItemIsSelectable));
        if (dom::selectedness(*option))
            list.setCurrentItem(item);
    }
    const int rowHeight = std::max(list.sizeHintForRow(0), 1);
    const int rows = std::min(int(options.size()), MaxVisibleRows);
    list.setGeometry(globalBox.left(), globalBox.bottom() + 1, std::max(globalBox.width(), list.sizeHintForColumn(0) + 24),
                     rows * rowHeight + 2 * list.frameWidth());
    std::optional<dom::Element *> chosen;
    const auto choose = [&](QListWidgetItem *item) {
        if (item && (item->flags() & Qt::ItemIsEnabled))
            chosen = options[size_t(list.row(item))];
        list.hide();
    };
    QObject::connect(&list, &QListWidget::itemClicked, &list, choose);
    QObject::connect(&list, &QListWidget::itemActivated, &list, choose);
    list.show();
    list.setFocus();
    list.loop.exec();
    return chosen;
}
