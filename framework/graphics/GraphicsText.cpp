#include "framework/graphics/Font.h"
#include "framework/graphics/Graphics.h"

#include <algorithm>
#include <cmath>

namespace Kivo {

namespace {

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return 0;
}

} // namespace

void Graphics::DrawString(const std::string& text, int x, int y, bool floatForm)
{
    if (!mFont)
        return;
    if (floatForm)
        mFont->DrawStringF(this, static_cast<float>(x), static_cast<float>(y), text, mColor, mClipRect);
    else
        mFont->DrawString(this, x, y, text, mColor, mClipRect);
}

int Graphics::StringWidth(const std::string& text) { return mFont ? mFont->StringWidth(text) : 0; }

void Graphics::DrawTextPiece(const std::string& text, int x, int y, bool floatForm)
{
    if (!text.empty())
        DrawString(text, x, y, floatForm);
}

int Graphics::WriteString(const std::string& text, int x, int y, int width, int justification, bool draw, int offset,
                          int length, int oldColor, bool floatForm)
{
    if (!mFont)
        return 0;
    if (oldColor == -1)
        oldColor = static_cast<int>(mColor.ToInt());
    if (draw) {
        const int measured = WriteString(text, x, y, width, justification, false, offset, length, oldColor, floatForm);
        if (justification == 0)
            x += (width - measured) / 2;
        else if (justification == 1)
            x += width - measured;
    }
    const int64_t size = static_cast<int64_t>(text.size());
    const int end = static_cast<int>(length >= 0 ? std::min<int64_t>(int64_t(offset) + length, size) : size);
    std::string pending;
    int advance = 0;
    for (int i = std::max(offset, 0); i < end;) {
        const char c = text[i];
        if (c != '^' || !mWriteColoredString) {
            pending += c;
            ++i;
            continue;
        }
        if (i + 1 < end && text[i + 1] == '^') {
            pending += '^';
            i += 2;
            continue;
        }
        if (i > end - 8)
            break;
        uint32_t code = 0;
        if (text[i + 1] == 'o')
            code = text.compare(i + 1, 6, "oldclr") == 0 ? static_cast<uint32_t>(oldColor) : 0;
        else
            for (int k = 1; k <= 6; ++k)
                code = code << 4 | HexDigit(text[i + k]);
        if (draw) {
            DrawTextPiece(pending, x + advance, y, floatForm);
            mColor.mRed = code >> 16 & 0xFF;
            mColor.mGreen = code >> 8 & 0xFF;
            mColor.mBlue = code & 0xFF;
        }
        advance += mFont->StringWidth(pending);
        pending.clear();
        i += 8;
    }
    if (draw)
        DrawTextPiece(pending, x + advance, y, floatForm);
    return advance + mFont->StringWidth(pending);
}

int Graphics::WriteWordWrapped(const Rect& rect, const std::string& text, int lineSpacing, int justification,
                               int* maxWidth, int maxChars, int* lastWidth)
{
    if (!mFont)
        return 0;
    const Color saved = mColor;
    int oldColor = static_cast<int>(saved.ToInt());
    if (saved.mAlpha == 255)
        oldColor &= 0xFFFFFF;
    const int len = static_cast<int>(text.size());
    if (maxChars < 0)
        maxChars = len;
    if (lineSpacing == -1)
        lineSpacing = mFont->GetLineSpacing();

    int offset = mFont->GetAscent() - mFont->GetAscentPadding();
    int lineStart = 0, breakAt = -1, indent = 0, widest = 0;
    // The width of the line so far, in 64 bits: fonts give any advance and
    // spacing, and a line break pushes it past the width first.
    int64_t w = 0;
    if (lastWidth)
        indent = w = *lastWidth;
    char prev = 0, c = 0;
    bool ended = false;

    // The count of characters from `start` to `stop` that max chars allows;
    // -1 when max chars leaves none of them, which ends the text.
    auto limited = [&](int start, int stop) {
        if (stop <= maxChars)
            return stop - start;
        return maxChars - start >= 1 ? maxChars - start : -1;
    };
    auto record = [&](int width) {
        widest = std::max(widest, width);
        if (lastWidth)
            *lastWidth = width;
    };

    for (int i = 0; i < len && !ended;) {
        c = text[i];
        if (c == '^' && mWriteColoredString && i + 1 < len) {
            if (text[i + 1] != '^') {
                // A colour code takes no room; a cut-off one ends at the text end.
                i = std::min(i + 8, len);
                continue;
            }
            ++i; // two carets measure as one
        } else if (c == ' ') {
            breakAt = i;
        } else if (c == '\n' || c == '|') {
            breakAt = i;
            w = int64_t(rect.mWidth) + 1;
            ++i;
        }
        w += mFont->CharWidthKern(c, prev);
        prev = c;
        if (w <= rect.mWidth) {
            ++i;
            continue;
        }

        int recorded;
        if (breakAt < 0) {
            if (i < lineStart + 1)
                ++i;
            const int count = limited(lineStart, i);
            if (count < 0) {
                ended = true;
                break;
            }
            recorded = WriteString(text, rect.mX + indent, rect.mY + offset, rect.mWidth, justification, true, lineStart,
                                   count, oldColor);
        } else {
            const int count = limited(lineStart, breakAt);
            if (count < 0) {
                ended = true;
                break;
            }
            const int lineY = static_cast<int>(std::trunc(static_cast<double>(mTransY) + rect.mY + offset));
            if (lineY >= mClipRect.mY && lineY < mClipRect.mY + mClipRect.mHeight + lineSpacing)
                WriteString(text, rect.mX + indent, rect.mY + offset, rect.mWidth, justification, true, lineStart, count,
                            oldColor);
            recorded = static_cast<int>(std::clamp<int64_t>(indent + w, INT32_MIN, INT32_MAX));
            i = breakAt + 1;
            if (c != '\n')
                while (i < len && text[i] == ' ')
                    ++i;
        }
        record(recorded);
        offset += lineSpacing;
        lineStart = i;
        prev = 0;
        w = 0;
        indent = 0;
        breakAt = -1;
    }

    if (!ended && lineStart < len) {
        const int count = limited(lineStart, len);
        if (count >= 0) {
            record(WriteString(text, rect.mX + indent, rect.mY + offset, rect.mWidth, justification, true, lineStart,
                               count, oldColor));
            offset += lineSpacing;
        }
    } else if (!ended && c == '\n') {
        offset += lineSpacing;
        if (lastWidth)
            *lastWidth = 0;
    }

    mColor = saved;
    if (maxWidth)
        *maxWidth = widest;
    return mFont->GetDescent() + offset - lineSpacing;
}

int Graphics::GetWordWrappedHeight(int width, const std::string& text, int lineSpacing, int* maxWidth)
{
    Graphics measure(nullptr);
    measure.SetFont(mFont);
    return measure.WriteWordWrapped(Rect(0, 0, width, 0), text, lineSpacing, -1, maxWidth);
}

} // namespace Kivo
