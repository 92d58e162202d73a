// The two glyph atlases, rendered from DejaVu Sans Mono with FreeType, and the one-line text
// renderer the title plate uses.
#include "font.h"

#include "assetgen.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>

#include <ft2build.h>
#include FT_FREETYPE_H

namespace {

constexpr const char* FONT_DIR = "/usr/share/fonts/truetype/dejavu/";

// The engine lays cells out in exactly this order: a-z, A-Z, 1-9 and 0, punctuation, blank.
constexpr const char FONT_CHARS[] = "abcdefghijklmnopqrstuvwxyz"
                                    "ABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                    "1234567890"
                                    "!@#$%^&*()`~-_=+[{]}\\|;:'\",<.>/?"
                                    " ";
static_assert(sizeof(FONT_CHARS) - 1 == 95, "every printable ASCII character once");

struct FtLibrary {
    FT_Library lib = nullptr;
    FT_Face face = nullptr;
    ~FtLibrary() {
        if (face) FT_Done_Face(face);
        if (lib) FT_Done_FreeType(lib);
    }
};

bool FtOpen(FtLibrary& ft, const char* path) {
    if (!path) return false;
    if (FT_Init_FreeType(&ft.lib) != 0) return false;
    if (FT_New_Face(ft.lib, path, 0, &ft.face) != 0) {
        std::fprintf(stderr, "assetgen: cannot load font %s\n", path);
        return false;
    }
    return true;
}

struct GlyphBox {
    int left, top, width, rows, advance;
};

GlyphBox GlyphMeasure(FT_Face face, char c) {
    FT_Load_Char(face, FT_ULong(uint8_t(c)), FT_LOAD_RENDER);
    FT_GlyphSlot g = face->glyph;
    return {g->bitmap_left, g->bitmap_top, int(g->bitmap.width), int(g->bitmap.rows),
            int(g->advance.x >> 6)};
}

// Largest pixel size at which every letter and digit fits a cell of (w - 1) x (h - 1): the last
// column and row stay empty so neighbouring glyphs never touch.
int AtlasPixelSize(FT_Face face, int w, int h) {
    for (int size = h + 4; size > 4; --size) {
        FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
        int top = 0, bottom = 0, ok = 1;
        for (const char* p = FONT_CHARS; *p && ok; ++p) {
            if (!std::isalnum(uint8_t(*p))) continue;
            GlyphBox b = GlyphMeasure(face, *p);
            top = std::max(top, b.top);
            bottom = std::max(bottom, b.rows - b.top);
            if (b.width > w - 1 || b.advance > w) ok = 0;
        }
        if (ok && top + bottom <= h - 1) return size;
    }
    return 5;
}

// Renders all 95 characters into cells laid out as the engine does: left to right, a new row
// whenever the next cell would cross the image's right edge.
Image AtlasRender(FT_Face face, int w, int h, int imageW, int imageH) {
    Image img = ImageMake(imageW, imageH);
    const int size = AtlasPixelSize(face, w, h);
    FT_Set_Pixel_Sizes(face, 0, FT_UInt(size));
    int top = 0, bottom = 0;
    for (const char* p = FONT_CHARS; *p; ++p) {
        if (!std::isalnum(uint8_t(*p))) continue;
        GlyphBox b = GlyphMeasure(face, *p);
        top = std::max(top, b.top);
        bottom = std::max(bottom, b.rows - b.top);
    }
    const int baseline = top + ((h - 1) - (top + bottom)) / 2;
    int penX = 0, penY = 0;
    for (const char* p = FONT_CHARS; *p; ++p) {
        const int cellX = penX, cellY = penY;
        penX += w;
        if (penX + w > imageW) {
            penX = 0;
            penY += h;
        }
        if (*p == ' ') continue;
        GlyphBox b = GlyphMeasure(face, *p);
        const FT_Bitmap& bm = face->glyph->bitmap;
        // Centre on the advance, then shift tall or wide punctuation back inside the cell.
        int x0 = (w - 1 - b.advance) / 2 + b.left;
        x0 = std::clamp(x0, 0, std::max(0, w - 1 - b.width));
        int y0 = baseline - b.top;
        y0 = std::clamp(y0, 0, std::max(0, h - 1 - b.rows));
        for (int r = 0; r < b.rows; ++r) {
            for (int c = 0; c < b.width; ++c) {
                int x = x0 + c, y = y0 + r;
                if (x >= w - 1 || y >= h - 1) continue; // taller than the cell: clip
                float cov = float(bm.buffer[r * bm.pitch + c]) / 255.0f;
                // Faint fringes would turn into grey specks: the black key needs exact zeros.
                float v = cov < 0.08f ? 0.0f : std::pow(cov, 0.8f);
                ImageAt(img, cellX + x, cellY + y) = {v, v, v};
            }
        }
        // Hinted down to a few pixels the hyphen becomes a block hardly wider than tall, which
        // reads as a dot ("in-house" as "in.house"): redraw it as a one-pixel bar across most of
        // the cell.
        if (*p == '-' && b.width < 2 * b.rows + 2) {
            for (int r = 0; r < b.rows; ++r)
                for (int c = 0; c < b.width; ++c)
                    ImageAt(img, cellX + x0 + c, cellY + y0 + r) = {0.0f, 0.0f, 0.0f};
            const int barY = y0 + (b.rows - 1) / 2;
            for (int x = 1; x < w - 2; ++x)
                ImageAt(img, cellX + x, cellY + barY) = {1.0f, 1.0f, 1.0f};
        }
    }
    return img;
}

} // namespace

