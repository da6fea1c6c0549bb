// Writes the game's data set into a build folder:
//   datagen <step> <data source folder> <output folder>
// Steps: xml, images, fonts (each writes under <output>/tree and touches
// <output>/<step>.stamp; datagen_audio does the same for sounds, voices and
// music), pack (builds main.pak,
// other.pak and voice.pak from the tree and copies config.xml beside them),
// sheets (contact sheets of every image and every font under <output>/sheets).
#include "tools/Usage.h"
#include "tools/datagen/Art.h"
#include "tools/datagen/Fonts.h"
#include "tools/datagen/Levels.h"
#include "tools/datagen/Manifest.h"
#include "tools/pakbuild/PakWriter.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <thread>
#include <tinyxml.h>

namespace fs = std::filesystem;
using namespace datagen;

namespace {


bool Images(const std::string& tree, std::string& error)
{
    const std::vector<ImageDef>& all = AllImages();
    std::map<std::string, std::string> groups;
    for (const ImageDef& d : all) {
        std::string line = "    <Image path=\"" + d.path.substr(7) + "\" id=\"" + d.id + "\"";
        if (d.cols > 1)
            line += " cols=\"" + std::to_string(d.cols) + "\"";
        if (!d.anim.empty())
            line += " anim=\"" + d.anim + "\" framedelay=\"" + std::to_string(d.frameDelay) + "\"";
        groups[d.group] += line + "/>\n";
    }
    // Painting is the slow part: spread it over the cores.
    std::vector<std::string> failures(all.size());
    unsigned workers = std::max(1u, std::thread::hardware_concurrency());
    std::vector<std::thread> pool;
    for (unsigned w = 0; w < workers; ++w)
        pool.emplace_back([&, w] {
            for (size_t i = w; i < all.size(); i += workers) {
                fs::create_directories(fs::path(tree + "/" + all[i].path).parent_path());
                if (!PaintImage(all[i]).WritePng(tree + "/" + all[i].path))
                    failures[i] = "cannot write " + all[i].path;
            }
        });
    for (std::thread& t : pool)
        t.join();
    for (const std::string& f : failures)
        if (!f.empty()) {
            error = f;
            return false;
        }
    std::string d = Defaults("images");
    return WriteFile(tree + "/properties/resources.xml",
               Manifest({{"General", d + groups["General"]}, {"Common", d + groups["Common"]}}))
        && WriteFile(tree + "/properties/bricks.xml", Manifest({{"Bricks", d + groups["Bricks"]}}))
        && WriteFile(tree + "/properties/town.xml", Manifest({{"Town", d + groups["Town"]}}))
        && WriteFile(tree + "/properties/loading.xml", Manifest({{"Loading", d + groups["Loading"]}}))
        && WriteFile(tree + "/properties/town_items.xml", TownItemsXml())
        && WriteFile(tree + "/properties/lang_00/labels.xml", "<ResourceManifest></ResourceManifest>\n");
}

bool Fonts(const std::string& tree, std::string& error)
{
    std::string fonts, loading;
    if (!WriteFonts(tree, fonts, loading, error))
        return false;
    std::string d = Defaults("fonts");
    return WriteFile(tree + "/properties/lang_00/fonts.xml", Manifest({{"Fonts", d + fonts}, {"Loading", d + loading}}));
}

// False with the file, line and fault when an XML file is not well formed.
bool CheckXml(const fs::path& path, std::string& error)
{
    TiXmlDocument doc;
    if (doc.LoadFile(path.c_str()) && doc.RootElement())
        return true;
    error = path.string() + ":" + std::to_string(doc.ErrorRow()) + ": " +
            (doc.Error() ? doc.ErrorDesc() : "no root element");
    return false;
}

// The hand-written files of the source folder, copied (an XML file only when
// it is well formed); level designs compiled.
bool Xml(const std::string& source, const std::string& tree, std::string& error)
{
    for (const auto& entry : fs::recursive_directory_iterator(source + "/properties")) {
        if (!entry.is_regular_file())
            continue;
        if (entry.path().extension() == ".xml" && !CheckXml(entry.path(), error))
            return false;
        fs::path rel = fs::relative(entry.path(), source);
        fs::create_directories((tree / rel).parent_path());
        fs::copy_file(entry.path(), tree / rel, fs::copy_options::overwrite_existing);
    }
    return CompileLevels(source + "/levels.txt", tree + "/levels", error);
}

bool Pack(const std::string& source, const std::string& out, std::string& error)
{
    const std::string tree = out + "/tree";
    struct Pak { const char* name; std::vector<std::string> folders; };
    const Pak paks[] = {
        {"main.pak", {"properties", "images", "fonts", "levels"}},
        {"other.pak", {"sounds", "music"}},
        {"voice.pak", {"voice"}},
    };
    for (const Pak& p : paks) {
        std::vector<pakbuild::PakEntry> entries;
        if (!pakbuild::CollectEntries(tree, p.folders, entries, error))
            return false;
        for (pakbuild::PakEntry& e : entries)
            e.fileTime = 0; // identical archives from identical data
        std::ofstream f(out + "/" + p.name, std::ios::binary);
        f << pakbuild::BuildPak(entries);
        if (!f) {
            error = std::string("cannot write ") + p.name;
            return false;
        }
    }
    fs::copy_file(source + "/config.xml", out + "/config.xml", fs::copy_options::overwrite_existing);
    return true;
}

// Every image on a grid, over a checkerboard so that alpha shows, in pages
// of at most 1600 x 1200 pixels: sheets/images_N.png, sheets/fonts.png, and
// screens composed from the images, sheets/screen_NAME.png.
bool Sheets(const std::string& out, std::string& error)
{
    fs::create_directories(out + "/sheets");
    const std::vector<ImageDef>& all = AllImages();
    const int width = 1600, height = 1200;
    struct Placed { size_t index; int x, y; float scale; };
    std::vector<std::vector<Placed>> pages(1);
    int x = 0, y = 0, rowH = 0;
    for (size_t i = 0; i < all.size(); ++i) {
        int w = all[i].celW * all[i].cols, h = all[i].celH * all[i].rows;
        float scale = std::min(1.f, std::min(float(width - 6) / float(w), 400.f / float(h)));
        int sw = int(float(w) * scale) + 6, sh = int(float(h) * scale) + 6;
        if (x + sw > width) {
            x = 0;
            y += rowH;
            rowH = 0;
        }
        if (y + sh > height) {
            pages.emplace_back();
            x = y = rowH = 0;
        }
        pages.back().push_back({i, x, y, scale});
        x += sw;
        rowH = std::max(rowH, sh);
    }
    for (size_t p = 0; p < pages.size(); ++p) {
        Canvas sheet(width, height);
        for (int j = 0; j < sheet.H(); ++j)
            for (int i = 0; i < sheet.W(); ++i)
                sheet.At(i, j) = ((i / 8 + j / 8) % 2) ? Hex(0x8c8c8c) : Hex(0x6c6c6c);
        for (const Placed& pl : pages[p])
            sheet.DrawScaled(PaintImage(all[pl.index]), float(pl.x + 3), float(pl.y + 3), pl.scale);
        if (!sheet.WritePng(out + "/sheets/images_" + std::to_string(p + 1) + ".png")) {
            error = "cannot write the contact sheets";
            return false;
        }
    }
    if (!FontSheet().WritePng(out + "/sheets/fonts.png")) {
        error = "cannot write the font sheet";
        return false;
    }
    for (const auto& [name, placements] : Scenes())
        if (!Scene(placements).WritePng(out + "/sheets/screen_" + name + ".png")) {
            error = "cannot write the screen " + name;
            return false;
        }
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    const tools::Usage usage("usage: datagen xml|images|fonts|pack|sheets SOURCE OUTPUT\n");
    if (usage.Help(argc, argv))
        return 0;
    if (argc != 4)
        return usage.Error();
    const std::string step = argv[1], source = argv[2], out = argv[3], tree = out + "/tree";
    // The steps and what each reads from SOURCE, checked before anything is
    // written.
    const std::map<std::string, std::vector<std::string>> needs = {
        { "xml", { "properties", "levels.txt" } }, { "images", {} }, { "fonts", {} }, { "pack", { "config.xml" } },
        { "sheets", {} }
    };
    auto wanted = needs.find(step);
    if (wanted == needs.end()) {
        std::cerr << "datagen: unknown step " << step << "\n";
        return usage.Error();
    }
    for (const std::string& need : wanted->second) {
        std::error_code ec;
        if (!fs::exists(fs::path(source) / need, ec)) {
            std::cerr << "datagen " << step << ": " << (fs::path(source) / need).string()
                      << " is missing (SOURCE is the data source folder, data/ in the project)\n";
            return 1;
        }
    }
    std::string error;
    bool ok = false;
    try {
        fs::create_directories(tree);
        if (step == "xml")
            ok = Xml(source, tree, error);
        else if (step == "images")
            ok = Images(tree, error);
        else if (step == "fonts")
            ok = Fonts(tree, error);
        else if (step == "pack")
            ok = Pack(source, out, error);
        else
            ok = Sheets(out, error);
    } catch (const std::exception& e) {
        // A folder that cannot be made or read.
        error = e.what();
    }
    if (!ok) {
        std::cerr << "datagen " << step << ": " << error << "\n";
        return 1;
    }
    return WriteFile(out + "/" + step + ".stamp", "") ? 0 : 1;
}
