#include "browser/builtin/view/PainterContainer.h"

#include "browser/builtin/dom/HtmlSerializer.h"
#include "browser/builtin/dom/Node.h"
#include "browser/builtin/view/CancellableElement.h"
#include "browser/builtin/view/ControlElement.h"
#include "browser/builtin/view/FontElement.h"
#include "browser/builtin/view/ImageBox.h"
#include "browser/builtin/view/PageResources.h"
#include "browser/builtin/view/StyleElement.h"
#include "browser/builtin/view/StyleSheetPreparer.h"
#include "browser/builtin/view/UserAgentStyle.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <utility>

namespace {

constexpr int DefaultFontSize = 16;
constexpr int DefaultMonospaceSize = 13;
constexpr int ScreenDpi = 96;

[[nodiscard]] QColor qtColor(const litehtml::web_color &colour)
{
    return {colour.red, colour.green, colour.blue, colour.alpha};
}

[[nodiscard]] QRect qtRect(const litehtml::position &position)
{
    return {position.x, position.y, position.width, position.height};
}

// The families of a CSS font-family list, the generic ones by the names fontconfig knows, serif
// and sans-serif first as the fonts other browsers here draw them in.
[[nodiscard]] QStringList fontFamilies(const char *faceName)
{
    QStringList families;
    for (QString family : QString::fromUtf8(faceName).split(u',')) {
        family = family.trimmed();
        if (family.size() >= 2 && (family.front() == u'"' || family.front() == u'\'') && family.back() == family.front())
            family = family.mid(1, family.size() - 2);
        if (family.compare(QLatin1StringView("cursive"), Qt::CaseInsensitive) == 0
            || family.compare(QLatin1StringView("fantasy"), Qt::CaseInsensitive) == 0
            || family.compare(QLatin1StringView("system-ui"), Qt::CaseInsensitive) == 0)
            family = QStringLiteral("sans-serif");
        if (family.compare(QLatin1StringView("serif"), Qt::CaseInsensitive) == 0)
            families.append(QStringLiteral("Liberation Serif"));
        else if (family.compare(QLatin1StringView("sans-serif"), Qt::CaseInsensitive) == 0)
            families.append(QStringLiteral("Liberation Sans"));
        if (!family.isEmpty())
            families.append(family);
    }
    if (families.isEmpty())
        families = QStringList{QStringLiteral("Liberation Serif"), QStringLiteral("serif")};
    return families;
}

// The kind of font the list falls back to: its first generic family.
[[nodiscard]] QFont::StyleHint styleHint(const QStringList &families)
{
    for (const QString &family : families) {
        if (family.compare(QLatin1StringView("monospace"), Qt::CaseInsensitive) == 0)
            return QFont::Monospace;
        if (family.compare(QLatin1StringView("serif"), Qt::CaseInsensitive) == 0)
            return QFont::Serif;
        if (family.compare(QLatin1StringView("sans-serif"), Qt::CaseInsensitive) == 0)
            return QFont::SansSerif;
    }
    return QFont::SansSerif;
}

// The two shades a 3D border style draws its top-left and bottom-right sides in.
[[nodiscard]] QColor shaded(const QColor &colour, litehtml::border_style style, bool topLeft)
{
    const bool darker = (style == litehtml::border_style_inset || style == litehtml::border_style_groove) == topLeft;
    return darker ? colour.darker(160) : colour.lighter(140);
}

struct Side {
    const litehtml::border &border;
    QPolygonF shape;
    QLineF middle;
    bool topLeft;
};

void drawSide(QPainter &painter, const Side &side)
{
    const litehtml::border &border = side.border;
    if (border.width <= 0 || border.style == litehtml::border_style_none || border.style == litehtml::border_style_hidden)
        return;
    QColor colour = qtColor(border.color);
    switch (border.style) {
    case litehtml::border_style_dotted:
    case litehtml::border_style_dashed: {
        QPen pen(colour, border.width, border.style == litehtml::border_style_dotted ? Qt::DotLine : Qt::DashLine);
        pen.setCapStyle(Qt::FlatCap);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawLine(side.middle);
        return;
    }
    case litehtml::border_style_inset:
    case litehtml::border_style_outset:
    case litehtml::border_style_groove:
    case litehtml::border_style_ridge: colour = shaded(colour, border.style, side.topLeft); break;
    default: break;
    }
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPolygon(side.shape);
}

[[nodiscard]] QPainterPath roundedPath(const QRectF &box, const litehtml::border_radiuses &radius)
{
    QPainterPath path;
    path.addRoundedRect(box, radius.top_left_x, radius.top_left_y);
    return path;
}

[[nodiscard]] bool isRounded(const litehtml::border_radiuses &radius)
{
    return radius.top_left_x > 0 || radius.top_right_x > 0 || radius.bottom_left_x > 0 || radius.bottom_right_x > 0;
}

// Fills the clip box with the background image from its first tile on, as often as the
// repeat asks for.
void drawBackgroundImage(QPainter &painter, const QImage &image, const litehtml::background_paint &bg)
{
    const QSize tileSize = bg.image_size.width > 0 && bg.image_size.height > 0
        ? QSize(bg.image_size.width, bg.image_size.height)
        : image.size();
    if (tileSize.isEmpty())
        return;
    const QRect tile(bg.position_x, bg.position_y, tileSize.width(), tileSize.height());
    QRect area = qtRect(bg.clip_box);
    switch (bg.repeat) {
    case litehtml::background_repeat_no_repeat: area &= tile; break;
    case litehtml::background_repeat_repeat_x: area &= QRect(area.left(), tile.top(), area.width(), tile.height()); break;
    case litehtml::background_repeat_repeat_y: area &= QRect(tile.left(), area.top(), tile.width(), area.height()); break;
    case litehtml::background_repeat_repeat: break;
    }
    if (area.isEmpty())
        return;
    const QImage scaled = tileSize == image.size() ? image : image.scaled(tileSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    QBrush brush(scaled);
    brush.setTransform(QTransform::fromTranslate(tile.left(), tile.top()));
    painter.fillRect(area, brush);
}

// The padding a table cell takes from its table's cellpadding attribute, as a style.
[[nodiscard]] QString cellPadding(const dom::Element &cell)
{
    if (!cell.is(QLatin1StringView("td")) && !cell.is(QLatin1StringView("th")))
        return {};
    const dom::Element *table = cell.parentElement();
    while (table && !table->is(QLatin1StringView("table")))
        table = table->parentElement();
    bool number = false;
    const int padding = table ? table->attributeOrEmpty(u"cellpadding").trimmed().toInt(&number) : 0;
    return number && padding >= 0 ? QStringLiteral("padding:%1px;").arg(std::min(padding, 1000)) : QString();
}

// The names of the page's html and body elements, which decide the custom properties of the page.
[[nodiscard]] RootElements rootElements(const std::vector<dom::Element *> &elements)
{
    RootElements root;
    for (const dom::Element *element : elements) {
        if (!element->is(QLatin1StringView("html")) && !element->is(QLatin1StringView("body")))
            continue;
        root.classes += element->attributeOrEmpty(u"class").split(u' ', Qt::SkipEmptyParts);
        if (element->hasAttribute(u"id"))
            root.ids.append(element->attributeOrEmpty(u"id"));
        for (const dom::Attribute &attribute : element->attributes())
            root.attributes.append({attribute.name, attribute.value});
        if (element->is(QLatin1StringView("body")))
            break;
    }
    return root;
}

} // namespace

LayoutFont::LayoutFont(const QFont &qtFont)
    : font(qtFont)
    , metrics(qtFont)
{
    const QFontMetricsF exact(qtFont);
    ascent = qRound(exact.ascent());
    descent = qRound(exact.descent());
    lineHeight = ascent + descent + std::max(0, qRound(exact.leading()));
}

PainterContainer::PainterContainer(ArrivedResources &resources, const FieldFocus &focus)
    : m_resources(resources)
    , m_focus(focus)
{
}

PainterContainer::~PainterContainer() = default;

void PainterContainer::setPage(const QUrl &baseUrl, const std::vector<dom::Element *> &elements)
{
    m_baseUrl = baseUrl;
    m_elements = &elements;
    const SelectorFilter selectors(elements);
    m_styles = std::make_unique<StyleSheetPreparer>(rootElements(elements), selectors);
    m_userAgentStyles = StyleSheetPreparer({}, selectors).sheet(QString::fromUtf8(::userAgentStyleSheet())).toStdString();
    m_disclosureMarkers = false;
    m_controlKinds.clear();
    for (size_t index = 0; index < elements.size(); ++index) {
        const dom::Element &element = *elements[index];
        if (element.is(QLatin1StringView("input")) || element.is(QLatin1StringView("select"))
            || element.is(QLatin1StringView("textarea")))
            m_controlKinds.emplace(index, controlKind(element));
    }
    learnInheritedStyles(elements);
}

void PainterContainer::setPainter(QPainter *painter)
{
    while (m_clips > 0 && m_painter) {
        m_painter->restore();
        --m_clips;
    }
    m_clips = 0;
    m_painter = painter;
}

const LayoutFont &PainterContainer::layoutFont(litehtml::uint_ptr font)
{
    return *reinterpret_cast<const LayoutFont *>(font);
}

QPainter &PainterContainer::painter(litehtml::uint_ptr hdc)
{
    return *reinterpret_cast<QPainter *>(hdc);
}

PainterContainer &PainterContainer::of(const litehtml::element &element)
{
    return static_cast<PainterContainer &>(*element.get_document()->container());
}

QUrl PainterContainer::resolve(const char *src, const char *baseUrl) const
{
    const QUrl base = baseUrl && *baseUrl ? m_baseUrl.resolved(QUrl(QString::fromUtf8(baseUrl))) : m_baseUrl;
    return base.resolved(QUrl(QString::fromUtf8(src).trimmed()));
}

QStringList PainterContainer::withPageFonts(const QStringList &families)
{
    if (!m_styles || m_styles->fontFaces().isEmpty())
        return families;
    QStringList chosen;
    for (const QString &family : families) {
        for (const FontFaceRule &face : m_styles->fontFaces()) {
            if (face.family.compare(family, Qt::CaseInsensitive) != 0)
                continue;
            for (const QString &source : face.sources) {
                const QStringList registered = m_resources.fontFamilies(
                    resolve(source.toUtf8().constData(), face.baseUrl.toUtf8().constData()));
                if (!registered.isEmpty()) {
                    chosen += registered;
                    break;
                }
            }
        }
        chosen.append(family);
    }
    chosen.removeDuplicates();
    return chosen;
}

const QImage *PainterContainer::image(const char *src, const char *baseUrl)
{
    if (!src || !*src)
        return nullptr;
    return m_resources.image(resolve(src, baseUrl));
}

void PainterContainer::learnInheritedStyles(const std::vector<dom::Element *> &elements)
{
    m_inheritedStyles.clear();
    for (size_t index = 0; index < elements.size(); ++index) {
        const dom::Element &element = *elements[index];
        InheritedStyle inherited{cellPadding(element), {}};
        if (element.attributeOrEmpty(u"style").contains(QLatin1StringView("var("), Qt::CaseInsensitive))
            for (const dom::Element *each = &element; each; each = each->parentElement())
                StyleSheetPreparer::learnDeclaredProperties(each->attributeOrEmpty(u"style"), inherited.customProperties);
        if (!inherited.cellPadding.isEmpty() || !inherited.customProperties.isEmpty())
            m_inheritedStyles.emplace(index, std::move(inherited));
    }
}

std::string PainterContainer::styleAttribute(const litehtml::element &box) const
{
    const char *index = box.get_attr(dom::DisplayIndexAttribute);
    const auto found = index ? m_inheritedStyles.find(std::strtoul(index, nullptr, 10)) : m_inheritedStyles.end();
    const InheritedStyle none;
    const InheritedStyle &inherited = found == m_inheritedStyles.end() ? none : found->second;
    const char *own = box.get_attr("style");
    if (!own || !m_styles)
        return (inherited.cellPadding + QString::fromUtf8(own ? own : "")).toStdString();
    return (inherited.cellPadding + m_styles->declarations(QString::fromUtf8(own), inherited.customProperties)).toStdString();
}

litehtml::uint_ptr PainterContainer::create_font(const litehtml::tchar_t *faceName, int size, int weight,
                                                 litehtml::font_style italic, unsigned int decoration,
                                                 litehtml::font_metrics *fm)
{
    const QStringList families = withPageFonts(fontFamilies(faceName));
    QFont qtFont;
    qtFont.setFamilies(families);
    qtFont.setStyleHint(styleHint(families));
    // Text in the bare monospace family at the default size is drawn at 13 pixels, as browsers
    // draw it.
    if (families == QStringList{QStringLiteral("monospace")} && size == DefaultFontSize)
        size = DefaultMonospaceSize;
    qtFont.setPixelSize(std::clamp(size, 1, 2000));
    qtFont.setWeight(QFont::Weight(std::clamp(weight, 100, 900)));
    qtFont.setItalic(italic == litehtml::fontStyleItalic);
    qtFont.setUnderline(decoration & litehtml::font_decoration_underline);
    qtFont.setStrikeOut(decoration & litehtml::font_decoration_linethrough);
    qtFont.setOverline(decoration & litehtml::font_decoration_overline);
    auto font = std::make_unique<LayoutFont>(qtFont);
    if (fm) {
        fm->ascent = font->ascent;
        fm->descent = font->descent;
        fm->height = font->lineHeight;
        fm->x_height = font->metrics.xHeight();
        fm->draw_spaces = italic == litehtml::fontStyleItalic || decoration != 0;
    }
    const auto handle = reinterpret_cast<litehtml::uint_ptr>(font.get());
    m_fonts.emplace(handle, std::move(font));
    return handle;
}

void PainterContainer::delete_font(litehtml::uint_ptr hFont)
{
    m_fonts.erase(hFont);
}

int PainterContainer::text_width(const litehtml::tchar_t *text, litehtml::uint_ptr hFont)
{
    LayoutFont &font = *reinterpret_cast<LayoutFont *>(hFont);
    const std::string word(text);
    const auto known = font.wordWidths.find(word);
    if (known != font.wordWidths.end())
        return known->second;
    const int width = font.metrics.horizontalAdvance(QString::fromStdString(word));
    font.wordWidths.emplace(word, width);
    return width;
}

void PainterContainer::draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t *text, litehtml::uint_ptr hFont,
                                 litehtml::web_color color, const litehtml::position &pos)
{
    const LayoutFont &font = layoutFont(hFont);
    QPainter &target = painter(hdc);
    target.setFont(font.font);
    target.setPen(qtColor(color));
    target.drawText(QPoint(pos.x, pos.y + font.ascent), QString::fromUtf8(text));
}

