#include "platform/pyro/PyroFormat.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <map>
#include <png.h>
#include <set>
#include <tinyxml.h>

namespace PyroParticles {

namespace {

class Reader {
public:
    Reader(const uint8_t* data, size_t size) : mData(data), mLeft(size) {}
    size_t Left() const { return mLeft; }
    bool Bytes(const uint8_t*& p, size_t n)
    {
        if (n > mLeft)
            return false;
        p = mData;
        mData += n;
        mLeft -= n;
        return true;
    }
    bool U16(uint16_t& v)
    {
        const uint8_t* p;
        if (!Bytes(p, 2))
            return false;
        v = uint16_t(p[0] | p[1] << 8);
        return true;
    }
    bool U32(uint32_t& v)
    {
        const uint8_t* p;
        if (!Bytes(p, 4))
            return false;
        v = uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
        return true;
    }

private:
    const uint8_t* mData;
    size_t mLeft;
};

void PutU16(std::vector<uint8_t>& out, uint32_t v)
{
    out.push_back(uint8_t(v));
    out.push_back(uint8_t(v >> 8));
}

void PutU32(std::vector<uint8_t>& out, uint32_t v)
{
    PutU16(out, v & 0xFFFF);
    PutU16(out, v >> 16);
}

void PutBytes(std::vector<uint8_t>& out, const void* data, size_t size)
{
    // resize and copy: GCC 12 at -O3 warns falsely on insert into an empty vector
    const size_t at = out.size();
    out.resize(at + size);
    if (size != 0)
        std::memcpy(out.data() + at, data, size);
}

bool ParseFloat(const char* text, float lo, float hi, float& out)
{
    char* end = nullptr;
    const double v = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(v))
        return false;
    out = static_cast<float>(std::clamp(v, double(lo), double(hi)));
    return true;
}

bool ParseColor(const char* text, uint32_t& out)
{
    if (std::strncmp(text, "0x", 2) != 0 && std::strncmp(text, "0X", 2) != 0)
        return false;
    text += 2;
    const size_t n = std::strlen(text);
    if (n == 0 || n > 8 || std::strspn(text, "0123456789abcdefABCDEF") != n)
        return false;
    out = static_cast<uint32_t>(std::strtoul(text, nullptr, 16));
    return true;
}

// One attribute of a layer: its name, range and field.
struct FloatField {
    const char* name;
    float lo, hi;
    float LayerDef::*field;
};

const FloatField kFloatFields[] = {
    {"rate", 0, 10000, &LayerDef::rate},
    {"duration", -1, 3600, &LayerDef::duration},
    {"life_min", 0.001f, 60, &LayerDef::lifeMin},
    {"life_max", 0.001f, 60, &LayerDef::lifeMax},
    {"direction", -3600, 3600, &LayerDef::direction},
    {"spread", 0, 360, &LayerDef::spread},
    {"speed_min", -10000, 10000, &LayerDef::speedMin},
    {"speed_max", -10000, 10000, &LayerDef::speedMax},
    {"gravity", -10000, 10000, &LayerDef::gravity},
    {"drag", 0, 100, &LayerDef::drag},
    {"radial", -10000, 10000, &LayerDef::radial},
    {"tangential", -10000, 10000, &LayerDef::tangential},
    {"size_start", 0, 1024, &LayerDef::sizeStart},
    {"size_end", 0, 1024, &LayerDef::sizeEnd},
    {"size_var", 0, 1, &LayerDef::sizeVar},
    {"spin_min", -36000, 36000, &LayerDef::spinMin},
    {"spin_max", -36000, 36000, &LayerDef::spinMax},
    {"fade_in", 0, 1, &LayerDef::fadeIn},
    {"area_w", 0, 4096, &LayerDef::areaWidth},
    {"area_h", 0, 4096, &LayerDef::areaHeight},
    {"offset_x", -4096, 4096, &LayerDef::offsetX},
    {"offset_y", -4096, 4096, &LayerDef::offsetY},
};

bool ParseLayer(const TiXmlElement* e, const std::vector<std::string>& textures, LayerDef& layer,
                std::string& error)
{
    bool haveTexture = false;
    for (const TiXmlAttribute* a = e->FirstAttribute(); a; a = a->Next()) {
        const std::string name = a->Name();
        const char* value = a->Value();
        bool ok = true;
        if (name == "texture") {
            auto it = std::find(textures.begin(), textures.end(), value);
            ok = it != textures.end();
            layer.texture = static_cast<int>(it - textures.begin());
            haveTexture = ok;
        } else if (name == "blend" || name == "burst" || name == "max") {
            float v = 0;
            ok = ParseFloat(value, 0, float(kMaxParticles), v);
            if (name == "blend")
                ok = ok && (v == 0 || v == 1 || v == 2);
            int& target = name == "blend" ? layer.blend : name == "burst" ? layer.burst : layer.maxParticles;
            target = static_cast<int>(v);
        } else if (name == "color_start" || name == "color_end") {
            ok = ParseColor(value, name == "color_start" ? layer.colorStart : layer.colorEnd);
        } else {
            const FloatField* f = std::find_if(std::begin(kFloatFields), std::end(kFloatFields),
                                               [&](const FloatField& ff) { return name == ff.name; });
            if (f == std::end(kFloatFields)) {
                error = "unknown layer attribute " + name;
                return false;
            }
            ok = ParseFloat(value, f->lo, f->hi, layer.*(f->field));
        }
        if (!ok) {
            error = "bad layer attribute " + name + "=\"" + value + "\"";
            return false;
        }
    }
    if (!haveTexture) {
        error = "a layer without a known texture";
        return false;
    }
    layer.lifeMax = std::max(layer.lifeMax, layer.lifeMin);
    layer.speedMax = std::max(layer.speedMax, layer.speedMin);
    layer.spinMax = std::max(layer.spinMax, layer.spinMin);
    layer.maxParticles = std::max(layer.maxParticles, 1);
    return true;
}

} // namespace

