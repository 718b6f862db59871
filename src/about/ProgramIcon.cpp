#include "about/ProgramIcon.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

#include <vector>

namespace {

// The shapes are laid out on a square of this many units, whatever the size drawn.
constexpr qreal kGrid = 32;

struct IconShape {
    QPainterPath outline;
    QColor colour;
};

QPainterPath roundedRect(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

std::vector<IconShape> iconShapes()
{
    std::vector<IconShape> shapes{{roundedRect(QRectF(1, 1, 30, 30), 6), QColor(0x1f, 0x5f, 0xa8)}};
    // Three script lines and the arrow that relays them to a page.
    for (int line = 0; line < 3; ++line)
        shapes.push_back({roundedRect(QRectF(6, 8 + 6 * line, 12 - 2 * line, 3), 1), Qt::white});
    QPainterPath arrow;
    arrow.moveTo(19, 10);
    arrow.lineTo(27, 16);
    arrow.lineTo(19, 22);
    arrow.closeSubpath();
    shapes.push_back({arrow, QColor(0xff, 0xc8, 0x3d)});
    return shapes;
}

QByteArray svgPathData(const QPainterPath &path)
{
    QByteArray data;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element element = path.elementAt(i);
        const char *command = element.isMoveTo() ? "M" : element.isLineTo() ? "L" : element.isCurveTo() ? "C" : "";
        if (!data.isEmpty())
            data += ' ';
        data += command;
        data += QByteArray::number(element.x, 'g', 6) + ',' + QByteArray::number(element.y, 'g', 6);
    }
    return data + " Z";
}

} // namespace

QImage programIconImage(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.scale(size / kGrid, size / kGrid);
    for (const IconShape &shape : iconShapes())
        painter.fillPath(shape.outline, shape.colour);
    return image;
}

QByteArray programIconSvg()
{
    QByteArray svg = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                     "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"32\" height=\"32\" viewBox=\"0 0 32 32\">\n";
    for (const IconShape &shape : iconShapes())
        svg += "  <path fill=\"" + shape.colour.name().toLatin1() + "\" d=\"" + svgPathData(shape.outline) + "\"/>\n";
    return svg + "</svg>\n";
}

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 24, 32, 48, 64, 128})
        icon.addPixmap(QPixmap::fromImage(programIconImage(size)));
    return icon;
}
