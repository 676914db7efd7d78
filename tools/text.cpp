// text.cpp -- FreeType glyph rendering for the contact sheet labels.
#include "tools/text.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cstdlib>

namespace lentara::tool {

std::string DefaultFontPath() {
    if (const char *env = std::getenv("LENTARA_FONT"); env && *env) return env;
    return "/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf";
}

struct TextRenderer::Impl {
    FT_Library library = nullptr;
    FT_Face face = nullptr;
    ~Impl() {
        if (face) FT_Done_Face(face);
        if (library) FT_Done_FreeType(library);
    }
};

TextRenderer::TextRenderer() : impl_(std::make_unique<Impl>()) {}
TextRenderer::~TextRenderer() = default;

bool TextRenderer::ok() const { return impl_->face != nullptr; }

std::string TextRenderer::Open(const std::string &fontPath, int pixelHeight) {
    if (!impl_->library && FT_Init_FreeType(&impl_->library) != 0) return "FreeType could not start";
    if (impl_->face) {
        FT_Done_Face(impl_->face);
        impl_->face = nullptr;
    }
    if (FT_New_Face(impl_->library, fontPath.c_str(), 0, &impl_->face) != 0) {
        impl_->face = nullptr;
        return "cannot load font " + fontPath;
    }
    if (FT_Set_Pixel_Sizes(impl_->face, 0, static_cast<FT_UInt>(pixelHeight)) != 0) {
        FT_Done_Face(impl_->face);
        impl_->face = nullptr;
        return "font " + fontPath + " has no size " + std::to_string(pixelHeight);
    }
    return {};
}

int TextRenderer::Ascent() const { return ok() ? static_cast<int>(impl_->face->size->metrics.ascender >> 6) : 0; }
int TextRenderer::LineHeight() const { return ok() ? static_cast<int>(impl_->face->size->metrics.height >> 6) : 0; }

int TextRenderer::Measure(const std::string &text) const {
    if (!ok()) return 0;
    long advance = 0;
    for (unsigned char c : text) {
        if (FT_Load_Char(impl_->face, c, FT_LOAD_DEFAULT) != 0) continue;
        advance += impl_->face->glyph->advance.x;
    }
    return static_cast<int>(advance >> 6);
}

void TextRenderer::Draw(Image &image, int x, int baseline, const std::string &text, Rgb colour) const {
    if (!ok()) return;
    long penX = static_cast<long>(x) << 6;
    for (unsigned char c : text) {
        if (FT_Load_Char(impl_->face, c, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot glyph = impl_->face->glyph;
        const FT_Bitmap &bitmap = glyph->bitmap;
        const int left = static_cast<int>(penX >> 6) + glyph->bitmap_left;
        const int top = baseline - glyph->bitmap_top;
        for (unsigned int row = 0; row < bitmap.rows; ++row) {
            const int py = top + static_cast<int>(row);
            if (py < 0 || py >= image.height) continue;
            for (unsigned int col = 0; col < bitmap.width; ++col) {
                const int px = left + static_cast<int>(col);
                if (px < 0 || px >= image.width) continue;
                const float a = bitmap.buffer[row * bitmap.pitch + col] / 255.0f;
                Rgb &p = image.at(px, py);
                p.r += (colour.r - p.r) * a;
                p.g += (colour.g - p.g) * a;
                p.b += (colour.b - p.b) * a;
            }
        }
        penX += glyph->advance.x;
    }
}

} // namespace lentara::tool
