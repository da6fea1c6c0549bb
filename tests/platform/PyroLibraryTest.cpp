// The particle library through its interfaces: the file format and its
// checks, and emitters over a fixed clock drawn through a recording device.
#include "platform/pyro/PyroFormat.h"
#include "platform/pyro/PyroParticles.h"
#include "tests/support/PyroMemory.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>

using namespace PyroParticles;
using namespace PyroParticles::PyroGraphics;

namespace {

// The clock the program drives emitters with: 0.008 per 10 ms tick.
constexpr float kTick = 0.008f;

struct FakeTexture : ITexture {
    uint32_t width, height;
    std::vector<uint8_t> pixels;
};

// Records what the library asks of its device.
class RecordingDevice : public IDevice {
public:
    struct Draw {
        uint32_t blend;
        ITexture* texture;
        std::vector<Vertex> vertices;
    };
    int SetRenderState(uint32_t state, uint32_t value) override
    {
        if (state == kRenderStateBlend)
            mBlend = value;
        return 0;
    }
    int CreateVertexBuffer(IVertexBuffer** out, uint32_t count, uint32_t stride, uint32_t, uint32_t) override
    {
        *out = new MemoryVertexBuffer(count, stride);
        return 0;
    }
    int CreateVertexBuffer2(IVertexBuffer2** out, uint32_t, uint32_t, uint32_t, uint32_t) override
    {
        *out = nullptr;
        return -1;
    }
    int CreateTexture(ITexture** out, CBitmap* bitmap, uint32_t) override
    {
        auto* t = new FakeTexture;
        t->width = bitmap->mWidth;
        t->height = bitmap->mHeight;
        t->pixels.assign(bitmap->mPixels, bitmap->mPixels + size_t(bitmap->mWidth) * bitmap->mHeight * 4);
        *out = t;
        ++mTextures;
        return 0;
    }
    int CreateBitmap(CBitmap** out, const uint8_t* pixels, uint32_t w, uint32_t h, uint32_t fourth) override
    {
        *out = new CBitmap(pixels, w, h, fourth);
        return 0;
    }
    int SetTexture(uint32_t, ITexture* texture) override
    {
        mTexture = texture;
        return 0;
    }
    int DrawPrimitive(IVertexBuffer* buffer, uint32_t first, uint32_t quads, uint32_t) override
    {
        Draw d{mBlend, mTexture, {}};
        const uint8_t* base = static_cast<const uint8_t*>(buffer->GetBuffer());
        for (uint32_t i = 0; i < quads * 4; ++i) {
            Vertex v;
            std::memcpy(&v, base + size_t(first + i) * buffer->GetStride(), sizeof v);
            d.vertices.push_back(v);
        }
        mDraws.push_back(std::move(d));
        return 0;
    }
    int DrawPrimitive2(IVertexBuffer2*, uint32_t, uint32_t, uint32_t) override { return -1; }

    size_t Quads() const
    {
        size_t n = 0;
        for (const Draw& d : mDraws)
            n += d.vertices.size() / 4;
        return n;
    }

