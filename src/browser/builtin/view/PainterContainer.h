#pragma once

#include "browser/builtin/view/CssValues.h"
#include "browser/builtin/view/FormControlPainting.h"

#include <litehtml.h>

#include <QFont>
#include <QFontMetrics>
#include <QSize>
#include <QString>
#include <QUrl>

#include <atomic>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class ArrivedResources;
class StyleSheetPreparer;
class QImage;
class QPainter;

namespace dom {
class Element;
}

// A font the layout asked for, with its metrics and the widths of the words measured in it.
struct LayoutFont {
    explicit LayoutFont(const QFont &qtFont);

    QFont font;
    QFontMetrics metrics;
    // The line's measures as browsers take them: each of the font's own measures rounded, so a
    // line of normal height is as high as theirs.
    int ascent;
    int descent;
    int lineHeight;
    std::unordered_map<std::string, int> wordWidths;
};

// The text field a person types into, and where the caret stands in its value.
struct FieldFocus {
    dom::Element *element = nullptr;
    qsizetype caret = 0;
};

// The layout engine's window on Qt: fonts and text through QFont, drawing with the QPainter
// passed as the drawing context, style sheets and images from the page's resources as they had
// arrived, and the boxes of the form controls it draws from the engine's elements. The page is
// read and its boxes placed on another thread than the one that owns the engine's document: only
// setPage() and drawing read the document.
class PainterContainer final : public litehtml::document_container {
public:
    PainterContainer(ArrivedResources &resources, const FieldFocus &focus);
    ~PainterContainer();

    // The page the next layout is of: its base URL and its elements by display index (kept by
    // the caller for as long as the layout lives); on the thread that owns them.
    void setPage(const QUrl &baseUrl, const std::vector<dom::Element *> &elements);
    void setViewportSize(const QSize &size) { m_viewport = size; }
    // The painter of the drawing that begins, for the clips the layout sets; null when it ends.
    void setPainter(QPainter *painter);
    // Makes the reading of the page and the placing of its boxes stop short, from any thread.
    void cancelLayout() { m_cancelled = true; }

    [[nodiscard]] static const LayoutFont &layoutFont(litehtml::uint_ptr font);
    [[nodiscard]] static QPainter &painter(litehtml::uint_ptr hdc);
    // The container an element of a layout draws through.
    [[nodiscard]] static PainterContainer &of(const litehtml::element &element);
    // An image a page names (src or url(), resolved against the page or base URL), or null.
    [[nodiscard]] const QImage *image(const char *src, const char *baseUrl);
    [[nodiscard]] const FieldFocus &focus() const { return m_focus; }
    // The style an element's box is given before its own rules: its style attribute made plain
    // for the layout engine as the page's sheets are (var() taken from the custom properties it
    // and its ancestors set, else from the sheets) after what presentational attributes ask for.
    [[nodiscard]] std::string styleAttribute(const litehtml::element &box) const;
    // The cursor the element under the mouse asks for ("pointer", "text", "auto", ...).
    [[nodiscard]] const QString &cursor() const { return m_cursor; }
    // The user agent's style sheet with the rules that may match an element of the page.
    [[nodiscard]] const std::string &userAgentStyleSheet() const { return m_userAgentStyles; }

    litehtml::uint_ptr create_font(const litehtml::tchar_t *faceName, int size, int weight, litehtml::font_style italic,
                                   unsigned int decoration, litehtml::font_metrics *fm) override;
    void delete_font(litehtml::uint_ptr hFont) override;
    int text_width(const litehtml::tchar_t *text, litehtml::uint_ptr hFont) override;
    void draw_text(litehtml::uint_ptr hdc, const litehtml::tchar_t *text, litehtml::uint_ptr hFont,
                   litehtml::web_color color, const litehtml::position &pos) override;
    int pt_to_px(int pt) const override;
    int get_default_font_size() const override;
    const litehtml::tchar_t *get_default_font_name() const override;
    void draw_list_marker(litehtml::uint_ptr hdc, const litehtml::list_marker &marker) override;
    void load_image(const litehtml::tchar_t *src, const litehtml::tchar_t *baseurl, bool redraw_on_ready) override;
    void get_image_size(const litehtml::tchar_t *src, const litehtml::tchar_t *baseurl, litehtml::size &sz) override;
    void draw_background(litehtml::uint_ptr hdc, const litehtml::background_paint &bg) override;
    void draw_borders(litehtml::uint_ptr hdc, const litehtml::borders &borders, const litehtml::position &draw_pos,
                      bool root) override;
    void set_caption(const litehtml::tchar_t *caption) override;
    void set_base_url(const litehtml::tchar_t *base_url) override;
    void link(const std::shared_ptr<litehtml::document> &doc, const litehtml::element::ptr &el) override;
    void on_anchor_click(const litehtml::tchar_t *url, const litehtml::element::ptr &el) override;
    void set_cursor(const litehtml::tchar_t *cursor) override;
    void transform_text(litehtml::tstring &text, litehtml::text_transform tt) override;
    void import_css(litehtml::tstring &text, const litehtml::tstring &url, litehtml::tstring &baseurl) override;
    void set_clip(const litehtml::position &pos, const litehtml::border_radiuses &bdr_radius, bool valid_x,
                  bool valid_y) override;
    void del_clip() override;
    void get_client_rect(litehtml::position &client) const override;
    std::shared_ptr<litehtml::element> create_element(const litehtml::tchar_t *tag_name,
                                                      const litehtml::string_map &attributes,
                                                      const std::shared_ptr<litehtml::document> &doc) override;
    void get_media_features(litehtml::media_features &media) const override;
    void get_language(litehtml::tstring &language, litehtml::tstring &culture) const override;
    litehtml::tstring resolve_color(const litehtml::tstring &color) const override;

private:
    [[nodiscard]] QUrl resolve(const char *src, const char *baseUrl) const;
    // What a box's style attribute takes from the page beyond its own text, by display index.
    struct InheritedStyle {
        QString cellPadding;
        CssValues::CustomProperties customProperties;
    };
    void learnInheritedStyles(const std::vector<dom::Element *> &elements);
    // The families with those the page's @font-face rules name put before them once their fonts
    // have arrived.
    [[nodiscard]] QStringList withPageFonts(const QStringList &families);

    ArrivedResources &m_resources;
    const FieldFocus &m_focus;
    QUrl m_baseUrl;
    const std::vector<dom::Element *> *m_elements = nullptr;
    // The kinds of the page's form controls by display index, known before the page is read.
    std::unordered_map<size_t, ControlKind> m_controlKinds;
    // Known before the page is read, so that its boxes are styled without reading the document.
    std::unordered_map<size_t, InheritedStyle> m_inheritedStyles;
    QSize m_viewport;
    QString m_cursor;
    std::unordered_map<litehtml::uint_ptr, std::unique_ptr<LayoutFont>> m_fonts;
    std::unique_ptr<StyleSheetPreparer> m_styles;
    std::string m_userAgentStyles;
    bool m_disclosureMarkers = false;
    QPainter *m_painter = nullptr;
    int m_clips = 0;
    std::atomic<bool> m_cancelled = false;
};
