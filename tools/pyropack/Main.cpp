// pyropack OUTPUT.pyro EMITTERS.xml TEXTURES.xml
// Builds a particle file from its editable sources: the emitters (XML, in
// the library's form) and the textures they name, painted from their
// descriptions in TEXTURES.xml (<texture name=".." shape=".." size=".."/>)
// or read from a PNG beside it (file=".."). Only textures the emitters use
// go in. The result is read back through the library's reader before it is
// written, and every emitter must show its first particle within 0.25 s.
#include "platform/pyro/PyroFormat.h"
#include "tools/Usage.h"
#include "tools/pyropack/Textures.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <set>
#include <tinyxml.h>

namespace fs = std::filesystem;
using namespace PyroParticles;

namespace {

bool ReadText(const std::string& path, std::string& out)
{
    std::ifstream f(path, std::ios::binary);
    if (!f)
        return false;
    out.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
    return true;
}

int Fail(const std::string& message)
{
    std::cerr << "pyropack: " << message << "\n";
    return 1;
}

} // namespace

int main(int argc, char** argv)
{
    const tools::Usage usage("usage: pyropack OUTPUT.pyro EMITTERS.xml TEXTURES.xml\n");
    if (usage.Help(argc, argv))
        return 0;
    if (argc != 4)
        return usage.Error();
    const std::string output = argv[1], emittersPath = argv[2], texturesPath = argv[3];
    std::string xml;
    if (!ReadText(emittersPath, xml))
        return Fail("cannot read " + emittersPath);
    TiXmlDocument emitters;
    emitters.Parse(xml.c_str());
    if (emitters.Error() || !emitters.RootElement())
        return Fail(emittersPath + ": " + emitters.ErrorDesc());
    // The texture names in the order the emitters first use them.
    std::vector<std::string> used;
    for (TiXmlElement* e = emitters.RootElement()->FirstChildElement("emitter"); e;
         e = e->NextSiblingElement("emitter"))
        for (TiXmlElement* l = e->FirstChildElement("layer"); l; l = l->NextSiblingElement("layer"))
            if (const char* t = l->Attribute("texture"))
                if (std::find(used.begin(), used.end(), t) == used.end())
                    used.push_back(t);

    TiXmlDocument textures(texturesPath.c_str());
    if (!textures.LoadFile() || !textures.RootElement())
        return Fail("cannot read " + texturesPath);
    std::map<std::string, TiXmlElement*> described;
    for (TiXmlElement* t = textures.RootElement()->FirstChildElement("texture"); t;
         t = t->NextSiblingElement("texture"))
        if (const char* name = t->Attribute("name"))
            described[name] = t;
    std::vector<PackTexture> packed;
    int seed = 1;
    for (const std::string& name : used) {
        auto it = described.find(name);
        if (it == described.end())
            return Fail("no texture " + name + " in " + texturesPath);
        PackTexture p{name, {}};
        if (const char* file = it->second->Attribute("file")) {
            std::string bytes;
            if (!ReadText((fs::path(texturesPath).parent_path() / file).string(), bytes))
                return Fail("cannot read the texture file " + std::string(file));
            p.png.assign(bytes.begin(), bytes.end());
        } else {
            const char* shape = it->second->Attribute("shape");
            int size = 32;
            it->second->QueryIntAttribute("size", &size);
            TextureData painted;
            if (!shape || !pyropack::PaintTexture(shape, size, seed++, painted) || !EncodePng(painted, p.png))
                return Fail("cannot paint the texture " + name);
        }
        packed.push_back(std::move(p));
    }

    const std::vector<uint8_t> file = WritePyroFile(packed, xml);
    PyroFileData check;
    std::string error;
    if (!ParsePyroFile(file.data(), file.size(), check, error))
        return Fail(emittersPath + ": " + error);
    for (const EmitterDef& e : check.emitters) {
        bool prompt = false;
        for (const LayerDef& l : e.layers)
            prompt = prompt || l.burst > 0 ||
                     (l.rate > 0 && l.rate * (l.duration < 0 ? 0.25f : std::min(l.duration, 0.25f)) >= 1.0f);
        if (!prompt)
            return Fail(e.name + " shows no particle within 0.25 s");
    }
    fs::create_directories(fs::path(output).parent_path());
    std::ofstream out(output, std::ios::binary);
    out.write(reinterpret_cast<const char*>(file.data()), std::streamsize(file.size()));
    if (!out)
        return Fail("cannot write " + output);
    std::cout << "pyropack: " << output << ": " << check.emitters.size() << " emitters, " << packed.size()
              << " textures, " << file.size() << " bytes\n";
    return 0;
}
