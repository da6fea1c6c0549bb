// The particle library: files of textures and emitter definitions, and
// emitter instances that simulate their particles in world space and draw
// them as textured quads through the device.
//
// Time: callers advance the clock by 0.8 units per real second; the
// library works in real seconds (1.25 seconds per clock unit), so authors
// write seconds in the files.
#include "platform/pyro/PyroFormat.h"
#include "platform/pyro/PyroParticles.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <numbers>

namespace PyroParticles {

using namespace PyroGraphics;

namespace {

constexpr float kSecondsPerUnit = 1.25f;
// A longer step (a stall) is cut so a burst does not jump far.
constexpr float kMaxStep = 0.25f;
// Quads per draw call; the shared vertex buffer holds this many.
constexpr uint32_t kQuadsPerDraw = 512;

// The library's own generator (xorshift32), never the program's, so that
// particles do not change the program's random sequence.
class Random {
public:
    explicit Random(uint32_t seed) : mState(seed ? seed : 0x9E3779B9u) {}
    uint32_t Next()
    {
        mState ^= mState << 13;
        mState ^= mState >> 17;
        mState ^= mState << 5;
        return mState;
    }
    // Uniform in [lo, hi].
    float Range(float lo, float hi) { return lo + (hi - lo) * float(Next() >> 8) * (1.0f / 16777215.0f); }

private:
    uint32_t mState;
};

// What instances share with their library: the device and one vertex
// buffer. The library clears the device when it goes.
struct DeviceState {
    IDevice* device = nullptr;
    std::unique_ptr<IVertexBuffer> buffer;
    uint32_t nextSeed = 0x2545F491u;
};

// A file's definitions and textures, kept alive by its instances.
struct FileState {
    PyroFileData data;
    std::vector<std::unique_ptr<ITexture>> textures;
};

struct Particle {
    float x, y, vx, vy;
    float age, life;
    float size0, size1;
    float angle, spin; // degrees, degrees per second
};

struct LayerState {
    std::vector<Particle> particles;
    float residue = 0;
};

float Lerp(float a, float b, float t) { return a + (b - a) * t; }

uint32_t LerpColor(uint32_t a, uint32_t b, float t, float alphaScale)
{
    auto channel = [&](int shift) {
        return Lerp(float((a >> shift) & 0xFF), float((b >> shift) & 0xFF), t);
    };
    const float alpha = std::clamp(channel(24) * alphaScale, 0.0f, 255.0f);
    return uint32_t(alpha) << 24 | uint32_t(channel(16)) << 16 | uint32_t(channel(8)) << 8 | uint32_t(channel(0));
}

class Instance : public IPyroParticleEmitter {
public:
    Instance(std::shared_ptr<FileState> file, const EmitterDef* def, std::shared_ptr<DeviceState> device)
        : mFile(std::move(file)), mDef(def), mDevice(std::move(device)), mRandom(mDevice->nextSeed++ * 2654435761u),
          mLayers(def->layers.size())
    {
        for (size_t i = 0; i < mLayers.size(); ++i)
            mLayers[i].particles.reserve(size_t(std::min(def->layers[i].maxParticles, 256)));
    }

    void Kill() override
    {
        for (LayerState& l : mLayers)
            l.particles.clear();
    }

    void Prepare(float, float) override {}

    void Move(float, float step, float x, float y, float, bool emitting) override
    {
        const float dt = std::clamp(step * kSecondsPerUnit, 0.0f, kMaxStep);
        if (!mPlaced) {
            mPrevX = x;
            mPrevY = y;
            mPlaced = true;
        }
        for (size_t i = 0; i < mLayers.size(); ++i)
            Advance(mDef->layers[i], mLayers[i], dt, x, y);
        if (emitting) {
            for (size_t i = 0; i < mLayers.size(); ++i)
                Emit(mDef->layers[i], mLayers[i], dt, x, y);
            mFirstEmit = false;
            mEmitTime += dt;
        }
        mPrevX = x;
        mPrevY = y;
    }

    int HasParticles() const override
    {
        for (const LayerState& l : mLayers)
            if (!l.particles.empty())
                return 1;
        return 0;
    }

    void Render() override;

    void Release(int) override { delete this; }

private:
    void Advance(const LayerDef& d, LayerState& l, float dt, float x, float y)
    {
        const float originX = x + d.offsetX, originY = y + d.offsetY;
        auto& ps = l.particles;
        const float damp = d.drag > 0 ? std::exp(-d.drag * dt) : 1.0f;
        for (size_t i = 0; i < ps.size();) {
            Particle& p = ps[i];
            p.age += dt;
            if (p.age >= p.life) {
                p = ps.back();
                ps.pop_back();
                continue;
            }
            float ax = 0, ay = d.gravity;
            if (d.radial != 0 || d.tangential != 0) {
                const float dx = p.x - originX, dy = p.y - originY;
                const float len = std::sqrt(dx * dx + dy * dy);
                if (len > 1e-3f) {
                    const float nx = dx / len, ny = dy / len;
                    ax += nx * d.radial - ny * d.tangential;
                    ay += ny * d.radial + nx * d.tangential;
                }
            }
            p.vx = (p.vx + ax * dt) * damp;
            p.vy = (p.vy + ay * dt) * damp;
            p.x += p.vx * dt;
            p.y += p.vy * dt;
            p.angle += p.spin * dt;
            ++i;
        }
    }

