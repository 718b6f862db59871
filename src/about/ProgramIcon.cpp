#include "about/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace {

QPixmap drawIcon(int size)
{
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal unit = size / 32.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x1f, 0x5f, 0xa8));
    painter.drawRoundedRect(QRectF(unit, unit, 30 * unit, 30 * unit), 6 * unit, 6 * unit);
    // Three script lines and the arrow that relays them to a page.
    painter.setBrush(Qt::white);
    for (int line = 0; line < 3; ++line)
        painter.drawRoundedRect(QRectF(6 * unit, (8 + 6 * line) * unit, (12 - 2 * line) * unit, 3 * unit), unit, unit);
    QPainterPath arrow;
    arrow.moveTo(19 * unit, 10 * unit);
    arrow.lineTo(27 * unit, 16 * unit);
    arrow.lineTo(19 * unit, 22 * unit);
    arrow.closeSubpath();
    painter.setBrush(QColor(0xff, 0xc8, 0x3d));
    painter.drawPath(arrow);
    return pixmap;
}

} // namespace

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(drawIcon(size));
    return icon;
}