const char* FontFindFace(bool mono, bool bold) {
    static const char* const monoFaces[] = {"DejaVuSansMono-Bold.ttf", "DejaVuSansMono.ttf"};
    static const char* const sansFaces[] = {"DejaVuSans-Bold.ttf", "DejaVuSansMono-Bold.ttf",
                                            "DejaVuSans.ttf"};
    static std::string found;
    const char* const* list = mono ? monoFaces : sansFaces;
    const int count = mono ? 2 : 3;
    for (int i = bold ? 0 : 1; i < count; ++i) {
        found = std::string(FONT_DIR) + list[i];
        if (std::FILE* f = std::fopen(found.c_str(), "rb")) {
            std::fclose(f);
            return found.c_str();
        }
    }
    std::fprintf(stderr, "assetgen: no DejaVu font in %s (install fonts-dejavu-core)\n", FONT_DIR);
    return nullptr;
}

bool FontRenderText(const char* facePath, int pixelSize, const char* text, int margin, Mask& out) {
    FtLibrary ft;
    if (!FtOpen(ft, facePath)) return false;
    FT_Set_Pixel_Sizes(ft.face, 0, FT_UInt(pixelSize));
    // First pass: ink bounds relative to the pen at the baseline.
    int pen = 0, minX = 1 << 30, maxX = -(1 << 30), minY = 1 << 30, maxY = -(1 << 30);
    for (const char* p = text; *p; ++p) {
        GlyphBox b = GlyphMeasure(ft.face, *p);
        if (b.width > 0) {
            minX = std::min(minX, pen + b.left);
            maxX = std::max(maxX, pen + b.left + b.width);
            minY = std::min(minY, -b.top);
            maxY = std::max(maxY, b.rows - b.top);
        }
        pen += b.advance;
    }
    if (minX > maxX) return false;
    out.width = maxX - minX + 2 * margin;
    out.height = maxY - minY + 2 * margin;
    out.a.assign(size_t(out.width) * size_t(out.height), 0.0f);
    pen = 0;
    for (const char* p = text; *p; ++p) {
        GlyphBox b = GlyphMeasure(ft.face, *p);
        const FT_Bitmap& bm = ft.face->glyph->bitmap;
        for (int r = 0; r < b.rows; ++r) {
            for (int c = 0; c < b.width; ++c) {
                int x = pen + b.left + c - minX + margin;
                int y = -b.top + r - minY + margin;
                float& dst = out.a[size_t(y) * size_t(out.width) + size_t(x)];
                dst = std::max(dst, float(bm.buffer[r * bm.pitch + c]) / 255.0f);
            }
        }
        pen += b.advance;
    }
    return true;
}

bool FontBuildAtlases(AssetList& assets) {
    FtLibrary ft;
    if (!FtOpen(ft, FontFindFace(true, true))) return false;
    // 8 x 12 cells: 16 to a 128-pixel row, 6 rows. 12 x 17 cells: 21 to a 256-pixel row, 5 rows.
    AssetAddTexture(assets, "raster8", AtlasRender(ft.face, 8, 12, 128, 128));
    AssetAddTexture(assets, "raster12", AtlasRender(ft.face, 12, 17, 256, 128));
    return true;
}