    void Emit(const LayerDef& d, LayerState& l, float dt, float x, float y)
    {
        float count = 0;
        if (mFirstEmit)
            count += float(d.burst);
        if (d.rate > 0) {
            // Only the part of the step inside the emission time counts.
            float span = dt;
            if (d.duration >= 0)
                span = std::clamp(d.duration - mEmitTime, 0.0f, dt);
            l.residue += d.rate * span;
            const float whole = std::floor(l.residue);
            l.residue -= whole;
            count += whole;
        }
        const size_t room = size_t(d.maxParticles) - std::min(size_t(d.maxParticles), l.particles.size());
        const size_t n = std::min(size_t(count), room);
        for (size_t k = 0; k < n; ++k) {
            // Spread along the way moved in this step, so a moving emitter
            // leaves an unbroken trail.
            const float t = (float(k) + 1.0f) / float(n);
            Particle p;
            p.x = Lerp(mPrevX, x, t) + d.offsetX + mRandom.Range(-0.5f, 0.5f) * d.areaWidth;
            p.y = Lerp(mPrevY, y, t) + d.offsetY + mRandom.Range(-0.5f, 0.5f) * d.areaHeight;
            const float angle = (d.direction + mRandom.Range(-0.5f, 0.5f) * d.spread - 90.0f) *
                                std::numbers::pi_v<float> / 180.0f;
            const float speed = mRandom.Range(d.speedMin, d.speedMax);
            p.vx = std::cos(angle) * speed;
            p.vy = std::sin(angle) * speed;
            p.age = 0;
            p.life = mRandom.Range(d.lifeMin, d.lifeMax);
            const float scale = 1.0f + mRandom.Range(-d.sizeVar, d.sizeVar);
            p.size0 = d.sizeStart * scale;
            p.size1 = d.sizeEnd * scale;
            p.angle = mRandom.Range(0, 360);
            p.spin = mRandom.Range(d.spinMin, d.spinMax);
            l.particles.push_back(p);
        }
    }

    std::shared_ptr<FileState> mFile;
    const EmitterDef* mDef;
    std::shared_ptr<DeviceState> mDevice;
    Random mRandom;
    std::vector<LayerState> mLayers;
    bool mPlaced = false;
    bool mFirstEmit = true;
    float mEmitTime = 0;
    float mPrevX = 0, mPrevY = 0;
};

void Instance::Render()
{
    IDevice* device = mDevice->device;
    if (!device)
        return;
    if (!mDevice->buffer) {
        IVertexBuffer* buffer = nullptr;
        device->CreateVertexBuffer(&buffer, kQuadsPerDraw * 4, sizeof(Vertex), 0, 0);
        if (!buffer)
            return;
        mDevice->buffer.reset(buffer);
    }
    IVertexBuffer* vb = mDevice->buffer.get();
    const uint32_t stride = vb->GetStride();
    const uint32_t capacity = uint32_t(std::min<size_t>(vb->GetSize() / std::max<uint32_t>(stride, 1) / 4,
                                                        kQuadsPerDraw));
    if (stride < sizeof(Vertex) || capacity == 0)
        return;
    for (size_t i = 0; i < mLayers.size(); ++i) {
        const LayerDef& d = mDef->layers[i];
        const auto& ps = mLayers[i].particles;
        const size_t t = size_t(d.texture);
        ITexture* texture = t < mFile->textures.size() ? mFile->textures[t].get() : nullptr;
        if (ps.empty() || !texture)
            continue;
        device->SetRenderState(kRenderStateBlend, d.blend == 1 ? kBlendAdditive : d.blend == 2 ? kBlendAdd
                                                                                                : kBlendNormal);
        device->SetTexture(0, texture);
        uint32_t quads = 0;
        auto flush = [&] {
            vb->Unlock();
            if (quads)
                device->DrawPrimitive(vb, 0, quads, 0);
            quads = 0;
        };
        vb->Lock();
        for (const Particle& p : ps) {
            const float f = p.age / p.life;
            const float fade = d.fadeIn > 0 ? std::min(1.0f, f / d.fadeIn) : 1.0f;
            const uint32_t color = LerpColor(d.colorStart, d.colorEnd, f, fade);
            if ((color >> 24) == 0)
                continue; // invisible; colour 0 would also mean "no colour" to the device
            const float half = Lerp(p.size0, p.size1, f) * 0.5f;
            const float a = p.angle * std::numbers::pi_v<float> / 180.0f;
            const float c = std::cos(a) * half, s = std::sin(a) * half;
            // Corners TL, TR, BR, BL of the square turned by the angle.
            const float cx[4] = {-c + s, c + s, c - s, -c - s};
            const float cy[4] = {-s - c, s - c, s + c, -s + c};
            const float u[4] = {0, 1, 1, 0}, v[4] = {0, 0, 1, 1};
            auto* base = static_cast<uint8_t*>(vb->GetBuffer()) + size_t(quads) * 4 * stride;
            for (int k = 0; k < 4; ++k) {
                Vertex vx{p.x + cx[k], p.y + cy[k], 0.0f, 1.0f, color, u[k], v[k]};
                std::memcpy(base + size_t(k) * stride, &vx, sizeof vx);
            }
            if (++quads == capacity) {
                flush();
                vb->Lock();
            }
        }
        flush();
    }
}

class EmitterDefinition : public IPyroParticleEmitterDef {
public:
    explicit EmitterDefinition(uintptr_t handle) : mHandle(handle) {}
    uintptr_t Handle() const override { return mHandle; }
    uintptr_t mHandle;
};

class ParticleFile : public IPyroFile {
public:
    ParticleFile(std::shared_ptr<FileState> state, std::shared_ptr<DeviceState> device)
        : mState(std::move(state)), mDevice(std::move(device))
    {
        for (size_t i = 0; i < mState->data.emitters.size(); ++i)
            mDefs.emplace_back(i + 1);
    }
    ~ParticleFile() override { DestroyTextures(); }

