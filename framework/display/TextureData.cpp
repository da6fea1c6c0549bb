// Textures of images: format choice, the grid of pieces, upload with edge
// texels, read-back.
#include "framework/display/D3DInterface.h"
#include "framework/graphics/MemoryImage.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace Kivo {

namespace {

struct FormatRow {
    int code;
    DWORD flags;
    DWORD bits;
    DWORD alpha, red, green, blue;
};

constexpr FormatRow kFormatRows[] = {
    { kA8R8G8B8, DDPF_RGB | DDPF_ALPHAPIXELS, 32, 0xFF000000, 0xFF0000, 0xFF00, 0xFF },
    { kA4R4G4B4, DDPF_RGB | DDPF_ALPHAPIXELS, 16, 0xF000, 0xF00, 0xF0, 0xF },
    { kR5G6B5, DDPF_RGB, 16, 0, 0xF800, 0x7E0, 0x1F },
    { kPalette8, DDPF_RGB | DDPF_PALETTEINDEXED8, 8, 0, 0, 0, 0 },
};

int SmallestPowerOfTwo(int n)
{
    int p = 1;
    while (p < n)
        p <<= 1;
    return p;
}

bool IsPowerOfTwo(int n) { return n > 0 && (n & (n - 1)) == 0; }

const std::array<int, 1024>& WasteTable()
{
    static const std::array<int, 1024> table = [] {
        std::array<int, 1024> t {};
        for (int n = 0; n < 1024; ++n) {
            const int p = SmallestPowerOfTwo(n);
            if (p - n <= 64) {
                t[size_t(n)] = p;
                continue;
            }
            int side = p / 2;
            while (n % side >= 64 && !IsPowerOfTwo(n % side))
                side /= 2;
            t[size_t(n)] = side;
        }
        return t;
    }();
    return table;
}

bool InPaletteForm(const MemoryImage* image) { return image->mColorTable && image->mColorIndices; }

IDirectDrawSurface7* CreateTextureSurface(IDirect3DDevice7* device, int width, int height, int format,
                                          IDirectDraw7* directDraw)
{
    if (CheckDXError(device->SetTexture(0, nullptr), "SetTexture NULL"))
        return nullptr;
    DDSURFACEDESC2 desc {};
    desc.dwSize = sizeof desc;
    desc.dwFlags = DDSD_CAPS | DDSD_HEIGHT | DDSD_WIDTH | DDSD_PIXELFORMAT;
    desc.dwWidth = DWORD(width);
    desc.dwHeight = DWORD(height);
    GetTexturePixelFormat(format, desc.ddpfPixelFormat);
    desc.ddsCaps.dwCaps = DDSCAPS_TEXTURE;
    desc.ddsCaps.dwCaps2 = DDSCAPS2_D3DTEXTUREMANAGE;
    IDirectDrawSurface7* surface = nullptr;
    if (FAILED(directDraw->CreateSurface(&desc, &surface, nullptr)))
        return nullptr;
    return surface;
}

template <typename Texel>
void UploadRows(uint8_t* dest, LONG pitch, const MemoryImage* image, const uint32_t* bits, int x, int y, int cw,
                int ch, bool extendRight, int format)
{
    const bool palette = InPaletteForm(image);
    const int stride = image->GetWidth();
    for (int i = 0; i < ch; ++i) {
        auto* row = reinterpret_cast<Texel*>(dest + ptrdiff_t(i) * pitch);
        const size_t at = size_t(y + i) * size_t(stride) + size_t(x);
        for (int j = 0; j < cw; ++j) {
            if (format == kPalette8)
                row[j] = Texel(image->mColorIndices[at + size_t(j)]);
            else
                row[j] = Texel(TexelFromColor(
                    palette ? image->mColorTable[image->mColorIndices[at + size_t(j)]] : bits[at + size_t(j)], format));
        }
        if (extendRight)
            row[cw] = row[cw - 1];
    }
}

void UploadTexturePiece(IDirectDrawSurface7* surface, MemoryImage* image, const uint32_t* bits, int x, int y, int w,
                        int h, int format)
{
    DDSURFACEDESC2 desc {};
    desc.dwSize = sizeof desc;
    if (CheckDXError(surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_WRITEONLY, nullptr), "Lock Texture"))
        return;
    const int cw = std::min(image->GetWidth() - x, w), ch = std::min(image->GetHeight() - y, h);
    const bool extendRight = cw < w, extendDown = ch < h;
    auto* dest = static_cast<uint8_t*>(desc.lpSurface);
    if (cw >= 1 && ch >= 1) {
        switch (TextureBytesPerTexel(format)) {
        case 4:
            UploadRows<uint32_t>(dest, desc.lPitch, image, bits, x, y, cw, ch, extendRight, format);
            break;
        case 2:
            UploadRows<uint16_t>(dest, desc.lPitch, image, bits, x, y, cw, ch, extendRight, format);
            break;
        default:
            UploadRows<uint8_t>(dest, desc.lPitch, image, bits, x, y, cw, ch, extendRight, format);
            break;
        }
        if (extendDown)
            std::memcpy(dest + ptrdiff_t(ch) * desc.lPitch, dest + ptrdiff_t(ch - 1) * desc.lPitch,
                        size_t(desc.lPitch));
    }
    CheckDXError(surface->Unlock(nullptr), "Texture Unlock");
}

} // namespace

