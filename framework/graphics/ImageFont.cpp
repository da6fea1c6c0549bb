#include "framework/graphics/ImageFont.h"

#include "framework/core/Strings.h"
#include "framework/graphics/FontData.h"
#include "framework/graphics/Graphics.h"
#include "framework/graphics/MemoryImage.h"

#include <algorithm>
#include <cmath>
#include <mutex>

namespace Kivo {

namespace {

// Truncation toward zero of sizes computed from point sizes and scales that
// a caller may set to anything; held to the int range first.
int Trunc(double v) { return static_cast<int>(std::trunc(std::clamp(v, -2147483648.0, 2147483647.0))); }

bool Contains(const std::vector<std::string>& v, const std::string& s) { return std::find(v.begin(), v.end(), s) != v.end(); }

struct GlyphDrawCommand {
    Image* mImage;
    int mX;
    int mY;
    Rect mSrcRect;
    int mDrawMode; // -1 keeps the context's
    Color mColor;
    GlyphDrawCommand* mNext;
};

constexpr int kPoolSize = 4096;

// Shared by every image font; used only under the lock, for a whole draw.
struct GlyphPool {
    std::recursive_mutex lock;
    GlyphDrawCommand commands[kPoolSize];
    GlyphDrawCommand* first[256];
    GlyphDrawCommand* last[256];
};

GlyphPool& Pool()
{
    static GlyphPool pool;
    return pool;
}

} // namespace

ImageFont::ImageFont(FontHost* app, const std::string& path) : mFontData(new FontData)
{
    ++mFontData->mRefCount;
    mFontData->Load(app, path);
    mPointSize = mFontData->mDefaultPointSize;
    PrepareLayers();
    mActivated = true;
}

ImageFont::ImageFont(Image* image, const std::string& widthsPath) : mFontData(new FontData)
{
    ++mFontData->mRefCount;
    mFontData->LoadLegacy(image, widthsPath);
    mPointSize = mFontData->mDefaultPointSize;
    PrepareLayers();
    mActivated = true;
}

ImageFont::ImageFont(const ImageFont& other)
    : Font(other), mFontData(other.mFontData), mPointSize(other.mPointSize), mTagVector(other.mTagVector),
      mActivated(other.mActivated), mScale(other.mScale), mForceScaledImagesWhite(other.mForceScaledImagesWhite)
{
    ++mFontData->mRefCount;
    if (mActivated)
        for (const ActiveFontLayer& layer : other.mActiveLayerList)
            mActiveLayerList.push_back(layer);
}

ImageFont::~ImageFont()
{
    mActiveLayerList.clear();
    if (--mFontData->mRefCount == 0)
        delete mFontData;
}

Font* ImageFont::Duplicate() { return new ImageFont(*this); }

void ImageFont::SetPointSize(int pointSize)
{
    mPointSize = pointSize;
    mActivated = false;
}

int ImageFont::GetPointSize() { return mPointSize; }

void ImageFont::SetScale(double scale)
{
    mScale = scale;
    mActivated = false;
}

int ImageFont::GetDefaultPointSize() { return mFontData->mDefaultPointSize; }

bool ImageFont::AddTag(const std::string& tag)
{
    if (HasTag(tag))
        return false;
    mTagVector.push_back(StringToUpper(tag));
    mActivated = false;
    return true;
}

bool ImageFont::RemoveTag(const std::string& tag)
{
    auto it = std::find(mTagVector.begin(), mTagVector.end(), StringToUpper(tag));
    if (it == mTagVector.end())
        return false;
    mTagVector.erase(it);
    mActivated = false;
    return true;
}

bool ImageFont::HasTag(const std::string& tag) { return Contains(mTagVector, StringToUpper(tag)); }

std::string ImageFont::GetDefine(const std::string& name)
{
    DataElement* value = mFontData->GetDefine(name);
    return value ? mFontData->ElementToText(value) : std::string();
}

void ImageFont::EnsurePrepared()
{
    if (mActivated)
        return;
    PrepareLayers();
    mActivated = true;
}

void ImageFont::PrepareLayers()
{
    if (!mFontData->mInitialized)
        return;
    mActiveLayerList.clear();
    mAscent = mHeight = mAscentPadding = mLineSpacingOffset = 0;
    bool first = true;
    for (FontLayerDef& layer : mFontData->mFontLayerList) {
        if (mPointSize < layer.mMinPointSize || (layer.mMaxPointSize != -1 && mPointSize > layer.mMaxPointSize))
            continue;
        const bool tagsMatch =
            std::all_of(layer.mRequiredTags.begin(), layer.mRequiredTags.end(),
                        [&](const std::string& t) { return Contains(mTagVector, t); }) &&
            std::none_of(mTagVector.begin(), mTagVector.end(),
                         [&](const std::string& t) { return Contains(layer.mExcludedTags, t); });
        if (!tagsMatch)
            continue;
        PrepareLayer(layer, first);
        first = false;
    }
}

void ImageFont::PrepareLayer(FontLayerDef& layer, bool first)
{
    ActiveFontLayer& active = mActiveLayerList.emplace_back();
    active.mBaseFontLayer = &layer;
    double n = 1, d = 1;
    if (mScale == 1.0 && (layer.mPointSize == 0 || layer.mPointSize == mPointSize)) {
        active.mScaledImage = layer.mImage.ToImage();
        for (int k = 0; k < 256; ++k)
            active.mScaledCharImageRects[k] = layer.mCharData[k].mImageRect;
    } else {
        if (layer.mPointSize != 0) {
            n = mPointSize * mScale;
            d = layer.mPointSize;
        } else {
            n = mScale;
        }
        // Glyph sizes stay within what an image may hold.
        auto size = [&](int v) { return std::clamp(Trunc(v * n / d), 0, kMaxImageSide); };
        int64_t x = 0;
        int tallest = 0;
        for (int k = 0; k < 256; ++k) {
            const Rect& r = layer.mCharData[k].mImageRect;
            const int w = size(r.mWidth), h = size(r.mHeight);
            active.mScaledCharImageRects[k] = Rect(static_cast<int>(std::min<int64_t>(x, INT32_MAX)), 0, w, h);
            x += w;
            tallest = std::max(tallest, h);
        }
        auto* image = new MemoryImage();
        image->Create(static_cast<int>(std::min<int64_t>(x, INT32_MAX)), tallest);
        active.mScaledImage = image;
        active.mOwnsImage = true;
        if (Image* source = layer.mImage.ToImage()) {
            Graphics g(image);
            for (int k = 0; k < 256; ++k)
                g.DrawImageStretch(source, active.mScaledCharImageRects[k], layer.mCharData[k].mImageRect);
        }
        if (mForceScaledImagesWhite) {
            if (uint32_t* bits = image->GetBits()) {
                for (size_t i = 0, count = size_t(image->mWidth) * image->mHeight; i < count; ++i)
                    bits[i] |= 0xFFFFFF;
                image->BitsChanged();
            }
        }
        image->Palletize();
    }
    const int height = layer.mHeight != 0 ? layer.mHeight : layer.mDefaultHeight;
    mAscent = std::max(mAscent, Trunc(layer.mAscent * n / d));
    mHeight = std::max(mHeight, Trunc(height * n / d));
    const int padding = Trunc(layer.mAscentPadding * n / d);
    const int lineSpacing = Trunc(n * layer.mLineSpacingOffset / d);
    mAscentPadding = first ? padding : std::min(mAscentPadding, padding);
    mLineSpacingOffset = first ? lineSpacing : std::max(mLineSpacingOffset, lineSpacing);
}

int ImageFont::CharWidth(char c) { return CharWidthKern(c, 0); }

int ImageFont::CharWidthKern(char c, char prev)
{
    EnsurePrepared();
    const uint8_t mc = mFontData->mCharMap[static_cast<uint8_t>(c)];
    const uint8_t mp = prev ? mFontData->mCharMap[static_cast<uint8_t>(prev)] : 0;
    int widest = 0;
    for (const ActiveFontLayer& active : mActiveLayerList) {
        const FontLayerDef& layer = *active.mBaseFontLayer;
        const double kern = mp ? layer.mCharData[mp].mKerningOffsets[mc] + double(layer.mSpacing) : 0.0;
        const double width = layer.mCharData[mc].mWidth;
        int w, k;
        if (layer.mPointSize != 0) {
            const double s = mPointSize * mScale;
            w = Trunc(width * s / layer.mPointSize);
            k = mp ? Trunc(s * kern / layer.mPointSize) : 0;
        } else {
            w = Trunc(width * mScale);
            k = mp ? Trunc(kern * mScale) : 0;
        }
        widest = std::max(widest, static_cast<int>(std::clamp<int64_t>(int64_t(w) + k, INT32_MIN, INT32_MAX)));
    }
    return widest;
}

int ImageFont::StringWidth(const std::string& text)
{
    int64_t width = 0;
    char prev = 0;
    for (char c : text) {
        width += CharWidthKern(c, prev);
        prev = c;
    }
    return static_cast<int>(std::clamp<int64_t>(width, INT32_MIN, INT32_MAX));
}

void ImageFont::DrawString(Graphics* g, int x, int y, const std::string& text, const Color& color, const Rect& clip)
{
    DrawStringEx(g, x, y, text, color, clip, nullptr, nullptr, false);
}

void ImageFont::DrawStringF(Graphics* g, float x, float y, const std::string& text, const Color& color,
                            const Rect& clip)
{
    DrawStringEx(g, Trunc(x), Trunc(y), text, color, clip, nullptr, nullptr, true);
}

void ImageFont::DrawStringEx(Graphics* g, int x, int y, const std::string& text, const Color& color, const Rect&,
                             std::list<Rect>* rects, int* width, bool floatPositions)
{
    GlyphPool& pool = Pool();
    std::lock_guard guard(pool.lock);
    std::fill(std::begin(pool.first), std::end(pool.first), nullptr);
    std::fill(std::begin(pool.last), std::end(pool.last), nullptr);
    if (rects)
        rects->clear();
    if (!mFontData->mInitialized) {
        if (width)
            *width = 0;
        return;
    }
    EnsurePrepared();
    const bool colorize = g->mColorizeImages;
    g->SetColorizeImages(true);

    int used = 0;
    int64_t pen = x;
    const size_t length = text.size();
    for (size_t i = 0; i < length && used < kPoolSize; ++i) {
        const uint8_t c = mFontData->mCharMap[static_cast<uint8_t>(text[i])];
        const uint8_t next = i + 1 < length ? mFontData->mCharMap[static_cast<uint8_t>(text[i + 1])] : 0;
        int64_t end = pen;
        for (const ActiveFontLayer& active : mActiveLayerList) {
            if (used == kPoolSize)
                break;
            const FontLayerDef& layer = *active.mBaseFontLayer;
            const GlyphInfo& glyph = layer.mCharData[c];
            const double f = layer.mPointSize != 0 ? (mPointSize * mScale) / layer.mPointSize : mScale;
            const int kern = next ? glyph.mKerningOffsets[next] + layer.mSpacing : 0;
            int64_t gx, gy, w, k;
            if (f == 1) {
                gx = pen + layer.mOffsetX + glyph.mOffsetX;
                gy = int64_t(y) + layer.mOffsetY - layer.mAscent + glyph.mOffsetY;
                w = glyph.mWidth;
                k = kern;
            } else {
                gx = pen + Trunc((double(layer.mOffsetX) + glyph.mOffsetX) * f);
                gy = y - int64_t(Trunc((double(layer.mAscent) - layer.mOffsetY - glyph.mOffsetY) * f));
                w = Trunc(glyph.mWidth * f);
                k = next ? Trunc((double(glyph.mKerningOffsets[next]) + layer.mSpacing) * f) : 0;
            }
            Color glyphColor;
            for (int ch = 0; ch < 4; ++ch) {
                const int v = layer.mColorMult.Component(ch) * color.Component(ch) / 255 + layer.mColorAdd.Component(ch);
                // A negative add would corrupt the packed colour: held at 0.
                glyphColor.ComponentRef(ch) = std::clamp(v, 0, 255);
            }
            const int order = static_cast<int>(std::clamp<int64_t>(int64_t(glyph.mOrder) + layer.mBaseOrder + 128, 0, 255));
            GlyphDrawCommand& cmd = pool.commands[used++];
            const Rect& src = active.mScaledCharImageRects[c];
            cmd = GlyphDrawCommand{ active.mScaledImage,
                                    static_cast<int>(std::clamp<int64_t>(gx, INT32_MIN, INT32_MAX)),
                                    static_cast<int>(std::clamp<int64_t>(gy, INT32_MIN, INT32_MAX)),
                                    src,
                                    layer.mDrawMode,
                                    glyphColor,
                                    nullptr };
            if (pool.last[order])
                pool.last[order]->mNext = &cmd;
            else
                pool.first[order] = &cmd;
            pool.last[order] = &cmd;
            if (rects)
                rects->push_back(Rect(cmd.mX, cmd.mY, src.mWidth, src.mHeight));
            end = std::max(end, pen + w + k);
        }
        pen = end;
    }
    if (width)
        *width = static_cast<int>(std::clamp<int64_t>(pen - x, INT32_MIN, INT32_MAX));

    const Color saved = g->GetColor();
    for (int order = 0; order < 256; ++order) {
        for (GlyphDrawCommand* cmd = pool.first[order]; cmd; cmd = cmd->mNext) {
            const int mode = g->GetDrawMode();
            if (cmd->mDrawMode != -1)
                g->SetDrawMode(cmd->mDrawMode);
            g->SetColor(cmd->mColor);
            if (cmd->mImage) {
                if (floatPositions)
                    g->DrawImageSrcF(cmd->mImage, static_cast<float>(cmd->mX), static_cast<float>(cmd->mY), cmd->mSrcRect);
                else
                    g->DrawImageSrc(cmd->mImage, cmd->mX, cmd->mY, cmd->mSrcRect);
            }
            g->SetDrawMode(mode);
        }
    }
    g->mColor = saved;
    g->SetColorizeImages(colorize);
}

} // namespace Kivo