    int CreateTextures() override
    {
        IDevice* device = mDevice->device;
        if (!device)
            return -1;
        int failed = 0;
        mState->textures.clear();
        for (const TextureData& t : mState->data.textures) {
            CBitmap* bitmap = nullptr;
            ITexture* texture = nullptr;
            device->CreateBitmap(&bitmap, t.rgba.data(), t.width, t.height, 32);
            if (bitmap)
                device->CreateTexture(&texture, bitmap, 0);
            delete bitmap;
            failed += texture ? 0 : 1;
            mState->textures.emplace_back(texture);
        }
        return failed ? -1 : 0;
    }

    void DestroyTextures() override { mState->textures.clear(); }

    IPyroParticleEmitter* CreateInstance(uintptr_t handle) override
    {
        if (handle == 0 || handle > mState->data.emitters.size())
            return nullptr;
        return new Instance(mState, &mState->data.emitters[handle - 1], mDevice);
    }

    IPyroParticleEmitterDef* FindEmitter(const char* name) override
    {
        if (!name)
            return nullptr;
        for (size_t i = 0; i < mState->data.emitters.size(); ++i)
            if (mState->data.emitters[i].name == name)
                return &mDefs[i];
        return nullptr;
    }

private:
    std::shared_ptr<FileState> mState;
    std::shared_ptr<DeviceState> mDevice;
    std::vector<EmitterDefinition> mDefs;
};

class ParticleLib : public IPyroParticleLibrary {
public:
    ParticleLib() : mDevice(std::make_shared<DeviceState>()) {}
    ~ParticleLib() override
    {
        mDevice->buffer.reset();
        mDevice->device = nullptr;
    }

    IPyroFile* LoadFile(IPyroFileIO* reader) override
    {
        if (!reader || reader->Seek(0, SEEK_END) != 0)
            throw PyroException("the particle file cannot be read");
        const long size = reader->Tell();
        if (size < 0 || size_t(size) > kMaxFileSize || reader->Seek(0, SEEK_SET) != 0)
            throw PyroException("the particle file has a bad size");
        std::vector<uint8_t> bytes(static_cast<size_t>(size));
        if (reader->Read(bytes.data(), bytes.size()) != bytes.size())
            throw PyroException("the particle file is short");
        auto state = std::make_shared<FileState>();
        std::string error;
        if (!ParsePyroFile(bytes.data(), bytes.size(), state->data, error))
            throw PyroException(error);
        return new ParticleFile(std::move(state), mDevice);
    }

    void SetDevice(IDevice* device) override
    {
        if (device != mDevice->device)
            mDevice->buffer.reset();
        mDevice->device = device;
    }

private:
    std::shared_ptr<DeviceState> mDevice;
};

} // namespace

IPyroParticleLibrary* CreateParticleLibrary(uint32_t version)
{
    return version == kPyroLibraryVersion ? new ParticleLib : nullptr;
}

void DestroyParticleLibrary(IPyroParticleLibrary* library) { delete library; }

} // namespace PyroParticles