int TextureSideForSpan(int n) { return n >= 0 && n < 1024 ? WasteTable()[size_t(n)] : 1024; }

int GetTextureFormatCode(const DDPIXELFORMAT& f)
{
    for (const FormatRow& row : kFormatRows)
        if (f.dwFlags == row.flags && f.dwRGBBitCount == row.bits && f.dwRGBAlphaBitMask == row.alpha &&
            f.dwRBitMask == row.red && f.dwGBitMask == row.green && f.dwBBitMask == row.blue)
            return row.code;
    return kTextureNone;
}

void GetTexturePixelFormat(int code, DDPIXELFORMAT& f)
{
    f = {};
    f.dwSize = sizeof f;
    for (const FormatRow& row : kFormatRows)
        if (row.code == code) {
            f.dwFlags = row.flags;
            f.dwRGBBitCount = row.bits;
            f.dwRGBAlphaBitMask = row.alpha;
            f.dwRBitMask = row.red;
            f.dwGBitMask = row.green;
            f.dwBBitMask = row.blue;
        }
}

int TextureBytesPerTexel(int code) { return code == kA8R8G8B8 ? 4 : code == kPalette8 ? 1 : 2; }

const char* TextureFormatName(int code)
{
    switch (code) {
    case kA8R8G8B8:
        return "A8R8G8B8";
    case kA4R4G4B4:
        return "A4R4G4B4";
    case kR5G6B5:
        return "R5G6B5";
    case kPalette8:
        return "Palette8";
    default:
        return "None";
    }
}

uint32_t TexelFromColor(uint32_t c, int code)
{
    switch (code) {
    case kA4R4G4B4:
        return (c >> 16 & 0xF000) | (c >> 12 & 0xF00) | (c >> 8 & 0xF0) | (c >> 4 & 0xF);
    case kR5G6B5:
        return (c >> 8 & 0xF800) | (c >> 5 & 0x7E0) | (c >> 3 & 0x1F);
    default:
        return c;
    }
}

uint32_t ColorFromTexel(uint32_t t, int code)
{
    switch (code) {
    case kA4R4G4B4:
        return 0xFF000000u | (t & 0xF00) << 12 | (t & 0xF0) << 8 | (t & 0xF) << 4;
    case kR5G6B5:
        return 0xFF000000u | (t & 0xF800) << 8 | (t & 0x7E0) << 5 | (t & 0x1F) << 3;
    default:
        return t;
    }
}

void AdjustTextureSize(int& w, int& h, bool remainder, bool fit, uint32_t flags)
{
    if (flags & 2) {
        w = h = 64;
        return;
    }
    if (fit) {
        auto side = [&](int n, int maximum) {
            if (n >= maximum)
                return maximum;
            return remainder || (flags & 1) ? SmallestPowerOfTwo(n) : TextureSideForSpan(n);
        };
        w = side(w, gMaxTextureWidth);
        h = side(h, gMaxTextureHeight);
    }
    w = std::max(w, gMinTextureWidth);
    h = std::max(h, gMinTextureHeight);
    const int64_t a = gMaxTextureAspectRatio;
    if (h < w)
        while (w > a * h)
            h *= 2;
    else if (w < h)
        while (h > a * w)
            w *= 2;
}

