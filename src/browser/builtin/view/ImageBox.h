#pragma once

#include <litehtml.h>
#include <litehtml/el_image.h>

// An <img>: the picture when it arrived, else its alt text in its place, as browsers show a
// picture that failed.
class ImageBox final : public litehtml::el_image {
public:
    explicit ImageBox(const std::shared_ptr<litehtml::document> &doc) : litehtml::el_image(doc) {}

    int render(int x, int y, int max_width, bool second_pass = false) override;
    void draw(litehtml::uint_ptr hdc, int x, int y, const litehtml::position *clip) override;

private:
    // The alt text when the picture is not there to draw; empty otherwise.
    [[nodiscard]] const char *missingText();
};
