#include "tools/datagen/Fonts.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>

namespace datagen {

namespace {

struct FontStyle {
    const char* id;
    const char* folder;
    const char* face;
    int px;
    bool loading; // group Loading instead of Fonts
    int drop = 0; // the letters stand this far below the pen's baseline
};

// FONT_GOLD sets the wrapped texts of the windows at 19 px a line: at 16 px
// its lines keep apart. Window buttons set their label's baseline 8 px above
// the middle of the button's ascent-based centring; FONT_BUTTON's letters
// stand 7 px lower, so that a label's capitals sit in the middle of its plate.
const FontStyle kFonts[] = {
    {"FONT_GOLD", "gold", "DejaVuSans-Bold.ttf", 16, false},
    {"FONT_BOARD", "board", "DejaVuSans-Bold.ttf", 20, false},
    {"FONT_EFFECTS", "effects", "DejaVuSerif-Bold.ttf", 40, false},
    {"FONT_EFFECTS_BIG", "effects_big", "DejaVuSerif-Bold.ttf", 56, false},
    {"FONT_CAPTION", "caption", "DejaVuSerif-Bold.ttf", 26, false},
    {"FONT_BUTTON", "button", "DejaVuSans-Bold.ttf", 20, false, 7},
    {"FONT_LOADING", "loading", "DejaVuSans.ttf", 20, true},
};

// Printable ASCII, the copyright sign, and the Latin-1 letters (0xC0 to 0xFF
// without × and ÷), which the texts and players' names may use; in this range
// Windows-1252 equals Latin-1.
std::vector<int> CharSet()
{
    std::vector<int> out;
    for (int c = 32; c < 127; ++c)
        out.push_back(c);
    out.push_back(0xA9);
    for (int c = 0xC0; c <= 0xFF; ++c)
        if (c != 0xD7 && c != 0xF7)
            out.push_back(c);
    return out;
}

struct FtLib {
    FT_Library lib = nullptr;
    FtLib() { FT_Init_FreeType(&lib); }
    ~FtLib() { FT_Done_FreeType(lib); }
};

FT_Library Library()
{
    static FtLib lib;
    return lib.lib;
}

struct Face {
    FT_Face face = nullptr;
    Face(const std::string& path, int px)
    {
        if (FT_New_Face(Library(), path.c_str(), 0, &face) == 0)
            FT_Set_Pixel_Sizes(face, 0, FT_UInt(px));
        else
            face = nullptr;
    }
    ~Face()
    {
        if (face)
            FT_Done_Face(face);
    }
};

// Windows-1252 byte to Unicode for the letters above 127 we use.
unsigned Unicode(int c)
{
    return unsigned(c); // the ones used are Latin-1 and equal their code
}

// A description string for one character: quoted so that quotes, blanks,
// commas, parentheses and backslashes stay one character.
std::string Quoted(int c)
{
    if (c == '\'')
        return "\"'\"";
    if (c == '\\')
        return "'\\\\'";
    return std::string("'") + char(c) + "'";
}

} // namespace

std::string DejaVuPath(const std::string& file)
{
    return "/usr/share/fonts/truetype/dejavu/" + file;
}

Canvas RenderText(const std::string& text, const std::string& fontFile, int px, int pad)
{
    Face f(fontFile, px);
    if (!f.face)
        return Canvas(1, 1);
    int asc = int(f.face->size->metrics.ascender >> 6), desc = int(-f.face->size->metrics.descender >> 6);
    int width = 0;
    for (unsigned char ch : text)
        if (FT_Load_Char(f.face, Unicode(ch), FT_LOAD_DEFAULT) == 0)
            width += int(f.face->glyph->advance.x >> 6);
    Canvas c(width + 2 * pad + 4, asc + desc + 2 * pad);
    int pen = pad + 2;
    for (unsigned char ch : text) {
        if (FT_Load_Char(f.face, Unicode(ch), FT_LOAD_RENDER) != 0)
            continue;
        FT_GlyphSlot g = f.face->glyph;
        for (unsigned y = 0; y < g->bitmap.rows; ++y)
            for (unsigned x = 0; x < g->bitmap.width; ++x) {
                float a = float(g->bitmap.buffer[y * unsigned(g->bitmap.pitch) + x]) / 255.f;
                int px2 = pen + g->bitmap_left + int(x), py = pad + asc - g->bitmap_top + int(y);
                if (px2 >= 0 && py >= 0 && px2 < c.W() && py < c.H())
                    c.At(px2, py) = {1, 1, 1, std::max(c.At(px2, py).a, a)};
            }
        pen += int(g->advance.x >> 6);
    }
    return c;
}

namespace {

struct Glyph {
    int c, x, y, w, left, advance;
};

// One font: its glyph sheet (outlined light faces) and the metrics its
// description gives the program.
struct BuiltFont {
    const FontStyle* style = nullptr;
    Canvas sheet {1, 1};
    std::vector<Glyph> glyphs;
    int ascent = 0, height = 0, cellH = 0, shadowOffset = 0;
};

bool Build(const FontStyle& style, BuiltFont& out)
{
    Face f(DejaVuPath(style.face), style.px);
    if (!f.face)
        return false;
    const int outline = style.px >= 36 ? 2 : 1;
    const int pad = outline + 1;
    int asc = int(f.face->size->metrics.ascender >> 6), desc = int(-f.face->size->metrics.descender >> 6);
    int cellH = asc + desc + 2 * pad;
    struct Raw { Glyph g; std::vector<float> cov; int bw, bh, top; };
    std::vector<Raw> raws;
    // Rows of at most 1024 pixels.
    int x = 0, y = 0, rowW = 0;
    for (int c : CharSet()) {
        if (FT_Load_Char(f.face, Unicode(c), FT_LOAD_RENDER) != 0)
            continue;
        FT_GlyphSlot g = f.face->glyph;
        Raw r {{c, 0, 0, 0, g->bitmap_left - pad, int(g->advance.x >> 6)}, {}, int(g->bitmap.width), int(g->bitmap.rows), g->bitmap_top};
        r.cov.resize(size_t(r.bw) * size_t(r.bh));
        for (int j = 0; j < r.bh; ++j)
            for (int i = 0; i < r.bw; ++i)
                r.cov[size_t(j * r.bw + i)] = float(g->bitmap.buffer[j * g->bitmap.pitch + i]) / 255.f;
        r.g.w = std::max(1, r.bw + 2 * pad);
        if (x + r.g.w > 1024) {
            x = 0;
            y += cellH;
        }
        r.g.x = x;
        r.g.y = y;
        x += r.g.w;
        rowW = std::max(rowW, x);
        raws.push_back(std::move(r));
    }
    out.style = &style;
    out.sheet = Canvas(rowW, y + cellH);
    out.ascent = asc + pad;
    out.height = asc + desc;
    out.cellH = cellH;
    out.shadowOffset = style.px >= 36 ? 3 : 2;
    for (const Raw& r : raws) {
        // A dark outline under a light face with a soft top-to-bottom
        // gradient; the program tints it.
        int ox = r.g.x + pad, oy = r.g.y + pad + asc - r.top;
        auto cov = [&](int i, int j) -> float {
            return (i < 0 || j < 0 || i >= r.bw || j >= r.bh) ? 0 : r.cov[size_t(j * r.bw + i)];
        };
        for (int j = -pad; j < r.bh + pad; ++j)
            for (int i = -pad; i < r.bw + pad; ++i) {
                float o = 0;
                for (int dy = -outline; dy <= outline; ++dy)
                    for (int dx = -outline; dx <= outline; ++dx)
                        if (dx * dx + dy * dy <= outline * outline + 1)
                            o = std::max(o, cov(i + dx, j + dy));
                out.sheet.Over(ox + i, oy + j, {0.16f, 0.1f, 0.05f, o * 0.9f});
                float t = float(oy + j - r.g.y) / float(cellH);
                RGBA face = Mix(Hex(0xffffff), Hex(0xf0e2b8), std::clamp(t * 1.4f - 0.2f, 0.f, 1.f));
                face.a = cov(i, j);
                out.sheet.Over(ox + i, oy + j, face);
            }
        out.glyphs.push_back(r.g);
    }
    return true;
}

std::string Description(const BuiltFont& font)
{
    const FontStyle& style = *font.style;
    std::ostringstream d, list, rects, widths, offsets;
    for (const Glyph& g : font.glyphs) {
        list << ' ' << Quoted(g.c);
        rects << " (" << g.x << ' ' << g.y << ' ' << g.w << ' ' << font.cellH << ')';
        widths << ' ' << g.advance;
        offsets << " (" << g.left << " 0)";
    }
    d << "# " << style.id << ": DejaVu " << style.face << " at " << style.px << " pixels\n";
    d << "SetDefaultPointSize " << style.px << ";\n";
    d << "CreateLayer Main;\n";
    d << "LayerSetImage Main '" << style.folder << ".png';\n";
    d << "LayerSetImageMap Main (" << list.str() << ") (" << rects.str() << ");\n";
    d << "LayerSetCharWidths Main (" << list.str() << ") (" << widths.str() << ");\n";
    d << "LayerSetCharOffsets Main (" << list.str() << ") (" << offsets.str() << ");\n";
    d << "LayerSetAscent Main " << font.ascent << ";\n";
    d << "LayerSetHeight Main " << font.height << ";\n";
    if (style.drop != 0)
        d << "LayerSetOffset Main (0 " << style.drop << ");\n";
    // The shadow: the same glyphs in translucent black, behind, offset.
    d << "CreateLayerFrom Shadow Main;\n";
    d << "LayerSetColorMult Shadow (0 0 0 0.55);\n";
    d << "LayerSetOffset Shadow (" << font.shadowOffset << ' ' << font.shadowOffset + style.drop << ");\n";
    d << "LayerSetBaseOrder Shadow -1;\n";
    return d.str();
}

// Draws `text` as the program lays it out from the description: pen plus
// the glyph offset, top at baseline - ascent; the shadow layer first.
void DrawText(Canvas& c, const BuiltFont& font, const std::string& text, int x, int baseline, RGBA tint)
{
    for (int layer = 0; layer < 2; ++layer) {
        int pen = x + (layer == 0 ? font.shadowOffset : 0),
            top = baseline - font.ascent + font.style->drop + (layer == 0 ? font.shadowOffset : 0);
        for (unsigned char ch : text) {
            auto it = std::find_if(font.glyphs.begin(), font.glyphs.end(), [&](const Glyph& g) { return g.c == ch; });
            if (it == font.glyphs.end())
                continue;
            for (int j = 0; j < font.cellH; ++j)
                for (int i = 0; i < it->w; ++i) {
                    RGBA p = font.sheet.At(it->x + i, it->y + j);
                    p = layer == 0 ? RGBA {0, 0, 0, p.a * 0.55f} : RGBA {p.r * tint.r, p.g * tint.g, p.b * tint.b, p.a};
                    c.Over(pen + it->left + i, top + j, p);
                }
            pen += it->advance;
        }
    }
}

} // namespace

bool WriteFonts(const std::string& root, std::string& fontsGroup, std::string& loadingGroup, std::string& error)
{
    for (const FontStyle& style : kFonts) {
        BuiltFont font;
        if (!Build(style, font)) {
            error = std::string("cannot open ") + style.face;
            return false;
        }
        std::string folder = root + "/fonts/" + style.folder;
        std::filesystem::create_directories(folder);
        if (!font.sheet.WritePng(folder + "/" + style.folder + ".png")) {
            error = "cannot write the glyphs of " + std::string(style.id);
            return false;
        }
        std::ofstream(folder + "/" + style.folder + ".txt", std::ios::binary) << Description(font);
        std::string line = std::string("    <Font path=\"") + style.folder + "/" + style.folder + ".txt\" id=\"" + style.id + "\"/>\n";
        (style.loading ? loadingGroup : fontsGroup) += line;
    }
    std::error_code ec;
    std::filesystem::copy_file("/usr/share/doc/fonts-dejavu-core/copyright", root + "/fonts/dejavu-licence.txt",
        std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
        error = "cannot copy the DejaVu licence notice";
        return false;
    }
    return true;
}

Canvas FontSheet()
{
    // Each font: a sample laid out from its metrics in the tints the game
    // uses, over a panel-like background.
    const char* sample = "Marrowfen 0123456789 +250 Level Completed! The quick brown fox, jumps?";
    const RGBA tints[] = {Hex(0xffffff), Hex(0xf6ffac), Hex(0x80ffff), Hex(0xff3200)};
    std::vector<BuiltFont> fonts(std::size(kFonts));
    int h = 10;
    for (size_t i = 0; i < fonts.size(); ++i) {
        Build(kFonts[i], fonts[i]);
        h += fonts[i].cellH * 2 + 14;
    }
    Canvas sheet(1600, h);
    sheet.Fill(RoundRect(0, 0, 1600, float(h), 0), LinearY(Hex(0x1f4a52), Hex(0x10262c), 0, float(h)));
    int y = 10;
    for (const BuiltFont& f : fonts) {
        int baseline = y + f.ascent;
        DrawText(sheet, f, f.style->id, 10, baseline, Hex(0xffe9a0));
        DrawText(sheet, f, sample, 10, baseline + f.cellH, tints[size_t(&f - fonts.data()) % 4]);
        y += f.cellH * 2 + 14;
    }
    return sheet;
}

} // namespace datagen