int PainterContainer::pt_to_px(int pt) const
{
    return pt * ScreenDpi / 72;
}

int PainterContainer::get_default_font_size() const
{
    return DefaultFontSize;
}

const litehtml::tchar_t *PainterContainer::get_default_font_name() const
{
    return "serif";
}

void PainterContainer::draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker &marker)
{
    QPainter &target = painter(hdc);
    const QRect box = qtRect(marker.pos);
    if (!marker.image.empty()) {
        if (const QImage *picture = image(marker.image.c_str(), marker.baseurl)) {
            target.drawImage(box, *picture);
            return;
        }
    }
    target.save();
    target.setRenderHint(QPainter::Antialiasing);
    const QColor colour = qtColor(marker.color);
    switch (marker.marker_type) {
    case litehtml::list_style_type_circle:
        target.setPen(QPen(colour, 1));
        target.setBrush(Qt::NoBrush);
        target.drawEllipse(QRectF(box).adjusted(0.5, 0.5, -0.5, -0.5));
        break;
    case litehtml::list_style_type_disc:
        target.setPen(Qt::NoPen);
        target.setBrush(colour);
        target.drawEllipse(box);
        break;
    case litehtml::list_style_type_square: target.fillRect(box, colour); break;
    default: break;
    }
    target.restore();
}