bool ParseEmittersXml(const std::string& xml, const std::vector<std::string>& textureNames,
                      std::vector<EmitterDef>& out, std::string& error)
{
    TiXmlDocument doc;
    doc.Parse(xml.c_str());
    if (doc.Error() || !doc.RootElement() || std::strcmp(doc.RootElement()->Value(), "emitters") != 0) {
        error = "the emitters are not readable XML";
        return false;
    }
    std::set<std::string> names;
    for (const EmitterDef& e : out)
        names.insert(e.name);
    for (const TiXmlElement* e = doc.RootElement()->FirstChildElement("emitter"); e;
         e = e->NextSiblingElement("emitter")) {
        EmitterDef def;
        const char* name = e->Attribute("name");
        if (!name || !*name || std::strlen(name) > kMaxName || !names.insert(name).second) {
            error = "an emitter with a missing, long or repeated name";
            return false;
        }
        def.name = name;
        for (const TiXmlElement* l = e->FirstChildElement("layer"); l; l = l->NextSiblingElement("layer")) {
            if (def.layers.size() == kMaxLayers) {
                error = def.name + ": too many layers";
                return false;
            }
            LayerDef layer;
            if (!ParseLayer(l, textureNames, layer, error)) {
                error = def.name + ": " + error;
                return false;
            }
            def.layers.push_back(layer);
        }
        if (def.layers.empty()) {
            error = def.name + ": no layers";
            return false;
        }
        if (out.size() == kMaxEmitters) {
            error = "too many emitters";
            return false;
        }
        out.push_back(std::move(def));
    }
    return true;
}

bool DecodePng(const uint8_t* data, size_t size, TextureData& out, std::string& error)
{
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, data, size)) {
        error = "a texture is not a PNG";
        return false;
    }
    if (image.width == 0 || image.height == 0 || image.width > kMaxTextureSide || image.height > kMaxTextureSide) {
        png_image_free(&image);
        error = "a texture is too large";
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    out.width = image.width;
    out.height = image.height;
    out.rgba.assign(size_t(image.width) * image.height * 4, 0);
    if (!png_image_finish_read(&image, nullptr, out.rgba.data(), 0, nullptr)) {
        png_image_free(&image);
        error = "a texture's PNG data is damaged";
        return false;
    }
    return true;
}

