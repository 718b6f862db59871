#include "PagePictures.h"

#include <QBuffer>
#include <QByteArray>

#include <algorithm>

std::string repeated(const std::string &part, int times)
{
    std::string whole;
    whole.reserve(part.size() * size_t(std::max(times, 0)));
    for (int i = 0; i < times; ++i)
        whole += part;
    return whole;
}

std::string pngOf(const QColor &colour, const QSize &size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

int pixelsOf(const QImage &image, QRgb colour)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            count += image.pixel(x, y) == colour;
    return count;
}

int inkIn(const QImage &image, const QRect &area)
{
    int ink = 0;
    const QRect inside = area & image.rect();
    for (int y = inside.top(); y <= inside.bottom(); ++y)
        for (int x = inside.left(); x <= inside.right(); ++x)
            ink += image.pixel(x, y) != qRgb(255, 255, 255);
    return ink;
}