void PainterContainer::load_image(const litehtml::tchar_t *src, const litehtml::tchar_t *baseurl, bool)
{
    (void)image(src, baseurl);
}

void PainterContainer::get_image_size(const litehtml::tchar_t *src, const litehtml::tchar_t *baseurl,
                                      litehtml::size &sz)
{
    const QImage *picture = image(src, baseurl);
    sz.width = picture ? picture->width() : 0;
    sz.height = picture ? picture->height() : 0;
}

void PainterContainer::draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint &paint)
{
    QPainter &target = painter(hdc);
    // The root's background (or the body's it takes on) is the canvas's: it fills the window
    // also where the page ends above its bottom.
    litehtml::background_paint bg = paint;
    if (bg.is_root) {
        const QRect canvas = target.worldTransform().inverted().mapRect(target.viewport()) | qtRect(bg.clip_box);
        bg.clip_box = litehtml::position(canvas.x(), canvas.y(), canvas.width(), canvas.height());
    }
    target.save();
    if (isRounded(bg.border_radius)) {
        target.setRenderHint(QPainter::Antialiasing);
        target.setClipPath(roundedPath(qtRect(bg.border_box), bg.border_radius), Qt::IntersectClip);
    }
    if (bg.color.alpha > 0)
        target.fillRect(qtRect(bg.clip_box), qtColor(bg.color));
    if (!bg.image.empty()) {
        if (const QImage *picture = image(bg.image.c_str(), bg.baseurl.c_str()))
            drawBackgroundImage(target, *picture, bg);
    }
    target.restore();
}