bool EncodePng(const TextureData& texture, std::vector<uint8_t>& out)
{
    if (texture.rgba.size() != size_t(texture.width) * texture.height * 4 || texture.rgba.empty())
        return false;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    image.width = texture.width;
    image.height = texture.height;
    image.format = PNG_FORMAT_RGBA;
    png_alloc_size_t size = 0;
    if (!png_image_write_to_memory(&image, nullptr, &size, 0, texture.rgba.data(), 0, nullptr))
        return false;
    out.resize(size);
    return png_image_write_to_memory(&image, out.data(), &size, 0, texture.rgba.data(), 0, nullptr) != 0;
}

std::vector<uint8_t> WritePyroFile(const std::vector<PackTexture>& textures, const std::string& emittersXml)
{
    std::vector<uint8_t> out;
    PutBytes(out, "KPYR", 4);
    PutU16(out, kPyroMajor);
    PutU16(out, kPyroMinor);
    PutU32(out, uint32_t(textures.size() + 1));
    for (const PackTexture& t : textures) {
        PutBytes(out, "TEXR", 4);
        PutU32(out, uint32_t(2 + t.name.size() + 4 + t.png.size()));
        PutU16(out, uint32_t(t.name.size()));
        PutBytes(out, t.name.data(), t.name.size());
        PutU32(out, uint32_t(t.png.size()));
        PutBytes(out, t.png.data(), t.png.size());
    }
    PutBytes(out, "EMIT", 4);
    PutU32(out, uint32_t(4 + emittersXml.size()));
    PutU32(out, uint32_t(emittersXml.size()));
    PutBytes(out, emittersXml.data(), emittersXml.size());
    return out;
}

bool ParsePyroFile(const uint8_t* data, size_t size, PyroFileData& out, std::string& error)
{
    out = PyroFileData();
    Reader r(data, size);
    const uint8_t* magic;
    uint16_t major = 0, minor = 0;
    uint32_t chunks = 0;
    if (!r.Bytes(magic, 4) || std::memcmp(magic, "KPYR", 4) != 0 || !r.U16(major) || !r.U16(minor) ||
        !r.U32(chunks)) {
        error = "not a particle file";
        return false;
    }
    if (major != kPyroMajor || chunks > kMaxChunks) {
        error = "an unknown particle file version";
        return false;
    }
    std::vector<std::string> xmls;
    for (uint32_t c = 0; c < chunks; ++c) {
        const uint8_t* kind;
        uint32_t length = 0;
        const uint8_t* payload;
        if (!r.Bytes(kind, 4) || !r.U32(length) || !r.Bytes(payload, length)) {
            error = "a chunk runs past the end of the file";
            return false;
        }
        Reader p(payload, length);
        if (std::memcmp(kind, "TEXR", 4) == 0) {
            uint16_t nameLength = 0;
            uint32_t pngLength = 0;
            const uint8_t* name;
            const uint8_t* png;
            if (!p.U16(nameLength) || nameLength == 0 || nameLength > kMaxName || !p.Bytes(name, nameLength) ||
                !p.U32(pngLength) || !p.Bytes(png, pngLength) || p.Left() != 0) {
                error = "a damaged texture chunk";
                return false;
            }
            TextureData t;
            t.name.assign(reinterpret_cast<const char*>(name), nameLength);
            for (const TextureData& other : out.textures)
                if (other.name == t.name) {
                    error = "a repeated texture name";
                    return false;
                }
            if (!DecodePng(png, pngLength, t, error))
                return false;
            out.textures.push_back(std::move(t));
        } else if (std::memcmp(kind, "EMIT", 4) == 0) {
            uint32_t xmlLength = 0;
            const uint8_t* xml;
            if (!p.U32(xmlLength) || !p.Bytes(xml, xmlLength) || p.Left() != 0) {
                error = "a damaged emitter chunk";
                return false;
            }
            xmls.emplace_back(reinterpret_cast<const char*>(xml), xmlLength);
            if (xmls.back().find('\0') != std::string::npos) {
                error = "a damaged emitter chunk";
                return false;
            }
        }
        // Chunks of other kinds belong to later versions: skipped.
    }
    if (r.Left() != 0) {
        error = "bytes after the last chunk";
        return false;
    }
    std::vector<std::string> names;
    for (const TextureData& t : out.textures)
        names.push_back(t.name);
    for (const std::string& xml : xmls)
        if (!ParseEmittersXml(xml, names, out.emitters, error))
            return false;
    return true;
}

} // namespace PyroParticles