    uint32_t mBlend = 0;
    ITexture* mTexture = nullptr;
    int mTextures = 0;
    std::vector<Draw> mDraws;
};

std::vector<uint8_t> SolidPng(uint32_t w, uint32_t h, uint32_t rgba = 0xFF0000FF)
{
    TextureData t;
    t.width = w;
    t.height = h;
    for (uint32_t i = 0; i < w * h; ++i)
        for (int k = 0; k < 4; ++k)
            t.rgba.push_back(uint8_t(rgba >> (24 - 8 * k)));
    std::vector<uint8_t> png;
    EXPECT_TRUE(EncodePng(t, png));
    return png;
}

std::vector<uint8_t> File(const std::string& emitters, std::vector<uint8_t> png = SolidPng(4, 2))
{
    return WritePyroFile({{"dot", std::move(png)}}, "<emitters>" + emitters + "</emitters>");
}

// A library with a recording device and one file loaded from `emitters`.
struct Loaded {
    explicit Loaded(const std::string& emitters)
    {
        library.reset(CreateParticleLibrary(kPyroLibraryVersion));
        library->SetDevice(&device);
        testsupport::PyroMemoryReader reader(File(emitters));
        file.reset(library->LoadFile(&reader));
        file->CreateTextures();
    }
    IPyroParticleEmitter* Create(const char* name)
    {
        IPyroParticleEmitterDef* def = file->FindEmitter(name);
        return def ? file->CreateInstance(def->Handle()) : nullptr;
    }
    // Ticks of the program's clock with the emitter at (x, y).
    void Run(IPyroParticleEmitter* e, int ticks, bool emitting, float x = 0, float y = 0)
    {
        for (int i = 0; i < ticks; ++i) {
            time += kTick;
            e->Prepare(time, kTick);
            e->Move(time, kTick, x, y, 0.0f, emitting);
        }
    }
    size_t Count(IPyroParticleEmitter* e)
    {
        device.mDraws.clear();
        e->Render();
        return device.Quads();
    }
    RecordingDevice device;
    std::unique_ptr<IPyroParticleLibrary> library;
    std::unique_ptr<IPyroFile> file;
    float time = 0;
};

struct Released {
    void operator()(IPyroParticleEmitter* e) const { e->Release(1); }
};
using Instance = std::unique_ptr<IPyroParticleEmitter, Released>;

const char* kEmitters = R"(
  <emitter name="burst"><layer texture="dot" blend="0" burst="10" life_min="0.1" life_max="0.1" color_end="0xFFFFFFFF"/></emitter>
  <emitter name="rate"><layer texture="dot" blend="2" rate="100" duration="0.1" life_min="1" life_max="1" color_end="0xFFFFFFFF"/></emitter>
  <emitter name="trail"><layer texture="dot" rate="100" duration="-1" life_min="10" life_max="10" size_start="4" size_end="4" color_end="0xFFFFFFFF"/></emitter>
  <emitter name="capped"><layer texture="dot" burst="50" max="7" life_min="1" life_max="1" color_end="0xFFFFFFFF"/></emitter>
  <emitter name="two"><layer texture="dot" blend="1" burst="1" life_min="1" life_max="1" color_end="0xFFFFFFFF"/><layer texture="dot" blend="2" burst="1" life_min="1" life_max="1" color_end="0xFFFFFFFF"/></emitter>
)";

TEST(PyroLibrary, OnlyItsOwnVersionIsCreated)
{
    EXPECT_EQ(CreateParticleLibrary(0x10109), nullptr);
    IPyroParticleLibrary* library = CreateParticleLibrary(0x1010A);
    ASSERT_NE(library, nullptr);
    DestroyParticleLibrary(library);
}

TEST(PyroLibrary, FileRoundTripKeepsTexturesAndEmitters)
{
    const std::vector<uint8_t> bytes = File(kEmitters, SolidPng(4, 2, 0x11223344));
    PyroFileData data;
    std::string error;
    ASSERT_TRUE(ParsePyroFile(bytes.data(), bytes.size(), data, error)) << error;
    ASSERT_EQ(data.textures.size(), 1u);
    EXPECT_EQ(data.textures[0].name, "dot");
    EXPECT_EQ(data.textures[0].width, 4u);
    EXPECT_EQ(data.textures[0].height, 2u);
    EXPECT_EQ(std::vector<uint8_t>(data.textures[0].rgba.begin(), data.textures[0].rgba.begin() + 4),
              (std::vector<uint8_t>{0x11, 0x22, 0x33, 0x44}));
    ASSERT_EQ(data.emitters.size(), 5u);
    EXPECT_EQ(data.emitters[1].name, "rate");
    EXPECT_EQ(data.emitters[1].layers[0].blend, 2);
    EXPECT_FLOAT_EQ(data.emitters[1].layers[0].rate, 100);
    EXPECT_EQ(data.emitters[4].layers.size(), 2u);
}

TEST(PyroLibrary, EveryTruncationOfAFileIsRejected)
{
    const std::vector<uint8_t> bytes = File(kEmitters);
    for (size_t n = 0; n < bytes.size(); ++n) {
        PyroFileData data;
        std::string error;
        EXPECT_FALSE(ParsePyroFile(bytes.data(), n, data, error)) << n;
    }
}