void PainterContainer::draw_borders(litehtml::uint_ptr hdc, const litehtml::borders &borders,
                                    const litehtml::position &draw_pos, bool)
{
    QPainter &target = painter(hdc);
    const QRectF outer = qtRect(draw_pos);
    const QRectF inner = outer.adjusted(borders.left.width, borders.top.width, -borders.right.width, -borders.bottom.width);
    target.save();
    const litehtml::border &top = borders.top;
    const bool uniform = top.width == borders.left.width && top.width == borders.right.width
        && top.width == borders.bottom.width && top.style == borders.left.style && top.style == borders.right.style
        && top.style == borders.bottom.style && top.style == litehtml::border_style_solid;
    if (uniform && isRounded(borders.radius) && top.width > 0) {
        target.setRenderHint(QPainter::Antialiasing);
        target.setPen(QPen(qtColor(top.color), top.width));
        target.setBrush(Qt::NoBrush);
        const qreal half = top.width / 2.0;
        target.drawPath(roundedPath(outer.adjusted(half, half, -half, -half), borders.radius));
        target.restore();
        return;
    }
    const qreal midTop = (outer.top() + inner.top()) / 2;
    const qreal midBottom = (outer.bottom() + inner.bottom()) / 2;
    const qreal midLeft = (outer.left() + inner.left()) / 2;
    const qreal midRight = (outer.right() + inner.right()) / 2;
    drawSide(target, {borders.top,
                      QPolygonF{outer.topLeft(), outer.topRight(), inner.topRight(), inner.topLeft()},
                      QLineF(outer.left(), midTop, outer.right(), midTop), true});
    drawSide(target, {borders.bottom,
                      QPolygonF{outer.bottomLeft(), outer.bottomRight(), inner.bottomRight(), inner.bottomLeft()},
                      QLineF(outer.left(), midBottom, outer.right(), midBottom), false});
    drawSide(target, {borders.left,
                      QPolygonF{outer.topLeft(), outer.bottomLeft(), inner.bottomLeft(), inner.topLeft()},
                      QLineF(midLeft, outer.top(), midLeft, outer.bottom()), true});
    drawSide(target, {borders.right,
                      QPolygonF{outer.topRight(), outer.bottomRight(), inner.bottomRight(), inner.topRight()},
                      QLineF(midRight, outer.top(), midRight, outer.bottom()), false});
    target.restore();
}