TextureData::TextureData() = default;

TextureData::~TextureData() { ReleaseTextures(); }

void TextureData::ReleaseTextures()
{
    for (TexturePiece& piece : pieces)
        if (piece.surface)
            piece.surface->Release();
    pieces.clear();
    textureMemory = 0;
    if (palette) {
        palette->Release();
        palette = nullptr;
    }
}

void TextureData::CreatePieces(MemoryImage* image)
{
    const int W = image->GetWidth(), H = image->GetHeight();
    pieceWidth = W;
    pieceHeight = H;
    AdjustTextureSize(pieceWidth, pieceHeight, false, true, imageFlags);
    int rw = W % pieceWidth, ch = pieceHeight;
    if (rw > 0)
        AdjustTextureSize(rw, ch, true, true, imageFlags);
    else
        rw = pieceWidth;
    int rh = H % pieceHeight, rwRow = pieceWidth;
    if (rh > 0)
        AdjustTextureSize(rwRow, rh, true, true, imageFlags);
    else
        rh = pieceHeight;
    int cw = rw, cr = rh;
    AdjustTextureSize(cw, cr, true, true, imageFlags);
    columns = (W + pieceWidth - 1) / pieceWidth;
    rows = (H + pieceHeight - 1) / pieceHeight;
    pieces.assign(size_t(columns) * size_t(rows), TexturePiece { nullptr, pieceWidth, pieceHeight });
    if (!pieces.empty()) {
        for (int r = 0; r < rows; ++r)
            pieces[size_t(r * columns + columns - 1)] = { nullptr, rw, ch };
        for (int c = 0; c < columns; ++c)
            pieces[size_t((rows - 1) * columns + c)] = { nullptr, rwRow, rh };
        pieces.back() = { nullptr, cw, cr };
    }
    widthInPieces = float(W) / float(pieceWidth);
    heightInPieces = float(H) / float(pieceHeight);
}

bool TextureData::CreateTextures(MemoryImage* image, IDirect3DDevice7* device, IDirectDraw7* directDraw)
{
    image->DeleteSWBuffers();
    image->CommitBits();
    const uint32_t flags = image->mD3DFlags;
    int chosen = kA8R8G8B8;
    if (!image->mHasTrans && !image->mHasAlpha && (gSupportedTextureFormats & kR5G6B5) && !(flags & 8))
        chosen = kR5G6B5;
    IDirectDrawPalette* newPalette = nullptr;
    if (InPaletteForm(image) && (gSupportedTextureFormats & kPalette8)) {
        PALETTEENTRY entries[256];
        for (int i = 0; i < 256; ++i) {
            const uint32_t c = image->mColorTable[i];
            entries[i] = { BYTE(c >> 16), BYTE(c >> 8), BYTE(c), BYTE(c >> 24) };
        }
        if (SUCCEEDED(directDraw->CreatePalette(DDPCAPS_8BIT | DDPCAPS_ALLOW256 | DDPCAPS_ALPHA, entries, &newPalette,
                                                nullptr)) &&
            newPalette)
            chosen = kPalette8;
        else
            gSupportedTextureFormats &= ~uint32_t(kPalette8);
    }
    if (chosen == kA8R8G8B8) {
        if ((flags & 4) && (gSupportedTextureFormats & kA4R4G4B4))
            chosen = kA4R4G4B4;
        else if (!(gSupportedTextureFormats & kA8R8G8B8))
            chosen = kA4R4G4B4;
    }
    // The pixels to upload: the palette form, or the bits. An image
    // without either cannot be textured.
    const uint32_t* bits = InPaletteForm(image) ? nullptr : image->GetBits();
    if (!InPaletteForm(image) && !bits) {
        if (newPalette)
            newPalette->Release();
        format = kTextureNone;
        return false;
    }

    bool fresh = false;
    if (width != image->GetWidth() || height != image->GetHeight() || format != chosen || imageFlags != flags ||
        pieces.empty()) {
        ReleaseTextures();
        format = chosen;
        imageFlags = flags;
        CreatePieces(image);
        fresh = true;
    }
    // A refreshed colour table reaches the kept pieces through the new
    // palette; the previous one is let go.
    if (palette && palette != newPalette) {
        palette->Release();
        palette = nullptr;
        if (!fresh && newPalette)
            for (TexturePiece& piece : pieces)
                if (piece.surface)
                    piece.surface->SetPalette(newPalette);
    }
    palette = newPalette;
    if (palette && fresh)
        textureMemory += 1024;

    for (int r = 0, y = 0; r < rows; ++r, y += pieceHeight)
        for (int c = 0, x = 0; c < columns; ++c, x += pieceWidth) {
            TexturePiece& piece = pieces[size_t(r * columns + c)];
            if (fresh) {
                piece.surface = CreateTextureSurface(device, piece.width, piece.height, chosen, directDraw);
                if (!piece.surface) {
                    format = kTextureNone;
                    return false;
                }
                if (palette)
                    piece.surface->SetPalette(palette);
                textureMemory += piece.width * piece.height * TextureBytesPerTexel(chosen);
            }
            UploadTexturePiece(piece.surface, image, bits, x, y, piece.width, piece.height, chosen);
        }
    width = image->GetWidth();
    height = image->GetHeight();
    bitsChangedCount = image->mBitsChangedCount;
    format = chosen;
    return true;
}