TEST(PyroLibrary, MalformedFilesAreRejected)
{
    auto patched = [](size_t at, uint8_t value) {
        std::vector<uint8_t> b = File(kEmitters);
        b[at] = value;
        return b;
    };
    auto layer = [](const std::string& attributes) {
        return File("<emitter name=\"e\"><layer texture=\"dot\" " + attributes + "/></emitter>");
    };
    std::string seventeen = "<emitter name=\"e\">";
    for (int i = 0; i < 17; ++i)
        seventeen += "<layer texture=\"dot\" burst=\"1\"/>";
    std::vector<uint8_t> trailing = File(kEmitters);
    trailing.push_back(0);
    const struct {
        const char* what;
        std::vector<uint8_t> bytes;
    } cases[] = {
        {"magic", patched(0, 'X')},
        {"major version", patched(4, 2)},
        {"chunk length past the end", patched(16, 0xFF)},
        {"bytes after the last chunk", trailing},
        {"texture beyond 1024", WritePyroFile({{"dot", SolidPng(1025, 1)}}, "<emitters/>")},
        {"damaged PNG", File(kEmitters, std::vector<uint8_t>(40, 7))},
        {"unknown texture", File("<emitter name=\"e\"><layer texture=\"nope\" burst=\"1\"/></emitter>")},
        {"not a number", layer("rate=\"nan\"")},
        {"infinity", layer("speed_min=\"inf\"")},
        {"unknown attribute", layer("rated=\"1\"")},
        {"blend 3", layer("blend=\"3\"")},
        {"bad colour", layer("color_start=\"FFFFFFFF\"")},
        {"repeated emitter", File("<emitter name=\"e\"><layer texture=\"dot\"/></emitter>"
                                  "<emitter name=\"e\"><layer texture=\"dot\"/></emitter>")},
        {"emitter without layers", File("<emitter name=\"e\"/>")},
        {"seventeen layers", File(seventeen + "</emitter>")},
        {"name too long", File("<emitter name=\"" + std::string(256, 'n') + "\"><layer texture=\"dot\"/></emitter>")},
        {"not XML", WritePyroFile({}, "<emitters><emitter")},
    };
    for (const auto& c : cases) {
        PyroFileData data;
        std::string error;
        EXPECT_FALSE(ParsePyroFile(c.bytes.data(), c.bytes.size(), data, error)) << c.what;
        EXPECT_FALSE(error.empty()) << c.what;
    }
}

TEST(PyroLibrary, ValuesOutOfRangeAreClamped)
{
    const std::vector<uint8_t> ok = File("<emitter name=\"e\"><layer texture=\"dot\" rate=\"1e9\" life_min=\"0\" "
                                         "size_var=\"7\" max=\"5000\"/></emitter>");
    PyroFileData data;
    std::string error;
    ASSERT_TRUE(ParsePyroFile(ok.data(), ok.size(), data, error)) << error;
    EXPECT_EQ(data.emitters[0].layers[0].maxParticles, 2000);
    EXPECT_FLOAT_EQ(data.emitters[0].layers[0].rate, 10000);
    EXPECT_GT(data.emitters[0].layers[0].lifeMin, 0);
    EXPECT_FLOAT_EQ(data.emitters[0].layers[0].sizeVar, 1);
}

TEST(PyroLibrary, ABadFileThrowsFromLoad)
{
    std::unique_ptr<IPyroParticleLibrary> library(CreateParticleLibrary(kPyroLibraryVersion));
    std::vector<uint8_t> bytes = File(kEmitters);
    bytes.resize(bytes.size() / 2);
    testsupport::PyroMemoryReader reader(bytes);
    EXPECT_THROW(library->LoadFile(&reader), PyroException);
}

TEST(PyroLibrary, TexturesAreMadeFromRgbaBitmaps)
{
    Loaded l(kEmitters);
    EXPECT_EQ(l.device.mTextures, 1);
    Instance e(l.Create("two"));
    l.Run(e.get(), 1, true);
    l.Count(e.get());
    ASSERT_EQ(l.device.mDraws.size(), 2u);
    auto* t = static_cast<FakeTexture*>(l.device.mDraws[0].texture);
    EXPECT_EQ(t->width, 4u);
    EXPECT_EQ(t->pixels[0], 0xFF); // R of 0xFF0000FF
    EXPECT_EQ(t->pixels[3], 0xFF);
    EXPECT_EQ(l.device.mDraws[0].blend, kBlendAdditive);
    EXPECT_EQ(l.device.mDraws[1].blend, kBlendAdd);
    EXPECT_EQ(l.Create("missing"), nullptr);
    EXPECT_EQ(l.file->CreateInstance(99), nullptr);
}

TEST(PyroLibrary, ABurstEmitsOnceAndDies)
{
    Loaded l(kEmitters);
    Instance e(l.Create("burst"));
    l.Run(e.get(), 1, true);
    EXPECT_EQ(l.Count(e.get()), 10u);
    l.Run(e.get(), 5, true);
    EXPECT_EQ(l.Count(e.get()), 10u);
    EXPECT_NE(e->HasParticles(), 0);
    l.Run(e.get(), 10, true); // 0.1 s of life is 8 ticks of the program's clock
    EXPECT_EQ(e->HasParticles(), 0);
    l.Run(e.get(), 100, true);
    EXPECT_EQ(e->HasParticles(), 0);
}