void PainterContainer::set_caption(const litehtml::tchar_t *)
{
    // The window's title comes from the engine's document.
}

void PainterContainer::set_base_url(const litehtml::tchar_t *)
{
    // The engine's document already gives the base URL.
}

void PainterContainer::link(const std::shared_ptr<litehtml::document> &, const litehtml::element::ptr &)
{
}

void PainterContainer::on_anchor_click(const litehtml::tchar_t *, const litehtml::element::ptr &)
{
    // Clicks go through the engine's own click path, not the layout's.
}

void PainterContainer::set_cursor(const litehtml::tchar_t *cursor)
{
    m_cursor = QString::fromUtf8(cursor ? cursor : "auto");
}

void PainterContainer::transform_text(litehtml::tstring &text, litehtml::text_transform tt)
{
    QString transformed = QString::fromStdString(text);
    switch (tt) {
    case litehtml::text_transform_uppercase: transformed = transformed.toUpper(); break;
    case litehtml::text_transform_lowercase: transformed = transformed.toLower(); break;
    case litehtml::text_transform_capitalize:
        if (!transformed.isEmpty())
            transformed[0] = transformed[0].toUpper();
        break;
    case litehtml::text_transform_none: return;
    }
    text = transformed.toStdString();
}

void PainterContainer::import_css(litehtml::tstring &text, const litehtml::tstring &url, litehtml::tstring &baseurl)
{
    const QUrl address = resolve(url.c_str(), baseurl.c_str());
    const QString key = address.toString();
    if (m_cancelled || !m_styles || !m_styles->admitImport(key, QString::fromStdString(baseurl))) {
        text.clear();
        return;
    }
    if (const std::optional<QString> sheet = m_resources.styleSheet(address))
        text = m_styles->sheet(*sheet, key).toStdString();
    baseurl = key.toStdString();
}

