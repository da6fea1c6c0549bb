// pyrosheet OUTPUT_FOLDER FILE.pyro...
// Contact sheets of every emitter of the particle files, for review: one
// row per emitter (in file order, names listed in particles.txt), one column
// per moment of its life (0.05, 0.15, 0.35 and 0.7 s after it started), drawn
// at three quarters of its size through the game's own device over a dark ground. Emitters
// of the game that run until stopped move across their cell, so their
// trail shows; the town's endless ones stand still and are shown four times
// later, as they take seconds to build up.
#include "framework/graphics/Graphics.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "game/effects/PyroEmitter.h"
#include "game/effects/PyroFileIO.h"
#include "game/effects/PyroLibraryManager.h"
#include "platform/pyro/PyroFormat.h"

#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>

namespace fs = std::filesystem;
using namespace PyroParticles;

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::cerr << "usage: pyrosheet OUTPUT_FOLDER FILE.pyro...\n";
        return 2;
    }
    const std::string folder = argv[1];
    fs::create_directories(folder);
    struct Entry {
        std::string name;
        bool endless;
        bool moving; // the game's endless emitters follow a moving owner
    };
    std::vector<Entry> entries;
    PyroLibraryManager* manager = GetPyroLibraryManager();
    for (int i = 2; i < argc; ++i) {
        std::ifstream f(argv[i], std::ios::binary);
        std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(f)), std::istreambuf_iterator<char>());
        PyroFileData data;
        std::string error;
        if (!ParsePyroFile(bytes.data(), bytes.size(), data, error) || !manager->LoadFile(argv[i])) {
            std::cerr << "pyrosheet: " << argv[i] << ": " << error << "\n";
            return 1;
        }
        for (const EmitterDef& e : data.emitters) {
            bool endless = false;
            for (const LayerDef& l : e.layers)
                endless = endless || l.Endless();
            entries.push_back({e.name, endless, endless && i == 2});
        }
    }
    const int cell = 220, rowsPerPage = 8;
    const float moments[] = {0.05f, 0.15f, 0.35f, 0.7f};
    const float kScale = 0.75f;
    std::ofstream legend(folder + "/particles.txt");
    for (size_t first = 0, page = 1; first < entries.size(); first += rowsPerPage, ++page) {
        const size_t rows = std::min<size_t>(rowsPerPage, entries.size() - first);
        Kivo::MemoryImage sheet;
        sheet.Create(cell * 4, cell * int(rows));
        uint32_t* bits = sheet.GetBits();
        for (int y = 0; y < sheet.mHeight; ++y)
            for (int x = 0; x < sheet.mWidth; ++x)
                bits[y * sheet.mWidth + x] = ((x / cell + y / cell) % 2) ? 0xFF18202C : 0xFF10161F;
        sheet.BitsChanged();
        Kivo::Graphics g(&sheet);
        for (size_t r = 0; r < rows; ++r) {
            const Entry& e = entries[first + r];
            legend << "page " << page << " row " << r + 1 << ": " << e.name
                   << (e.moving ? " (trail)" : e.endless ? " (endless, moments x4)" : "") << "\n";
            for (int c = 0; c < 4; ++c) {
                PyroEmitter emitter(e.name);
                const float cx = float(c * cell + cell / 2), cy = float(int(r) * cell + cell / 2);
                
                const float moment = moments[c] * (e.endless && !e.moving ? 4.0f : 1.0f);
                const int steps = int(moment * 100 + 0.5f);
                for (int s = 0; s <= steps; ++s) {
                    const float t = float(s) / 100.0f;
                    if (e.moving)
                        emitter.PlaceAndStart(-140 + 280 * (t / moment), 60 * std::sin(t * 6));
                    else
                        emitter.PlaceAndStart(0, 0);
                    emitter.update(1.0f);
                }
                g.PushState();
                g.ClearClipRect();
                g.ClipRect(c * cell, int(r) * cell, cell, cell);
                g.Translate(int(cx), int(cy));
                g.SetScale(kScale, kScale, 0, 0);
                emitter.render(&g);
                g.PopState();
            }
        }
        ImageLib::Image out;
        out.mWidth = sheet.mWidth;
        out.mHeight = sheet.mHeight;
        out.mBits = new uint32_t[size_t(sheet.mWidth) * sheet.mHeight];
        std::copy(sheet.GetBits(), sheet.GetBits() + size_t(sheet.mWidth) * sheet.mHeight, out.mBits);
        const std::string path = folder + "/particles_" + std::to_string(page) + ".png";
        if (!ImageLib::WritePNGImage(path, &out)) {
            std::cerr << "pyrosheet: cannot write " << path << "\n";
            return 1;
        }
    }
    delete manager;
    return 0;
}