TEST(PyroLibrary, ARateEmitsForItsDurationOnly)
{
    Loaded l(kEmitters);
    Instance e(l.Create("rate"));
    l.Run(e.get(), 1, true);
    EXPECT_EQ(l.Count(e.get()), 1u); // 100/s for 0.01 s
    l.Run(e.get(), 50, true);
    EXPECT_EQ(l.Count(e.get()), 10u);
    EXPECT_EQ(l.device.mDraws[0].blend, kBlendAdd);
}

TEST(PyroLibrary, NotEmittingEmitsNothingAndKillEmpties)
{
    Loaded l(kEmitters);
    Instance e(l.Create("trail"));
    l.Run(e.get(), 20, false);
    EXPECT_EQ(e->HasParticles(), 0);
    l.Run(e.get(), 10, true);
    EXPECT_NE(e->HasParticles(), 0);
    e->Kill();
    EXPECT_EQ(e->HasParticles(), 0);
    EXPECT_EQ(l.Count(e.get()), 0u);
}

TEST(PyroLibrary, ParticlesStayWhereTheyWereBorn)
{
    Loaded l(kEmitters);
    Instance e(l.Create("trail"));
    for (int i = 0; i < 10; ++i)
        l.Run(e.get(), 1, true, float(i * 10), 5);
    l.Run(e.get(), 10, false, 500, 500); // the emitter moves on
    l.Count(e.get());
    ASSERT_EQ(l.device.Quads(), 10u);
    std::vector<float> xs;
    for (size_t q = 0; q < 10; ++q) {
        const Vertex* v = &l.device.mDraws[0].vertices[q * 4];
        const float cx = (v[0].x + v[1].x + v[2].x + v[3].x) / 4, cy = (v[0].y + v[1].y + v[2].y + v[3].y) / 4;
        EXPECT_NEAR(cy, 5, 1e-3);
        xs.push_back(cx);
        // A square of side 4: TL, TR, BR, BL around the centre.
        EXPECT_NEAR(std::hypot(v[1].x - v[0].x, v[1].y - v[0].y), 4, 1e-3);
        EXPECT_NEAR(std::hypot(v[2].x - v[1].x, v[2].y - v[1].y), 4, 1e-3);
        EXPECT_NEAR(std::hypot(v[2].x - v[0].x, v[2].y - v[0].y), 4 * std::sqrt(2.0f), 1e-3);
        EXPECT_EQ(v[0].u, 0);
        EXPECT_EQ(v[2].u, 1);
        EXPECT_EQ(v[2].v, 1);
        EXPECT_EQ(v[0].color, 0xFFFFFFFFu);
    }
    std::sort(xs.begin(), xs.end());
    for (size_t i = 0; i < xs.size(); ++i)
        EXPECT_NEAR(xs[i], float(i * 10), 1e-3);
}

TEST(PyroLibrary, ALayerKeepsToItsParticleCap)
{
    Loaded l(kEmitters);
    Instance e(l.Create("capped"));
    l.Run(e.get(), 3, true);
    EXPECT_EQ(l.Count(e.get()), 7u);
}

TEST(PyroLibrary, ManyParticlesGoOutInSeveralDraws)
{
    Loaded l("<emitter name=\"many\"><layer texture=\"dot\" burst=\"1500\" max=\"2000\" life_min=\"1\" "
             "life_max=\"1\" color_end=\"0xFFFFFFFF\"/></emitter>");
    Instance e(l.Create("many"));
    l.Run(e.get(), 1, true);
    EXPECT_EQ(l.Count(e.get()), 1500u);
    EXPECT_EQ(l.device.mDraws.size(), 3u); // 512 quads a draw
}

TEST(PyroLibrary, InstancesOutliveTheirFileAndLibrary)
{
    auto l = std::make_unique<Loaded>(kEmitters);
    Instance e(l->Create("burst"));
    l->Run(e.get(), 1, true);
    l->file.reset();
    l->library.reset();
    l->Run(e.get(), 1, true);
    e->Render(); // no device any more: draws nothing
    EXPECT_NE(e->HasParticles(), 0);
}

} // namespace