void PainterContainer::set_clip(const litehtml::position &pos, const litehtml::border_radiuses &, bool valid_x,
                                bool valid_y)
{
    if (!m_painter)
        return;
    constexpr int Unbounded = 1 << 24;
    QRect clip = qtRect(pos);
    if (!valid_x) {
        clip.setLeft(-Unbounded);
        clip.setRight(Unbounded);
    }
    if (!valid_y) {
        clip.setTop(-Unbounded);
        clip.setBottom(Unbounded);
    }
    m_painter->save();
    m_painter->setClipRect(clip, Qt::IntersectClip);
    ++m_clips;
}

void PainterContainer::del_clip()
{
    if (!m_painter || m_clips == 0)
        return;
    m_painter->restore();
    --m_clips;
}

void PainterContainer::get_client_rect(litehtml::position &client) const
{
    client = litehtml::position(0, 0, m_viewport.width(), m_viewport.height());
}

std::shared_ptr<litehtml::element> PainterContainer::create_element(const litehtml::tchar_t *tag_name,
                                                                    const litehtml::string_map &attributes,
                                                                    const std::shared_ptr<litehtml::document> &doc)
{
    const std::string_view tag(tag_name);
    if (tag == "font")
        return std::make_shared<FontElement>(doc);
    if (tag == "style" && m_styles)
        return std::make_shared<StyleElement>(doc, *m_styles);
    if (tag == "img")
        return std::make_shared<ImageBox>(doc);
    if (tag == "summary" && !std::exchange(m_disclosureMarkers, true))
        doc->add_stylesheet(disclosureMarkerStyleSheet(), nullptr, nullptr);
    if (tag != "input" && tag != "select" && tag != "textarea")
        return createCancellableElement(tag, doc, m_cancelled);
    const auto index = attributes.find(dom::DisplayIndexAttribute);
    if (index == attributes.end())
        return nullptr;
    const size_t position = std::strtoul(index->second.c_str(), nullptr, 10);
    const auto kind = m_controlKinds.find(position);
    if (!m_elements || position >= m_elements->size() || kind == m_controlKinds.end())
        return nullptr;
    auto control = std::make_shared<ControlElement>(doc, *(*m_elements)[position], kind->second);
    control->set_attr(ControlKindAttribute, controlKindName(control->kind()));
    return control;
}

void PainterContainer::get_media_features(litehtml::media_features &media) const
{
    media.type = litehtml::media_type_screen;
    media.width = m_viewport.width();
    media.height = m_viewport.height();
    media.device_width = m_viewport.width();
    media.device_height = m_viewport.height();
    media.color = 8;
    media.color_index = 0;
    media.monochrome = 0;
    media.resolution = ScreenDpi;
}

litehtml::tstring PainterContainer::resolve_color(const litehtml::tstring &color) const
{
    // litehtml takes every word of a background shorthand for a colour, so a gradient's pieces
    // ("linear-gradient(to", "red,", "blue)") arrive here: they paint nothing rather than black.
    if (color.find_first_of("(),") != litehtml::tstring::npos)
        return "rgba(0,0,0,0)";
    return {};
}

void PainterContainer::get_language(litehtml::tstring &language, litehtml::tstring &culture) const
{
    language = "en";
    culture.clear();
}
