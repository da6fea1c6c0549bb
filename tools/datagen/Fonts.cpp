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

struct FontSpec {
    const char* id;
    const char* folder;
    const char* face;
    int px;
    bool loading; // group Loading instead of Fonts
};

const FontSpec kFonts[] = {
    {"FONT_GOLD", "gold", "DejaVuSans-Bold.ttf", 18, false},
    {"FONT_BOARD", "board", "DejaVuSans-Bold.ttf", 20, false},
    {"FONT_EFFECTS", "effects", "DejaVuSerif-Bold.ttf", 40, false},
    {"FONT_EFFECTS_BIG", "effects_big", "DejaVuSerif-Bold.ttf", 56, false},
    {"FONT_CAPTION", "caption", "DejaVuSerif-Bold.ttf", 26, false},
    {"FONT_BUTTON", "button", "DejaVuSans-Bold.ttf", 20, false},
    {"FONT_LOADING", "loading", "DejaVuSans.ttf", 20, true},
};

// Printable ASCII plus the Windows-1252 letters the texts may use.
std::vector<int> CharSet()
{
    std::vector<int> out;
    for (int c = 32; c < 127; ++c)
        out.push_back(c);
    for (int c : {0xA9, 0xE9, 0xE8, 0xF6, 0xFC, 0xE4})
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

bool WriteFonts(const std::string& root, std::string& fontsGroup, std::string& loadingGroup, std::string& error)
{
    std::vector<int> chars = CharSet();
    for (const FontSpec& spec : kFonts) {
        Face f(DejaVuPath(spec.face), spec.px);
        if (!f.face) {
            error = std::string("cannot open ") + spec.face;
            return false;
        }
        const int outline = spec.px >= 36 ? 2 : 1;
        const int pad = outline + 1;
        int asc = int(f.face->size->metrics.ascender >> 6), desc = int(-f.face->size->metrics.descender >> 6);
        int cellH = asc + desc + 2 * pad;
        // Lay the glyphs out in rows of at most 1024 pixels.
        struct Glyph { int c, x, y, w, left, advance; std::vector<float> cov; int bw, bh, top; };
        std::vector<Glyph> glyphs;
        int x = 0, y = 0, rowW = 0;
        for (int c : chars) {
            if (FT_Load_Char(f.face, Unicode(c), FT_LOAD_RENDER) != 0)
                continue;
            FT_GlyphSlot g = f.face->glyph;
            Glyph gl {c, 0, 0, 0, g->bitmap_left - pad, int(g->advance.x >> 6), {}, int(g->bitmap.width), int(g->bitmap.rows), g->bitmap_top};
            gl.cov.resize(size_t(gl.bw) * size_t(gl.bh));
            for (int j = 0; j < gl.bh; ++j)
                for (int i = 0; i < gl.bw; ++i)
                    gl.cov[size_t(j * gl.bw + i)] = float(g->bitmap.buffer[j * g->bitmap.pitch + i]) / 255.f;
            gl.w = std::max(1, gl.bw + 2 * pad);
            if (x + gl.w > 1024) {
                x = 0;
                y += cellH;
            }
            gl.x = x;
            gl.y = y;
            x += gl.w;
            rowW = std::max(rowW, x);
            glyphs.push_back(std::move(gl));
        }
        Canvas sheet(rowW, y + cellH);
        for (const Glyph& g : glyphs) {
            // Coverage in the cell, then a dark outline and a light face with
            // a soft top-to-bottom gradient (the code tints it).
            int ox = g.x + pad, oy = g.y + pad + asc - g.top;
            auto cov = [&](int i, int j) -> float {
                return (i < 0 || j < 0 || i >= g.bw || j >= g.bh) ? 0 : g.cov[size_t(j * g.bw + i)];
            };
            for (int j = -pad; j < g.bh + pad; ++j)
                for (int i = -pad; i < g.bw + pad; ++i) {
                    float o = 0;
                    for (int dy = -outline; dy <= outline; ++dy)
                        for (int dx = -outline; dx <= outline; ++dx)
                            if (dx * dx + dy * dy <= outline * outline + 1)
                                o = std::max(o, cov(i + dx, j + dy));
                    sheet.Over(ox + i, oy + j, {0.16f, 0.1f, 0.05f, o * 0.9f});
                    float t = float(oy + j - g.y) / float(cellH);
                    RGBA face = Mix(Hex(0xffffff), Hex(0xf0e2b8), std::clamp(t * 1.4f - 0.2f, 0.f, 1.f));
                    face.a = cov(i, j);
                    sheet.Over(ox + i, oy + j, face);
                }
        }
        std::string folder = root + "/fonts/" + spec.folder;
        std::filesystem::create_directories(folder);
        if (!sheet.WritePng(folder + "/" + spec.folder + ".png")) {
            error = "cannot write the glyphs of " + std::string(spec.id);
            return false;
        }
        std::ostringstream d;
        d << "# " << spec.id << ": DejaVu " << spec.face << " at " << spec.px << " pixels\n";
        d << "SetDefaultPointSize " << spec.px << ";\n";
        d << "CreateLayer Main;\n";
        d << "LayerSetImage Main '" << spec.folder << ".png';\n";
        std::ostringstream list, rects, widths, offsets;
        for (const Glyph& g : glyphs) {
            list << ' ' << Quoted(g.c);
            rects << " (" << g.x << ' ' << g.y << ' ' << g.w << ' ' << cellH << ')';
            widths << ' ' << g.advance;
            offsets << " (" << g.left << " 0)";
        }
        d << "LayerSetImageMap Main (" << list.str() << ") (" << rects.str() << ");\n";
        d << "LayerSetCharWidths Main (" << list.str() << ") (" << widths.str() << ");\n";
        d << "LayerSetCharOffsets Main (" << list.str() << ") (" << offsets.str() << ");\n";
        d << "LayerSetAscent Main " << asc + pad << ";\n";
        d << "LayerSetHeight Main " << asc + desc << ";\n";
        // The shadow: the same glyphs in translucent black, behind, offset.
        int so = spec.px >= 36 ? 3 : 2;
        d << "CreateLayerFrom Shadow Main;\n";
        d << "LayerSetColorMult Shadow (0 0 0 0.55);\n";
        d << "LayerSetOffset Shadow (" << so << ' ' << so << ");\n";
        d << "LayerSetBaseOrder Shadow -1;\n";
        std::ofstream(folder + "/" + spec.folder + ".txt", std::ios::binary) << d.str();
        std::string line = std::string("    <Font path=\"") + spec.folder + "/" + spec.folder + ".txt\" id=\"" + spec.id + "\"/>\n";
        (spec.loading ? loadingGroup : fontsGroup) += line;
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

Canvas FontSheet(const std::string&)
{
    // Each font's sample line drawn as the game would: shadow, then face.
    const char* sample = "Marrowfen 0123456789 +250 Level Completed! ABCDEFGHIJKLM abcdefghijklm ?!&()";
    std::vector<Canvas> lines;
    int w = 0, h = 0;
    for (const FontSpec& spec : kFonts) {
        Canvas t = RenderText(sample, DejaVuPath(spec.face), spec.px, 2);
        w = std::max(w, t.W());
        h += t.H() + 8;
        lines.push_back(std::move(t));
    }
    Canvas sheet(std::min(w + 20, 2400), h + 20);
    sheet.Clear(Hex(0x30404a));
    int y = 10;
    for (const Canvas& t : lines) {
        sheet.Draw(t, 12, y + 2, 0.5f);
        sheet.Draw(t, 10, y);
        y += t.H() + 8;
    }
    return sheet;
}

} // namespace datagen
