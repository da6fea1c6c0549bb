#pragma once
// Doubles for the font and text tests: a destination image that records the
// drawing operations it receives, a fixed-width font that records what it
// draws, and an application that serves shared images from memory and
// collects popups.
#include "framework/graphics/Font.h"
#include "framework/graphics/FontHost.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/Matrix3x3.h"
#include "framework/graphics/MemoryImage.h"

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace graphicstest {

struct DrawCall {
    std::string op;
    Kivo::Rect dest; // position in x, y; size for stretched draws
    Kivo::Rect src;
    Kivo::Color color;
    int drawMode = 0;
    float fx = 0, fy = 0; // float positions
    bool operator==(const DrawCall&) const = default;
};

class RecordingImage : public Kivo::Image {
public:
    RecordingImage(int w, int h)
    {
        mWidth = w;
        mHeight = h;
    }
    void Blt(Kivo::Image* s, int x, int y, const Kivo::Rect& src, const Kivo::Color& c, int mode) override
    {
        Add("Blt", Kivo::Rect(x, y, 0, 0), src, c, mode, s);
    }
    void BltF(Kivo::Image* s, float x, float y, const Kivo::Rect& src, const Kivo::Rect&, const Kivo::Color& c,
              int mode) override
    {
        Add("BltF", {}, src, c, mode, s, x, y);
    }
    void BltRotated(Kivo::Image* s, float x, float y, const Kivo::Rect& src, const Kivo::Rect&, const Kivo::Color& c,
                    int mode, double, float, float) override
    {
        Add("BltRotated", {}, src, c, mode, s, x, y);
    }
    void StretchBlt(Kivo::Image* s, const Kivo::Rect& dest, const Kivo::Rect& src, const Kivo::Rect&,
                    const Kivo::Color& c, int mode, bool) override
    {
        Add("StretchBlt", dest, src, c, mode, s);
    }
    void BltMatrix(Kivo::Image* s, float x, float y, const Kivo::Matrix3x3& m, const Kivo::Rect&,
                   const Kivo::Color& c, int mode, const Kivo::Rect& src, bool) override
    {
        Add("BltMatrix", {}, src, c, mode, s, x, y);
        lastMatrix = m;
    }
    void BltMirror(Kivo::Image* s, int x, int y, const Kivo::Rect& src, const Kivo::Color& c, int mode) override
    {
        Add("BltMirror", Kivo::Rect(x, y, 0, 0), src, c, mode, s);
    }
    void StretchBltMirror(Kivo::Image* s, const Kivo::Rect& dest, const Kivo::Rect& src, const Kivo::Rect&,
                          const Kivo::Color& c, int mode, bool) override
    {
        Add("StretchBltMirror", dest, src, c, mode, s);
    }

    std::vector<DrawCall> calls;
    std::vector<Kivo::Image*> sources;
    // The sizes of the sources at the call.
    std::vector<std::pair<int, int>> sourceSizes;
    // The pixels of the sources of Blt calls, as they were at the call.
    std::vector<std::vector<uint32_t>> sourcePixels;
    Kivo::Matrix3x3 lastMatrix;

private:
    void Add(const char* op, Kivo::Rect dest, Kivo::Rect src, const Kivo::Color& c, int mode, Kivo::Image* s,
             float fx = 0, float fy = 0)
    {
        calls.push_back({ op, dest, src, c, mode, fx, fy });
        sources.push_back(s);
        sourceSizes.emplace_back(s->mWidth, s->mHeight);
        auto* m = dynamic_cast<Kivo::MemoryImage*>(s);
        const uint32_t* bits = m ? m->GetBits() : nullptr;
        sourcePixels.emplace_back(bits ? bits : nullptr, bits ? bits + size_t(m->mWidth) * m->mHeight : nullptr);
    }
};

// Every character is 10 pixels wide; the ascent is 8 and the height 12.
class FixedFont : public Kivo::Font {
public:
    FixedFont()
    {
        mAscent = 8;
        mHeight = 12;
    }
    int StringWidth(const std::string& text) override { return 10 * static_cast<int>(text.size()); }
    void DrawString(Kivo::Graphics*, int x, int y, const std::string& text, const Kivo::Color& color,
                    const Kivo::Rect&) override
    {
        drawn.push_back({ text, x, y, color });
    }
    Kivo::Font* Duplicate() override { return new FixedFont(*this); }

    struct Piece {
        std::string text;
        int x, y;
        Kivo::Color color;
        bool operator==(const Piece&) const = default;
    };
    std::vector<Piece> drawn;
};

class TestFontHost : public Kivo::FontHost {
public:
    TestFontHost() { Kivo::SetFontHost(this); }
    ~TestFontHost() override
    {
        Kivo::SetFontHost(nullptr);
        for (auto& [name, entry] : entries)
            delete entry.mImage;
    }
    // Serves `image` (owned) under the name.
    void AddImage(const std::string& name, Kivo::MemoryImage* image) { entries[name].mImage = image; }

    HWND GetTextWindow() override { return nullptr; }
    Kivo::SharedImageRef GetSharedImage(const std::string& name, const std::string&, bool* created) override
    {
        requested.push_back(name);
        auto it = entries.find(name);
        if (it == entries.end())
            return {};
        *created = it->second.mRefCount == 0;
        return Kivo::SharedImageRef(&it->second);
    }
    Kivo::Image* CopyImage(Kivo::Image* image) override
    {
        auto* copy = new Kivo::MemoryImage();
        auto* m = dynamic_cast<Kivo::MemoryImage*>(image);
        if (m && m->GetBits())
            copy->SetBits(m->GetBits(), m->mWidth, m->mHeight);
        ++copies;
        return copy;
    }
    void Popup(const std::string& text) override { popups.push_back(text); }
    bool BeginSurfaceText(Kivo::Image* image, HDC* dc) override
    {
        if (!surface || image != surface)
            return false;
        *dc = surfaceDc;
        return true;
    }
    void EndSurfaceText(Kivo::Image*, HDC) override { ++surfaceDraws; }

    std::map<std::string, Kivo::SharedImage> entries;
    std::vector<std::string> requested;
    std::vector<std::string> popups;
    int copies = 0;
    Kivo::Image* surface = nullptr;
    HDC surfaceDc = nullptr;
    int surfaceDraws = 0;
};

} // namespace graphicstest

#include "tests/support/TempDir.h"

namespace graphicstest {

// A description file in a temporary folder with the images it names served
// by a test application.
struct FontFixture {
    // A w x h image whose pixel (x, y) is 0xFF000000 | y << 8 | x, served
    // as `name` in the description's folder.
    void AddImage(const std::string& name, int w, int h)
    {
        auto* image = new Kivo::MemoryImage();
        std::vector<uint32_t> px(static_cast<size_t>(w) * h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                px[y * w + x] = 0xFF000000u | uint32_t(y) << 8 | uint32_t(x);
        image->SetBits(px.data(), w, h);
        host.AddImage(dir.Path() + "/fonts/" + name, image);
    }
    std::string Write(const std::string& text) { return dir.Write("fonts/desc.txt", text); }

    testsupport::TempDir dir;
    TestFontHost host;
};

} // namespace graphicstest
