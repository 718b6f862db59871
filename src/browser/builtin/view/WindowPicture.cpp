#include "browser/builtin/view/WindowPicture.h"

#include "browser/builtin/view/BuiltinWindowView.h"

#include <QApplication>
#include <QBuffer>
#include <QPixmap>

QByteArray windowPicturePng(const std::shared_ptr<BuiltinWindow> &window)
{
    if (!window || !qobject_cast<QApplication *>(QCoreApplication::instance()))
        return {};
    BuiltinWindowView view(window);
    // Drawn without being shown: the picture never appears on a screen the user looks at.
    const QPixmap picture = view.grab();
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return png;
}