bool TextureData::CopyToBits(MemoryImage* image, uint32_t* bits)
{
    // After a failed creation some pieces have no surface.
    if (format == kTextureNone || pieces.empty())
        return false;
    for (const TexturePiece& piece : pieces)
        if (!piece.surface)
            return false;
    PALETTEENTRY entries[256] {};
    if (format == kPalette8 && (!palette || FAILED(palette->GetEntries(0, 0, 256, entries))))
        return false;
    const int W = std::min(image->GetWidth(), width), H = std::min(image->GetHeight(), height);
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            const TexturePiece& piece = pieces[size_t(r * columns + c)];
            DDSURFACEDESC2 desc {};
            desc.dwSize = sizeof desc;
            if (CheckDXError(piece.surface->Lock(nullptr, &desc, DDLOCK_WAIT | DDLOCK_READONLY, nullptr),
                             "Lock Texture"))
                return false;
            const int x = c * pieceWidth, y = r * pieceHeight;
            const int w = std::min(W - x, piece.width), h = std::min(H - y, piece.height);
            const auto* src = static_cast<const uint8_t*>(desc.lpSurface);
            for (int i = 0; i < h; ++i) {
                const uint8_t* row = src + ptrdiff_t(i) * desc.lPitch;
                uint32_t* out = bits + size_t(y + i) * size_t(image->GetWidth()) + size_t(x);
                for (int j = 0; j < w; ++j) {
                    if (format == kA8R8G8B8) {
                        std::memcpy(&out[j], row + 4 * j, 4);
                    } else if (format == kPalette8) {
                        const PALETTEENTRY& e = entries[row[j]];
                        out[j] = uint32_t(e.peFlags) << 24 | uint32_t(e.peRed) << 16 | uint32_t(e.peGreen) << 8 |
                                 e.peBlue;
                    } else {
                        uint16_t t;
                        std::memcpy(&t, row + 2 * j, 2);
                        out[j] = ColorFromTexel(t, format);
                    }
                }
            }
            CheckDXError(piece.surface->Unlock(nullptr), "Texture Unlock");
        }
    return true;
}

IDirectDrawSurface7* TextureData::GetPieceAt(int x, int y, int& w, int& h, float& uMin, float& vMin, float& uMax,
                                             float& vMax)
{
    const int column = x / pieceWidth, row = y / pieceHeight;
    if (x < 0 || y < 0 || column >= columns || row >= rows) {
        w = h = 0;
        return nullptr;
    }
    const TexturePiece& piece = pieces[size_t(row * columns + column)];
    const int ox = x % pieceWidth, oy = y % pieceHeight;
    const int right = std::min(ox + w, piece.width), bottom = std::min(oy + h, piece.height);
    w = right - ox;
    h = bottom - oy;
    uMin = float(ox) / float(piece.width);
    vMin = float(oy) / float(piece.height);
    uMax = float(right) / float(piece.width);
    vMax = float(bottom) / float(piece.height);
    return piece.surface;
}

} // namespace Kivo
