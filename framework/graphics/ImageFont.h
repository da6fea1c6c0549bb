#pragma once
// The bitmap font: glyphs are rectangles of layer images described by a
// shared FontData. From its point size, scale and tags the font selects the
// layers that apply and prepares each (rescaling its glyph image when the
// size differs from the layer's own). Measuring adds per-character advances
// with kerning; drawing queues every glyph of every layer, sorts them by
// draw order and draws them through the drawing context.
#include "framework/graphics/ActiveFontLayer.h"
#include "framework/graphics/Font.h"

#include <list>
#include <string>
#include <vector>

namespace Kivo {

class FontData;
class FontHost;
class Image;

class ImageFont : public Font {
public:
    // Whether the description was read is the font data's mInitialized.
    ImageFont(FontHost* app, const std::string& path);
    ImageFont(Image* image, const std::string& widthsPath);
    ImageFont(const ImageFont& other);
    ImageFont& operator=(const ImageFont&) = delete;
    ~ImageFont() override;

    int StringWidth(const std::string& text) override;
    int CharWidth(char c) override;
    int CharWidthKern(char c, char prev) override;
    void DrawString(Graphics* g, int x, int y, const std::string& text, const Color& color, const Rect& clip) override;
    void DrawStringF(Graphics* g, float x, float y, const std::string& text, const Color& color,
                     const Rect& clip) override;
    Font* Duplicate() override;

    virtual void PrepareLayers();
    // Draws; `rects` receives the rectangle of every queued glyph and
    // `width` the advance of the whole text. Glyph draws beyond 4096 in one
    // call are dropped.
    virtual void DrawStringEx(Graphics* g, int x, int y, const std::string& text, const Color& color,
                              const Rect& clip, std::list<Rect>* rects, int* width, bool floatPositions);
    virtual void SetPointSize(int pointSize);
    virtual int GetPointSize();
    virtual void SetScale(double scale);
    virtual int GetDefaultPointSize();
    virtual bool AddTag(const std::string& tag);
    virtual bool RemoveTag(const std::string& tag);
    virtual bool HasTag(const std::string& tag);
    virtual std::string GetDefine(const std::string& name);
    virtual void EnsurePrepared();

    FontData* mFontData;
    int32_t mPointSize = 0;
    std::vector<std::string> mTagVector; // upper case
    bool mActivated = false;             // the active layers match size, scale and tags
    std::list<ActiveFontLayer> mActiveLayerList;
    double mScale = 1.0;
    bool mForceScaledImagesWhite = false;

private:
    void PrepareLayer(FontLayerDef& layer, bool first);
};

} // namespace Kivo
