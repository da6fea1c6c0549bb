// Text every frame draws: a 40-character line of an image font (two layers,
// queued and sorted by draw order) beside the same glyphs drawn as plain
// image draws, its measuring, word wrap, and a system font's software path.
#include "framework/graphics/FontHost.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/graphics/SysFont.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using namespace Kivo;

const std::string kLine = "The quick brown fox jumps over the lazy d";

// Serves one 16 x 16-glyph sheet (10 x 14 pixels each) for any name.
class Host : public FontHost {
public:
    Host()
    {
        std::vector<uint32_t> px(160 * 224);
        for (size_t i = 0; i < px.size(); ++i)
            px[i] = (i % 3 ? 0xFF000000u : 0x80000000u) | 0xFFFFFF;
        auto* image = new MemoryImage();
        image->SetBits(px.data(), 160, 224);
        mShared.mImage = image;
    }
    ~Host() override { delete mShared.mImage; }
    HWND GetTextWindow() override { return nullptr; }
    SharedImageRef GetSharedImage(const std::string&, const std::string&, bool* created) override
    {
        *created = false;
        return SharedImageRef(&mShared);
    }
    Image* CopyImage(Image*) override { return new MemoryImage(); }
    void Popup(const std::string& text) override { std::fprintf(stderr, "%s\n", text.c_str()); }
    bool BeginSurfaceText(Image*, HDC*) override { return false; }
    void EndSurfaceText(Image*, HDC) override {}
    SharedImage mShared;
};

// A description mapping the printable bytes to the sheet, with a shadow
// layer under the main one.
std::string WriteDescription()
{
    std::string chars, rects, widths;
    for (int c = 32; c < 127; ++c) {
        const int k = c - 32;
        // The single quote goes in double quotes; a backslash is escaped.
        const char quote = c == '\'' ? '"' : '\'';
        chars += quote;
        if (c == '\\')
            chars += '\\';
        chars += static_cast<char>(c);
        chars += quote;
        chars += ' ';
        rects.append("(").append(std::to_string(k % 16 * 10)).append(" ").append(std::to_string(k / 16 * 14));
        rects.append(" 10 14) ");
        widths += "9 ";
    }
    std::string text = "CreateLayer Main; LayerSetImage Main 'sheet.png'; LayerSetAscent Main 11;";
    text.append("LayerSetImageMap Main (").append(chars).append(") (").append(rects).append(");");
    text.append("LayerSetCharWidths Main (").append(chars).append(") (").append(widths).append(");");
    text.append("CreateLayerFrom Shadow Main; LayerSetBaseOrder Shadow -1; LayerSetOffset Shadow (1 1);"
                "LayerSetColorMult Shadow (0 0 0 0.5);");
    char path[] = "/tmp/kivo_bench_fontXXXXXX";
    const int fd = mkstemp(path);
    if (fd >= 0) {
        (void)!write(fd, text.data(), text.size());
        close(fd);
    }
    return path;
}

struct Fixture {
    Fixture() : path(WriteDescription()), font(&host, path)
    {
        std::vector<uint32_t> px(800 * 600, 0xFF203040);
        screen.SetBits(px.data(), 800, 600);
    }
    ~Fixture() { unlink(path.c_str()); }
    Host host;
    std::string path;
    ImageFont font;
    MemoryImage screen;
};

void BM_ImageFontDrawString(benchmark::State& state)
{
    Fixture f;
    Graphics g(&f.screen);
    g.SetFont(&f.font);
    g.SetColor(Color(255, 220, 100));
    for (auto _ : state)
        g.DrawString(kLine, 10, 100);
    state.SetItemsProcessed(state.iterations() * kLine.size());
}

// The reference: the same glyph draws, made directly.
void BM_GlyphBlitsAlone(benchmark::State& state)
{
    Fixture f;
    Graphics g(&f.screen);
    g.SetColorizeImages(true);
    g.SetColor(Color(255, 220, 100));
    std::list<Rect> rects;
    f.font.DrawStringEx(&g, 10, 100, kLine, g.GetColor(), Rect(), &rects, nullptr, false);
    Image* sheet = f.font.mActiveLayerList.front().mScaledImage;
    std::vector<Rect> sources;
    for (const char c : kLine)
        for (int layer = 0; layer < 2; ++layer)
            sources.push_back(f.font.mActiveLayerList.front().mScaledCharImageRects[static_cast<uint8_t>(c)]);
    for (auto _ : state) {
        size_t i = 0;
        for (const Rect& r : rects)
            g.DrawImageSrc(sheet, r.mX, r.mY, sources[i++]);
    }
    state.SetItemsProcessed(state.iterations() * kLine.size());
}

void BM_ImageFontStringWidth(benchmark::State& state)
{
    Fixture f;
    for (auto _ : state)
        benchmark::DoNotOptimize(f.font.StringWidth(kLine));
    state.SetItemsProcessed(state.iterations() * kLine.size());
}

void BM_WordWrapParagraph(benchmark::State& state)
{
    Fixture f;
    Graphics g(&f.screen);
    g.SetFont(&f.font);
    std::string paragraph;
    for (int i = 0; i < 6; ++i)
        paragraph += kLine + " ^FF8000^colour^oldclr^ ";
    for (auto _ : state)
        benchmark::DoNotOptimize(g.WriteWordWrapped(Rect(10, 10, 300, 400), paragraph));
    state.SetItemsProcessed(state.iterations() * paragraph.size());
}

void BM_SysFontDrawString(benchmark::State& state)
{
    SysFont font("Tahoma", 12);
    MemoryImage screen;
    std::vector<uint32_t> px(800 * 600, 0xFF203040);
    screen.SetBits(px.data(), 800, 600);
    Graphics g(&screen);
    g.SetFont(&font);
    g.SetColor(Color(255, 255, 255));
    for (auto _ : state)
        g.DrawString(kLine, 10, 100);
    state.SetItemsProcessed(state.iterations() * kLine.size());
}

BENCHMARK(BM_ImageFontDrawString);
BENCHMARK(BM_GlyphBlitsAlone);
BENCHMARK(BM_ImageFontStringWidth);
BENCHMARK(BM_WordWrapParagraph);
BENCHMARK(BM_SysFontDrawString);

} // namespace
