#include "browser/builtin/view/SvgImage.h"

#include <QPainter>
#include <QSvgRenderer>

#include <cmath>

namespace {

// An SVG without a size of its own is drawn as large as browsers draw one.
constexpr QSize DefaultSvgSize(300, 150);

} // namespace

bool looksLikeSvg(const QByteArray &body, const QByteArray &contentType)
{
    if (contentType.trimmed().toLower().startsWith("image/svg+xml"))
        return true;
    const QByteArray start = body.left(512).trimmed();
    return start.startsWith("<svg") || (start.startsWith("<?xml") && start.contains("<svg"));
}

QImage drawSvg(const QByteArray &body, qint64 maxPixels)
{
    // An <image> inside is read by the SVG module from its address, a local file included: a
    // page may not reach those, so the SVG is drawn without its images.
    QByteArray contained = body;
    contained.replace("<image", "<ignored-image").replace(":image", ":ignored-image");
    QSvgRenderer renderer(contained);
    if (!renderer.isValid())
        return {};
    QSize size = renderer.defaultSize();
    if (size.isEmpty())
        size = DefaultSvgSize;
    const qint64 pixels = qint64(size.width()) * size.height();
    if (pixels > maxPixels)
        size = (QSizeF(size) * std::sqrt(double(maxPixels) / double(pixels))).toSize();
    if (size.isEmpty())
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}
