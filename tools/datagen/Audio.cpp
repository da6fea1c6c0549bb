#include "tools/datagen/Audio.h"

#include "tools/datagen/OggWriter.h"


#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <sys/wait.h>
#include <unistd.h>

namespace datagen {

namespace {

const double kTau = 2 * M_PI;

double Semis(double s) { return std::pow(2.0, s / 12.0); }

struct Rng {
    uint32_t s;
    explicit Rng(uint32_t seed) : s(seed * 2654435761u + 1) {}
    float Next() // -1..1
    {
        s ^= s << 13;
        s ^= s >> 17;
        s ^= s << 5;
        return float(s & 0xFFFFFF) / float(0x800000) - 1;
    }
};

// One voice of the effect synthesiser: a tone gliding from f0 to f1 with a
// percussive envelope, a mix of sine and a softer square, and filtered noise.
struct Voice {
    double start = 0, dur = 0.2;
    double f0 = 440, f1 = 440;
    double attack = 0.004, decayPow = 2.0;
    float tone = 1, square = 0, noise = 0;
    double noiseCut = 0.3; // one-pole low pass, 0..1
    double vibrato = 0;
    float gain = 0.6f;
};

std::vector<float> Render(const std::vector<Voice>& voices, int rate, uint32_t seed)
{
    double end = 0;
    for (const Voice& v : voices)
        end = std::max(end, v.start + v.dur);
    std::vector<float> out(size_t(end * rate) + 1, 0.f);
    int index = 0;
    for (const Voice& v : voices) {
        Rng rng(seed + uint32_t(index++) * 977);
        double phase = 0, lp = 0;
        size_t s0 = size_t(v.start * rate), n = size_t(v.dur * rate);
        for (size_t i = 0; i < n && s0 + i < out.size(); ++i) {
            double t = double(i) / rate, u = t / v.dur;
            double f = v.f0 * std::pow(v.f1 / v.f0, u) * (1 + v.vibrato * std::sin(kTau * 6 * t));
            phase += f / rate;
            double env = std::min(1.0, t / v.attack) * std::pow(1 - u, v.decayPow);
            double s = std::sin(kTau * phase) * v.tone;
            if (v.square > 0)
                s += std::tanh(4 * std::sin(kTau * phase)) * 0.5 * v.square;
            if (v.noise > 0) {
                lp += (rng.Next() - lp) * v.noiseCut;
                s += lp * v.noise;
            }
            out[s0 + i] += float(s * env * v.gain);
        }
    }
    // Gentle normalisation to a common peak, and short fades at both ends.
    float peak = 1e-6f;
    for (float s : out)
        peak = std::max(peak, std::abs(s));
    float k = 0.8f / peak;
    for (size_t i = 0; i < out.size(); ++i) {
        float fade = std::min({1.f, float(i) / 32.f, float(out.size() - i) / 64.f});
        out[i] *= k * fade;
    }
    return out;
}

Voice Tone(double start, double dur, double f0, double f1, float gain = 0.6f, double decayPow = 2)
{
    Voice v;
    v.start = start;
    v.dur = dur;
    v.f0 = f0;
    v.f1 = f1;
    v.gain = gain;
    v.decayPow = decayPow;
    return v;
}

Voice Noise(double start, double dur, double cut, float gain = 0.6f, double decayPow = 2)
{
    Voice v = Tone(start, dur, 100, 100, gain, decayPow);
    v.tone = 0;
    v.noise = 1;
    v.noiseCut = cut;
    return v;
}

// Notes of an arpeggio from a root, in semitones.
std::vector<Voice> Arp(double root, std::initializer_list<double> steps, double gap, double len, float square = 0.3f)
{
    std::vector<Voice> out;
    double t = 0;
    for (double s : steps) {
        Voice v = Tone(t, len, root * Semis(s), root * Semis(s), 0.5f, 1.6);
        v.square = square;
        out.push_back(v);
        Voice h = Tone(t, len * 0.7, root * Semis(s) * 2, root * Semis(s) * 2, 0.18f, 2.5);
        out.push_back(h);
        t += gap;
    }
    return out;
}

struct SoundDef {
    const char* id;
    std::function<std::vector<Voice>()> make;
    float volume; // manifest volume
};

std::vector<Voice> Click(double f) { return {Tone(0, 0.05, f, f * 0.7, 0.6f, 3), Noise(0, 0.02, 0.6, 0.3f, 3)}; }
std::vector<Voice> Chime(double f, double dur) {
    return {Tone(0, dur, f, f, 0.5f, 1.5), Tone(0, dur * 0.8, f * 2.76, f * 2.76, 0.2f, 2.5), Tone(0, dur * 0.6, f * 5.4, f * 5.4, 0.08f, 3)};
}
std::vector<Voice> Whoosh(double dur, double cut, float gain = 0.6f) {
    Voice v = Noise(0, dur, cut, gain, 1);
    v.attack = dur * 0.4;
    return {v};
}
std::vector<Voice> Boom(double f, double dur) {
    return {Tone(0, dur, f, f * 0.4, 0.8f, 1.5), Noise(0, dur * 0.8, 0.15, 0.7f, 1.8), Noise(0, dur * 0.2, 0.7, 0.3f, 2)};
}
using V = std::vector<Voice>;

V Cat(V a, const V& b, double shift = 0)
{
    for (Voice v : b) {
        v.start += shift;
        a.push_back(v);
    }
    return a;
}
V Cat(const Voice& a, const V& b, double shift = 0) { return Cat(V {a}, b, shift); }
V Cat(const V& a, const Voice& b, double shift = 0) { return Cat(a, V {b}, shift); }

const std::vector<SoundDef>& Sounds()
{
    static const std::vector<SoundDef> defs = {
        {"SOUND_BUTTON_ENTER", []() -> V { return Click(1800); }, 0.5f},
        {"SOUND_BUTTON_DOWN", []() -> V { return Click(900); }, 0.8f},
        {"SOUND_UPGRADE_BUTTON_DOWN", []() -> V { return Cat(Click(700), Chime(1046, 0.3), 0.03); }, 0.8f},
        {"SOUND_UPGRADE_SLOT_ENTER", []() -> V { return Chime(1568, 0.15); }, 0.5f},
        {"SOUND_BUTTON_ROTATE_ENTER", []() -> V { return Click(1500); }, 0.5f},
        {"SOUND_BUTTON_ROTATE_DOWN", []() -> V { return Cat(Click(600), Whoosh(0.15, 0.4, 0.3f)); }, 0.8f},
        {"SOUND_BUTTON_GAMEMODE_ENTER", []() -> V { return Click(1700); }, 0.5f},
        {"SOUND_BUTTON_GAMEMODE_DOWN", []() -> V { return Cat(Click(800), Chime(784, 0.2)); }, 0.8f},
        {"SOUND_BUTTON_CHECKBOX", []() -> V { return Click(1200); }, 0.7f},
        {"SOUND_BUTTON_BONUS_TAKE", []() -> V { return {Tone(0, 0.15, 400, 900, 0.6f), Noise(0, 0.05, 0.5, 0.2f)}; }, 0.8f},
        {"SOUND_SFX_SLIDER", []() -> V { return Chime(880, 0.3); }, 0.9f},
        {"SOUND_WINDOW_SHOW", []() -> V { return Cat(Whoosh(0.3, 0.25, 0.5f), {Tone(0.05, 0.25, 500, 800, 0.3f)}); }, 0.6f},
        {"SOUND_WINDOW_HIDE", []() -> V { return Cat(Whoosh(0.3, 0.25, 0.5f), {Tone(0.05, 0.25, 800, 500, 0.3f)}); }, 0.6f},
        {"SOUND_WINDOW_HINT_SHOW", []() -> V { return Arp(784, {0, 7}, 0.06, 0.15); }, 0.6f},
        {"SOUND_WINDOW_HINT_HIDE", []() -> V { return Arp(784, {7, 0}, 0.06, 0.15); }, 0.6f},
        {"SOUND_WINDOW_DESK_SHOW", []() -> V { return Cat(Whoosh(0.5, 0.12, 0.7f), {Tone(0.35, 0.15, 120, 80, 0.5f)}); }, 0.8f},
        {"SOUND_WINDOW_DESK_HIDE", []() -> V { return Whoosh(0.45, 0.18, 0.7f); }, 0.8f},
        {"SOUND_GAME_LOADED", []() -> V { return Arp(523, {0, 4, 7, 12}, 0.12, 0.6); }, 0.8f},
        {"SOUND_HELPPAGE_SCROLL", []() -> V { return Whoosh(0.2, 0.5, 0.5f); }, 0.6f},
        {"SOUND_BOARD_APPEAR", []() -> V { return Cat(Whoosh(0.9, 0.1, 0.5f), Chime(392, 1.0), 0.2); }, 0.8f},
        {"SOUND_BRICKS_FLYIN", []() -> V { return Cat(Whoosh(0.8, 0.3, 0.6f), Arp(659, {0, 2, 4, 7, 9, 12}, 0.1, 0.2, 0.1f)); }, 0.7f},
        {"SOUND_BOARD_ROTATE_START", []() -> V { return {Tone(0, 0.5, 150, 300, 0.4f, 1), Noise(0, 0.5, 0.08, 0.6f, 1)}; }, 0.8f},
        {"SOUND_BOARD_ROTATE_DONE", []() -> V { return Cat(Boom(140, 0.35), Click(500)); }, 0.8f},
        {"SOUND_GAMEMODE_CHANGE", []() -> V { return Cat(Whoosh(0.6, 0.2, 0.5f), Arp(440, {0, 5, 9, 12}, 0.1, 0.4)); }, 0.8f},
        {"SOUND_SHOW_EXTRA_PANEL", []() -> V { return Arp(880, {0, 4, 7}, 0.05, 0.2); }, 0.7f},
        {"SOUND_EXPLODE_FOR_EXTRABONUS", []() -> V { return Chime(1318, 0.25); }, 0.7f},
        {"SOUND_BONUS_ACTIVATED_FROM_EXTRA", []() -> V { return Arp(1046, {0, 7, 12}, 0.05, 0.25); }, 0.8f},
        {"SOUND_GATE_CLOSE", []() -> V { return Cat(Whoosh(0.3, 0.3, 0.4f), Boom(200, 0.3), 0.2); }, 0.8f},
        {"SOUND_TIMER_TICK", []() -> V { return {Tone(0, 0.06, 1400, 1300, 0.5f, 3), Noise(0, 0.02, 0.8, 0.2f, 3)}; }, 0.6f},
        {"SOUND_TIMER_WARNING", []() -> V { return Arp(880, {0, -4, 0, -4}, 0.22, 0.2, 0.6f); }, 0.8f},
        {"SOUND_TIMER_OUT", []() -> V { return Arp(440, {0, -3, -7, -12}, 0.2, 0.35, 0.5f); }, 0.9f},
        {"SOUND_LEVEL_COMPLETED_TEXT", []() -> V { return Arp(523, {0, 4, 7, 12, 16}, 0.1, 0.6); }, 0.9f},
        {"SOUND_BRICKS_FLYOUT1", []() -> V { return Cat(Whoosh(1.2, 0.35, 0.6f), Arp(1046, {12, 9, 7, 4, 0}, 0.18, 0.3, 0.1f)); }, 0.7f},
        {"SOUND_BRICKS_FLYOUT2", []() -> V { return Cat(Whoosh(1.2, 0.25, 0.6f), Arp(523, {0, 4, 7, 12, 16, 19}, 0.15, 0.3, 0.1f)); }, 0.7f},
        {"SOUND_FIELD_SHAKE", []() -> V { return {Tone(0, 0.5, 60, 45, 0.8f, 1), Noise(0, 0.5, 0.05, 0.8f, 1.2)}; }, 0.9f},
        {"SOUND_COMBO_FINAL", []() -> V { return Arp(659, {0, 4, 7, 12}, 0.06, 0.3); }, 0.8f},
        {"SOUND_NO_MOVES", []() -> V { return Cat(Arp(392, {0, -1, -2}, 0.2, 0.4, 0.5f), Whoosh(0.8, 0.2, 0.4f), 0.4); }, 0.8f},
        {"SOUND_SWAP_ITEM_SELECT", []() -> V { return Chime(1174, 0.12); }, 0.6f},
        {"SOUND_SWAP_ITEM_WRONG", []() -> V { return {Tone(0, 0.2, 220, 180, 0.5f, 1.5)}; }, 0.7f},
        {"SOUND_EXPLODE_SIMPLE_SWAP", []() -> V { return Cat(Noise(0, 0.18, 0.4, 0.6f, 2.5), Chime(1568, 0.2)); }, 0.7f},
        {"SOUND_EXPLODE_SIMPLE_GROUP", []() -> V { return Cat(Noise(0, 0.2, 0.3, 0.6f, 2.5), Chime(1318, 0.2)); }, 0.7f},
        {"SOUND_EXPLODE_SIMPLE_CHAIN", []() -> V { return Cat(Noise(0, 0.2, 0.35, 0.6f, 2.5), Chime(1760, 0.2)); }, 0.7f},
        {"SOUND_EXPLODE_ENERGIZED", []() -> V { return Cat(Boom(300, 0.3), {Tone(0, 0.3, 2000, 400, 0.3f)}); }, 0.8f},
        {"SOUND_EXPLODE_BIGMATCH", []() -> V { return Cat(Boom(110, 0.6), Chime(880, 0.5)); }, 0.9f},
        {"SOUND_EXPLODE_BIGMATCH2", []() -> V { return Cat(Boom(80, 0.9), Arp(880, {0, 7, 12}, 0.08, 0.5)); }, 1.0f},
        {"SOUND_BREAK_CELL", []() -> V { return {Noise(0, 0.15, 0.6, 0.7f, 3), Tone(0, 0.1, 2400, 1800, 0.3f, 3)}; }, 0.7f},
        {"SOUND_CHAINED", []() -> V { return {Tone(0, 0.25, 1900, 1850, 0.3f, 2), Tone(0.05, 0.2, 2300, 2250, 0.2f, 2), Noise(0, 0.1, 0.8, 0.3f, 3)}; }, 0.8f},
        {"SOUND_BONUS_BOMB", []() -> V { return Boom(70, 0.9); }, 1.0f},
        {"SOUND_BONUS_ROW", []() -> V { return Cat(Whoosh(0.4, 0.5, 0.6f), Boom(160, 0.5), 0.1); }, 0.9f},
        {"SOUND_BONUS_SHUFFLE", []() -> V { return Cat(Whoosh(0.7, 0.3, 0.6f), Arp(784, {0, 5, 2, 7, 4, 9}, 0.08, 0.15, 0.1f)); }, 0.8f},
        {"SOUND_BONUS_MAGNET", []() -> V { Voice v = Tone(0, 0.8, 200, 600, 0.5f, 1); v.vibrato = 0.05; return {v}; }, 0.8f},
        {"SOUND_BONUS_LIGHTNING", []() -> V { Voice v = Noise(0, 0.8, 0.9, 0.5f, 1); return std::vector<Voice> {v, Tone(0, 0.8, 90, 70, 0.5f, 1)}; }, 0.8f},
        {"SOUND_BONUS_LIGHTNING_START", []() -> V { return {Tone(0, 1.0, 300, 1200, 0.4f, 1), Noise(0, 1.0, 0.7, 0.3f, 1)}; }, 0.8f},
        {"SOUND_BONUS_LIGHTNING_EXPLODE", []() -> V { return {Noise(0, 0.2, 0.95, 0.8f, 3), Tone(0, 0.15, 800, 200, 0.3f, 2)}; }, 0.8f},
        {"SOUND_BONUS_MAGNET_END", []() -> V { return Chime(988, 0.3); }, 0.8f},
        {"SOUND_KEY_APPEAR", []() -> V { return Cat(Chime(1318, 0.8), Chime(1975, 0.6), 0.12); }, 0.8f},
        {"SOUND_KEY_DONE", []() -> V { return Arp(784, {0, 4, 7, 12, 16, 19, 24}, 0.07, 0.5); }, 0.9f},
        {"SOUND_ENERGIZER_FLY_START", []() -> V { return {Tone(0, 0.25, 300, 1500, 0.5f, 1.5)}; }, 0.7f},
        {"SOUND_ENERGIZER_FLY_DONE", []() -> V { return Cat({Tone(0, 0.2, 1500, 600, 0.4f)}, Noise(0, 0.15, 0.5, 0.4f)); }, 0.7f},
        {"SOUND_FIREWORKS_STAR1", []() -> V { return {Noise(0, 0.6, 0.5, 0.5f, 0.7), Tone(0, 0.6, 600, 1600, 0.15f, 1)}; }, 0.6f},
        {"SOUND_FIREWORKS_EXPLODE1", []() -> V { return Cat(Boom(100, 0.6), Noise(0.05, 0.5, 0.9, 0.3f, 2)); }, 0.7f},
        {"SOUND_FIREWORKS_EXPLODE2", []() -> V { return Cat(Boom(140, 0.5), Noise(0.03, 0.6, 0.95, 0.35f, 1.5)); }, 0.7f},
        {"SOUND_COUNTER_APPEAR", []() -> V { return Chime(659, 0.2); }, 0.7f},
        {"SOUND_COUNTER_ITEM_DONE", []() -> V { return Arp(784, {0, 12}, 0.05, 0.2); }, 0.8f},
        {"SOUND_COUNTER_DRAW_LINE", []() -> V { return Whoosh(0.4, 0.6, 0.5f); }, 0.6f},
        {"SOUND_COUNTER_ALL_DONE", []() -> V { return Arp(523, {0, 4, 7, 12}, 0.08, 0.4); }, 0.9f},
        {"SOUND_COUNTER_TICK", []() -> V { return {Tone(0, 0.04, 2200, 2100, 0.5f, 3)}; }, 0.4f},
        {"SOUND_TOWN_BUILDING_APPEAR", []() -> V { return Cat(Whoosh(0.8, 0.15, 0.4f), Chime(523, 0.9), 0.2); }, 0.8f},
        {"SOUND_TOWN_STAGE_APPEAR", []() -> V { return Cat(Whoosh(0.8, 0.15, 0.4f), Arp(392, {0, 7, 12}, 0.15, 0.7), 0.1); }, 0.8f},
        {"SOUND_TOWN_ANIMATION_APPEAR", []() -> V { return Chime(784, 0.9); }, 0.7f},
        {"SOUND_TOWN_BUILDING_FALL_START", []() -> V { return {Tone(0, 0.9, 900, 200, 0.3f, 0.5), Noise(0, 0.9, 0.3, 0.4f, 0.5)}; }, 0.7f},
        {"SOUND_TOWN_BUILDING_GROW", []() -> V { return {Tone(0, 1.0, 150, 450, 0.4f, 1), Noise(0, 1.0, 0.1, 0.5f, 1)}; }, 0.7f},
        {"SOUND_TOWN_BUILDING_FALL_END", []() -> V { return Cat(Boom(90, 0.45), Noise(0, 0.3, 0.2, 0.4f)); }, 0.9f},
        {"SOUND_TOWN_STAGE_COMPLETED", []() -> V { return Cat(Arp(392, {0, 4, 7, 12, 7, 12, 16, 19}, 0.15, 0.7), Chime(1568, 1.2), 1.1); }, 0.9f},
        {"SOUND_BRICK_LANDED", []() -> V { return {Tone(0, 0.08, 520, 480, 0.6f, 3), Noise(0, 0.03, 0.3, 0.2f, 3)}; }, 0.5f},
        {"SOUND_COMBO", []() -> V { return Chime(523, 0.35); }, 0.8f},
        {"SOUND_CHAIN_ITEM_SELECT", []() -> V { return {Tone(0, 0.12, 440, 440, 0.6f, 2.5), Tone(0, 0.1, 880, 880, 0.2f, 3)}; }, 0.6f},
        {"SOUND_BREAK_BOX", []() -> V { return Cat(Noise(0, 0.25, 0.25, 0.8f, 2), {Tone(0, 0.15, 180, 120, 0.4f)}); }, 0.8f},
        {"SOUND_BREAK_CHAIN", []() -> V { return {Tone(0, 0.2, 2100, 2050, 0.3f, 2.5), Tone(0.03, 0.15, 2700, 2650, 0.2f, 2.5), Noise(0, 0.06, 0.9, 0.4f, 3)}; }, 0.8f},
        {"SOUND_FAST_FLY_DONE", []() -> V { return Chime(1760, 0.2); }, 0.6f},
        {"SOUND_BONUS_ACTIVATED", []() -> V { return Arp(659, {0, 7, 12}, 0.05, 0.3); }, 0.8f},
        {"SOUND_BONUS_MAGNET_ITEM_EXPLODE", []() -> V { return Cat(Noise(0, 0.12, 0.5, 0.5f, 2.5), Chime(1318, 0.12)); }, 0.6f},
        {"SOUND_BONUS_MAGNET_LINE", []() -> V { return {Tone(0, 0.15, 500, 1200, 0.4f, 1.5)}; }, 0.6f},
    };
    return defs;
}

std::string Lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

void Le(std::string& out, uint32_t v, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out += char((v >> (8 * i)) & 0xFF);
}

// Mono 16-bit PCM of a RIFF/WAVE file; empty on anything unexpected.
std::vector<float> ReadWav16(const std::string& path, int& rate)
{
    std::ifstream in(path, std::ios::binary);
    std::string b((std::istreambuf_iterator<char>(in)), {});
    std::vector<float> out;
    if (b.size() < 12 || b.compare(0, 4, "RIFF") != 0 || b.compare(8, 4, "WAVE") != 0)
        return out;
    auto u32 = [&](size_t p) { return uint32_t(uint8_t(b[p])) | uint32_t(uint8_t(b[p + 1])) << 8 | uint32_t(uint8_t(b[p + 2])) << 16 | uint32_t(uint8_t(b[p + 3])) << 24; };
    size_t p = 12;
    int channels = 1, bits = 16;
    while (p + 8 <= b.size()) {
        std::string id = b.substr(p, 4);
        size_t size = u32(p + 4);
        size_t body = p + 8;
        if (id == "fmt " && body + 16 <= b.size()) {
            channels = uint8_t(b[body + 2]);
            rate = int(u32(body + 4));
            bits = uint8_t(b[body + 14]);
        } else if (id == "data") {
            // espeak-ng may leave the size open when it writes to a file.
            size_t n = std::min(size, b.size() - body);
            if (bits != 16 || channels != 1)
                return out;
            for (size_t i = 0; i + 1 < n; i += 2)
                out.push_back(float(int16_t(uint16_t(uint8_t(b[body + i])) | uint16_t(uint8_t(b[body + i + 1])) << 8)) / 32768.f);
            return out;
        }
        p = body + size + (size & 1);
    }
    return out;
}

} // namespace

bool WriteWav16(const std::string& path, int rate, const std::vector<float>& mono)
{
    std::string data;
    for (float s : mono)
        Le(data, uint32_t(uint16_t(int16_t(std::lround(std::clamp(s, -1.f, 1.f) * 32767)))), 2);
    std::string f = "RIFF";
    Le(f, uint32_t(4 + 8 + 16 + 8 + data.size()), 4);
    f += "WAVEfmt ";
    Le(f, 16, 4);
    Le(f, 1, 2);
    Le(f, 1, 2);
    Le(f, uint32_t(rate), 4);
    Le(f, uint32_t(rate * 2), 4);
    Le(f, 2, 2);
    Le(f, 16, 2);
    f += "data";
    Le(f, uint32_t(data.size()), 4);
    f += data; // 16-bit samples: the size is always even
    std::ofstream out(path, std::ios::binary);
    out << f;
    return bool(out);
}

bool WriteSounds(const std::string& root, std::string& manifest, std::string& error)
{
    std::filesystem::create_directories(root + "/sounds");
    uint32_t seed = 1;
    for (const SoundDef& d : Sounds()) {
        const int rate = 22050;
        std::vector<float> pcm = Render(d.make(), rate, seed++);
        std::string name = Lower(d.id).substr(6); // without "sound_"
        std::string base = root + "/sounds/" + name;
        // The shortest clicks stay exact as WAV; the rest are Ogg Vorbis.
        bool ok = pcm.size() < size_t(rate / 10) ? WriteWav16(base + ".wav", rate, pcm)
                                                 : WriteOgg(base + ".ogg", rate, 1, pcm, 0.4f);
        if (!ok) {
            error = std::string("cannot write ") + d.id;
            return false;
        }
        char vol[32];
        std::snprintf(vol, sizeof vol, "%.2f", double(d.volume));
        manifest += "    <Sound path=\"" + name + "\" id=\"" + d.id + "\" volume=\"" + vol + "\"/>\n";
    }
    return true;
}

bool WriteVoices(const std::string& root, std::string& manifest, std::string& error)
{
    struct Line { const char* id; const char* text; };
    static const Line lines[] = {
        {"VOICE_YEAH1", "Yeah!"}, {"VOICE_YEAH2", "Oh yeah!"}, {"VOICE_YEAH3", "Yes!"}, {"VOICE_YEAH4", "All right!"},
        {"VOICE_YEAH5", "Woo hoo!"}, {"VOICE_BIG_MATCH1", "Big match!"}, {"VOICE_BIG_MATCH2", "What a match!"},
        {"VOICE_BIG_MATCH3", "Huge!"}, {"VOICE_GREAT1", "Great!"}, {"VOICE_GREAT2", "Nice one!"},
        {"VOICE_AMAZING1", "Amazing!"}, {"VOICE_AMAZING2", "Wonderful!"}, {"VOICE_INCREDIBLE1", "Incredible!"},
        {"VOICE_INCREDIBLE2", "Unbelievable!"}, {"VOICE_COMBO1", "Combo!"}, {"VOICE_COMBO2", "Super combo!"},
        {"VOICE_COMBO3", "What a combo!"}, {"VOICE_EXPLODE_MASTER1", "Explode master!"},
        {"VOICE_EXPLODE_MASTER2", "Blast master!"}, {"VOICE_ENERGY_MASTER1", "Energy master!"},
        {"VOICE_ENERGY_MASTER2", "Full of energy!"}, {"VOICE_ENERGY_MASTER3", "Power up!"},
        {"VOICE_SWAP_MASTER1", "Swap master!"}, {"VOICE_SWAP_MASTER2", "Smart swap!"}, {"VOICE_SWAP_MASTER3", "Clever move!"},
        {"VOICE_NO_MOVES1", "No more moves."}, {"VOICE_NO_MOVES2", "Let's shuffle."}, {"VOICE_NO_MOVES3", "Mixing it up."},
        {"VOICE_TIMER1", "Hurry up!"}, {"VOICE_TIMER2", "Time is running out!"}, {"VOICE_CHAIN_MODE", "Chain mode."},
        {"VOICE_SWAP_MODE", "Swap mode."}, {"VOICE_GROUP_MODE", "Group mode."}, {"VOICE_WELL_DONE", "Well done!"},
        {"VOICE_STAGE_COMPLETED", "Stage completed!"}, {"VOICE_WARNING", "Are you sure?"},
    };
    std::filesystem::create_directories(root + "/voice");
    std::string tmp = root + "/voice/.speech.wav";
    for (const Line& l : lines) {
        pid_t pid = fork();
        if (pid == 0) {
            execlp("espeak-ng", "espeak-ng", "-v", "en+m3", "-s", "150", "-p", "55", "-w", tmp.c_str(), l.text, (char*)nullptr);
            _exit(127);
        }
        int status = 0;
        if (pid < 0 || waitpid(pid, &status, 0) < 0 || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            error = "espeak-ng failed for " + std::string(l.id);
            return false;
        }
        int rate = 22050;
        std::vector<float> pcm = ReadWav16(tmp, rate);
        // Trim the silence around the words and bring every line to one peak.
        size_t a = 0, b = pcm.size();
        while (a < b && std::abs(pcm[a]) < 0.01f)
            ++a;
        while (b > a && std::abs(pcm[b - 1]) < 0.01f)
            --b;
        if (b - a < size_t(rate / 10)) {
            error = "no speech for " + std::string(l.id);
            return false;
        }
        std::vector<float> voice(pcm.begin() + long(a), pcm.begin() + long(b));
        float peak = 1e-6f;
        for (float s : voice)
            peak = std::max(peak, std::abs(s));
        for (float& s : voice)
            s *= 0.85f / peak;
        std::string name = Lower(l.id).substr(6);
        if (!WriteOgg(root + "/voice/" + name + ".ogg", rate, 1, voice, 0.4f)) {
            error = "cannot write " + std::string(l.id);
            return false;
        }
        manifest += "    <Sound path=\"" + name + "\" id=\"" + l.id + "\"/>\n";
    }
    std::filesystem::remove(tmp);
    return true;
}

bool WriteMusic(const std::string& root, std::string& error)
{
    // Five loops: a chord progression with bass, plucked arpeggios, a soft
    // pad and light percussion; each track has its own key, tempo and mood.
    struct Track { const char* file; double bpm; int key; std::vector<std::vector<int>> chords; uint32_t seed; };
    const std::vector<Track> tracks = {
        {"menu", 84, 57, {{0, 4, 7}, {-3, 0, 4}, {-7, -3, 0}, {-5, -1, 2}}, 11},
        {"level1", 104, 60, {{0, 4, 7}, {5, 9, 12}, {-3, 0, 4}, {7, 11, 14}}, 12},
        {"level2", 112, 55, {{0, 3, 7}, {-4, 0, 3}, {-2, 2, 5}, {-5, -2, 2}}, 13},
        {"level3", 96, 62, {{0, 4, 7}, {-5, -1, 2}, {-3, 0, 4}, {-7, -3, 0}}, 14},
        {"level4", 120, 58, {{0, 3, 7}, {5, 8, 12}, {3, 7, 10}, {-2, 2, 5}}, 15},
    };
    std::filesystem::create_directories(root + "/music");
    const int rate = 44100;
    std::vector<std::string> failures(tracks.size());
    std::vector<std::thread> pool;
    for (const Track& t : tracks) pool.emplace_back([&, &t = t] {
        const double beat = 60.0 / t.bpm;
        // Two sections of sixteen bars: A states the progression, B starts it
        // from its third chord and adds a melody over it.
        const int bars = 32;
        const size_t total = size_t(bars * 4 * beat * rate);
        std::vector<float> left(total, 0.f), right(total, 0.f);
        // Notes wrap around the end so the loop is seamless.
        auto note = [&](double start, double dur, double midi, float gain, float pan, int timbre) {
            double f = 440.0 * std::pow(2.0, (midi - 69) / 12.0);
            size_t s0 = size_t(start * rate), n = size_t(dur * rate);
            double phase = 0;
            for (size_t i = 0; i < n; ++i) {
                double tt = double(i) / rate, u = double(i) / double(n);
                phase += f / rate;
                double s;
                double env;
                if (timbre == 0) { // pluck
                    s = std::sin(kTau * phase) + 0.3 * std::sin(kTau * phase * 2) + 0.1 * std::sin(kTau * phase * 3);
                    env = std::min(1.0, tt / 0.005) * std::exp(-tt * 5);
                } else if (timbre == 1) { // pad
                    s = std::sin(kTau * phase) + 0.5 * std::sin(kTau * phase * 1.003 + 1) + 0.25 * std::sin(kTau * phase * 2.001);
                    env = std::sin(M_PI * u);
                } else { // bass
                    s = std::tanh(2 * std::sin(kTau * phase));
                    env = std::min(1.0, tt / 0.01) * std::exp(-tt * 2.5);
                }
                float v = float(s * env) * gain;
                size_t k = (s0 + i) % total;
                left[k] += v * (1 - pan);
                right[k] += v * (1 + pan);
            }
        };
        Rng rng(t.seed);
        for (int bar = 0; bar < bars; ++bar) {
            const bool sectionB = bar >= 16;
            const std::vector<int>& ch = t.chords[size_t((bar + (sectionB ? 2 : 0)) % 4)];
            double b0 = bar * 4 * beat;
            if (sectionB) {
                // Melody: chord tones on the beats, some held over two, some left out.
                for (int b = 0; b < 4; ++b) {
                    if (rng.Next() < -0.5f)
                        continue;
                    double len = rng.Next() > 0.3f && b < 3 ? 2 * beat : beat;
                    int tone = ch[size_t(int((rng.Next() + 1) * 1.5f) % 3)] + (rng.Next() > 0 ? 12 : 0);
                    note(b0 + b * beat, len * 1.8, t.key + 12 + tone, 0.11f, 0.1f, 0);
                    if (len > beat)
                        ++b;
                }
            }
            for (int c : ch)
                note(b0, 4 * beat, t.key + c, 0.05f, (c % 2) ? 0.3f : -0.3f, 1);
            note(b0, 2 * beat, t.key + ch[0] - 24, 0.22f, 0, 2);
            note(b0 + 2 * beat, 1.5 * beat, t.key + ch[(bar / 4) % 2 ? 2 : 0] - 24, 0.18f, 0, 2);
            for (int e = 0; e < 8; ++e) {
                if (bar >= 4 && rng.Next() < -0.6f)
                    continue;
                int pick = ch[size_t((e + bar) % 3)] + ((e % 4 == 3) ? 12 : 0);
                note(b0 + e * beat / 2, beat * 1.5, t.key + 12 + pick, 0.09f, float(e % 2 ? 0.4 : -0.4), 0);
            }
            // A soft shaker on the off-beats.
            for (int e = 0; e < 8; ++e) {
                size_t s0 = size_t((b0 + e * beat / 2) * rate);
                float g = e % 2 ? 0.03f : 0.015f;
                double lp = 0;
                for (size_t i = 0; i < size_t(0.05 * rate); ++i) {
                    lp += (rng.Next() - lp) * 0.8;
                    float v = float(lp * std::exp(-double(i) / rate * 60)) * g;
                    left[(s0 + i) % total] += v;
                    right[(s0 + i) % total] += v;
                }
            }
        }
        float peak = 1e-6f;
        for (size_t i = 0; i < total; ++i)
            peak = std::max({peak, std::abs(left[i]), std::abs(right[i])});
        std::vector<float> inter(total * 2);
        for (size_t i = 0; i < total; ++i) {
            inter[2 * i] = left[i] * 0.7f / peak;
            inter[2 * i + 1] = right[i] * 0.7f / peak;
        }
        if (!WriteOgg(root + "/music/" + t.file + ".ogg", rate, 2, inter, 0.2f))
            failures[size_t(&t - tracks.data())] = std::string("cannot write music ") + t.file;
    });
    for (std::thread& th : pool)
        th.join();
    for (const std::string& f : failures)
        if (!f.empty()) {
            error = f;
            return false;
        }
    return true;
}

} // namespace datagen
