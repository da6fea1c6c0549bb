#include "tools/datacheck/Rules.h"

#include "framework/core/Buffer.h"
#include "framework/graphics/ImageLib.h"
#include "framework/resources/PropertiesParser.h"
#include "framework/resources/XMLParser.h"
#include "tools/datacheck/Inventory.h"

#include <tinyxml.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <set>
#include <memory>
#include <sstream>
#include <cstring>
#include <cstdlib>

namespace datacheck {

std::string Lower(std::string s)
{
    for (char& c : s)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

namespace {

std::string Narrow(const std::wstring& w)
{
    std::string s;
    for (wchar_t c : w)
        s += char(c & 0xFF);
    return s;
}

bool EndsWith(const std::string& s, const std::string& tail)
{
    return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}

// Collects the string settings of a properties file.
class StringTarget : public Kivo::PropertiesTarget {
public:
    explicit StringTarget(std::map<std::string, std::string>& out) : mOut(out) {}
    void SetString(const std::string& id, const std::wstring& value) override { mOut[id] = Narrow(value); }
    void SetBoolean(const std::string&, bool) override {}
    void SetInteger(const std::string& id, int value) override { mOut[id] = std::to_string(value); }
    void SetDouble(const std::string&, double) override {}
    void InsertStringList(const std::string&, const std::vector<std::wstring>&) override {}

private:
    std::map<std::string, std::string>& mOut;
};

// A TinyXML document from the data folder; null with a problem reported.
std::unique_ptr<TiXmlDocument> LoadXml(DataSet& data, const std::string& path, Report& report)
{
    std::string text;
    if (!data.Read(path, text)) {
        report.push_back(path + " is missing");
        return nullptr;
    }
    auto doc = std::make_unique<TiXmlDocument>();
    doc->Parse(text.c_str());
    if (doc->Error() || !doc->RootElement()) {
        report.push_back(path + ": " + (doc->Error() ? doc->ErrorDesc() : "no root element"));
        return nullptr;
    }
    return doc;
}

std::string Attr(const TiXmlElement* e, const char* name)
{
    const char* v = e->Attribute(name);
    return v ? v : "";
}

// PNG width and height from the header; false when it is not a PNG.
bool PngSize(const std::string& bytes, int& w, int& h)
{
    if (bytes.size() < 24 || bytes.compare(0, 8, "\x89PNG\r\n\x1a\n") != 0)
        return false;
    auto u32 = [&](size_t p) {
        return int(uint32_t(uint8_t(bytes[p])) << 24 | uint32_t(uint8_t(bytes[p + 1])) << 16 | uint32_t(uint8_t(bytes[p + 2])) << 8 | uint8_t(bytes[p + 3]));
    };
    w = u32(16);
    h = u32(20);
    return true;
}

std::string Directory(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "" : path.substr(0, slash + 1);
}

// --- rules ------------------------------------------------------------------

void ManifestsParse(DataSet& data, Report& report)
{
    data.Resources();
    for (const std::string& p : data.ManifestProblems())
        report.push_back(p);
}

void ManifestDefaults(DataSet& data, Report& report)
{
    for (const std::string& m : data.Manifests()) {
        std::string text;
        if (!data.Read(m, text))
            continue; // reported by manifests_parse
        Kivo::XMLParser parser;
        parser.SetStringSource(text);
        Kivo::XMLElement e;
        bool inGroup = false, ok = false, sawResource = false;
        while (parser.NextElement(&e)) {
            if (e.mType != Kivo::XMLElement::TYPE_START)
                continue;
            if (e.mValue == "Resources") {
                inGroup = true;
                continue;
            }
            if (!inGroup)
                continue;
            sawResource = true;
            ok = e.mValue == "SetDefaults" && e.mAttributes.count("path") && e.mAttributes.count("idprefix");
            break;
        }
        if (sawResource && !ok)
            report.push_back(m + " does not start with a SetDefaults that sets both path and idprefix");
    }
}

void ResourceIds(DataSet& data, Report& report)
{
    auto need = [&](const std::string& id, const std::vector<std::string>& groups, const std::string& kind,
                    const std::string& manifest = "") {
        const Resource* r = data.Find(id);
        if (!r)
            report.push_back(kind + " " + id + " is not in any manifest");
        else if (r->kind != kind)
            report.push_back(id + " is a " + r->kind + ", not a " + kind);
        else if (std::find(groups.begin(), groups.end(), r->group) == groups.end())
            report.push_back(id + " is in group " + r->group + ", not " + groups[0]);
        else if (!manifest.empty() && r->manifest != manifest)
            report.push_back(id + " belongs in " + manifest);
    };
    for (const RequiredId& r : RequiredImages())
        need(r.id, r.groups, "Image");
    for (const RequiredId& r : RequiredFonts())
        need(r.id, r.groups, "Font");
    for (const std::string& id : RequiredSounds())
        need(id, {"Sounds"}, "Sound", "properties/sounds.xml");
    for (const std::string& id : RequiredVoices())
        need(id, {"Sounds"}, "Sound", "properties/voice.xml");
}

void ResourceFiles(DataSet& data, Report& report)
{
    std::map<std::string, std::string> imageFiles; // lower-case path + variant -> id
    std::set<std::string> fontImages;
    for (const Resource& r : data.Resources()) {
        if (r.path.empty() || r.path[0] == '!')
            continue;
        if (r.kind == "Image") {
            std::string key = Lower(r.path) + "|" + (r.attributes.count("variant") ? r.attributes.at("variant") : "");
            if (imageFiles.count(key))
                report.push_back(r.path + " is used by both " + imageFiles[key] + " and " + r.id);
            imageFiles[key] = r.id;
            std::string bytes;
            int w = 0, h = 0;
            if (!EndsWith(Lower(r.path), ".png") || !data.Read(r.path, bytes) || !PngSize(bytes, w, h)) {
                report.push_back(r.id + ": " + r.path + " is not a readable PNG");
                continue;
            }
            int cols = r.attributes.count("cols") ? std::atoi(r.attributes.at("cols").c_str()) : 1;
            int rows = r.attributes.count("rows") ? std::atoi(r.attributes.at("rows").c_str()) : 1;
            if (cols < 1 || rows < 1 || w % cols || h % rows)
                report.push_back(r.id + ": " + std::to_string(w) + "x" + std::to_string(h) + " does not divide into its cels");
            std::string anim = r.attributes.count("anim") ? Lower(r.attributes.at("anim")) : "none";
            if (anim != "none" && anim != "once" && anim != "loop" && anim != "pingpong")
                report.push_back(r.id + ": unknown anim " + anim);
        } else if (r.kind == "Sound") {
            std::string file = r.path.substr(r.path.find_last_of('/') + 1);
            if (file.find('.') != std::string::npos)
                report.push_back(r.id + ": the sound path " + r.path + " must not carry an extension");
            else if (!data.Exists(r.path + ".wav") && !data.Exists(r.path + ".ogg"))
                report.push_back(r.id + ": neither " + r.path + ".wav nor .ogg exists");
        } else if (r.kind == "Font") {
            std::string text;
            if (!data.Read(r.path, text)) {
                report.push_back(r.id + ": " + r.path + " is missing");
                continue;
            }
            // Layer images, relative to the description.
            std::istringstream lines(text);
            for (std::string line; std::getline(lines, line);) {
                size_t at = Lower(line).find("layersetimage ");
                size_t q1 = line.find('\'');
                size_t q2 = q1 == std::string::npos ? q1 : line.find('\'', q1 + 1);
                if (at == std::string::npos || q2 == std::string::npos)
                    continue;
                std::string image = Directory(r.path) + line.substr(q1 + 1, q2 - q1 - 1);
                fontImages.insert(Lower(image));
                if (!data.Exists(image))
                    report.push_back(r.id + ": layer image " + image + " is missing");
            }
        }
    }
    for (const auto& [key, id] : imageFiles)
        if (fontImages.count(key.substr(0, key.find('|'))))
            report.push_back(id + " uses a font layer image as an image resource");
}

void Music(DataSet& data, Report& report)
{
    auto doc = LoadXml(data, "properties/music.xml", report);
    if (!doc)
        return;
    for (const char* track : {"menu_track", "level_track1", "level_track2", "level_track3", "level_track4"}) {
        const TiXmlElement* e = doc->RootElement()->FirstChildElement(track);
        std::string file = e ? Attr(e, "file") : "";
        std::string ext = file.size() > 4 ? Lower(file.substr(file.size() - 4)) : "";
        if (!e)
            report.push_back(std::string("music track ") + track + " is missing");
        else if (ext != ".ogg" && ext != ".wav" && ext != ".mp3")
            report.push_back(std::string(track) + ": " + file + " needs its .ogg, .wav or .mp3 extension");
        else if (!data.Exists(file))
            report.push_back(std::string(track) + ": " + file + " is missing");
    }
}

void Texts(DataSet& data, Report& report)
{
    const auto& strings = data.Strings();
    for (const std::string& p : data.StringProblems())
        report.push_back(p);
    for (const char* id : {"translation_file_language", "translation_file_labels", "translation_file_fonts"})
        if (!strings.count(id) || strings.at(id).empty())
            report.push_back(std::string("the language file does not set ") + id);
    std::vector<std::string> ids = RequiredTexts();
    // Texts the data itself names: town items and hints.
    Report ignore;
    if (data.Exists("properties/town_items.xml"))
        if (auto doc = LoadXml(data, "properties/town_items.xml", ignore))
            for (const TiXmlElement* o = doc->RootElement()->FirstChildElement("Object"); o; o = o->NextSiblingElement("Object"))
                for (const char* tag : {"Name", "Description"})
                    if (const TiXmlElement* e = o->FirstChildElement(tag))
                        ids.push_back(Attr(e, "id"));
    if (data.Exists("properties/hints.xml"))
        if (auto doc = LoadXml(data, "properties/hints.xml", ignore))
            for (const TiXmlElement* h = doc->RootElement()->FirstChildElement("hint"); h; h = h->NextSiblingElement("hint"))
                if (const TiXmlElement* t = h->FirstChildElement("text"))
                    if (!Attr(t, "id").empty())
                        ids.push_back(Attr(t, "id"));
    for (const std::string& id : ids) {
        auto it = strings.find(id);
        if (it == strings.end() || it->second.empty()) {
            report.push_back("text " + id + " is missing");
            continue;
        }
        // Markup: carets come in pairs, never alone.
        size_t carets = std::count(it->second.begin(), it->second.end(), '^');
        if (carets % 2)
            report.push_back("text " + id + " has a lone '^'");
    }
    auto name = strings.find("window_profiles_default_user_name");
    if (name != strings.end()) {
        const std::string& n = name->second;
        if (n.size() > 25 || std::any_of(n.begin(), n.end(), [](char c) { return c < 32 || c > 126 || std::islower(static_cast<unsigned char>(c)); }))
            report.push_back("the default player name must be upper-case ASCII of at most 25 characters");
    }
}

struct Level {
    int kind[10][10], mods[10][10];
};

// An image font's first layer, from its description: each character's
// advance width (LayerSetCharWidths) and cell in the layer image
// (LayerSetImageMap), its image and its ascent padding. What the
// description lacks stays empty.
struct FontLayout {
    std::string image; // its path in the data folder
    std::map<char, int> widths;
    std::map<char, std::array<int, 4>> cells; // x, y, width, height
    int ascentPadding = 0; // lifts the letters above where the ascent puts them
};

// A layer command's two parenthesised lists: the quoted characters of the
// first, every number of the second (nested parentheses flattened). False
// when the description has no such command.
bool LayerLists(const std::string& text, const char* command, std::vector<std::string>& chars, std::vector<int>& numbers)
{
    size_t p = Lower(text).find(command);
    if (p == std::string::npos)
        return false;
    for (p = text.find('(', p); p < text.size() && text[p] != ')'; ++p) {
        char q = text[p];
        if (q != '\'' && q != '"')
            continue;
        std::string token;
        for (++p; p < text.size() && text[p] != q; ++p) {
            if (text[p] == '\\' && p + 1 < text.size())
                ++p;
            token += text[p];
        }
        chars.push_back(token);
    }
    int depth = 0;
    for (p = text.find('(', p); p < text.size(); ++p) {
        if (text[p] == '(') {
            ++depth;
        } else if (text[p] == ')') {
            if (--depth == 0)
                break;
        } else if (std::isdigit(static_cast<unsigned char>(text[p])) || text[p] == '-') {
            char* end = nullptr;
            numbers.push_back(int(std::strtol(text.c_str() + p, &end, 10)));
            p = size_t(std::max(end - text.c_str(), std::ptrdiff_t(p + 1))) - 1;
        }
    }
    return true;
}

// The number a layer command sets ("LayerSetAscentPadding Main 2"), 0
// without it.
int LayerNumber(const std::string& text, const char* command)
{
    size_t at = Lower(text).find(command);
    if (at == std::string::npos)
        return 0;
    std::istringstream in(text.substr(at + std::strlen(command)));
    std::string layer;
    int n = 0;
    in >> layer >> n;
    return n;
}

// False when the font or its description cannot be read.
bool ReadFontLayout(DataSet& data, const std::string& fontId, FontLayout& out)
{
    const Resource* r = data.Find(fontId);
    std::string text;
    if (!r || r->kind != "Font" || !data.Read(r->path, text))
        return false;
    size_t at = Lower(text).find("layersetimage ");
    size_t open = text.find('\'', at), close = text.find('\'', open + 1);
    if (at != std::string::npos && open != std::string::npos && close != std::string::npos)
        out.image = Directory(r->path) + text.substr(open + 1, close - open - 1);
    std::vector<std::string> chars;
    std::vector<int> numbers;
    if (LayerLists(text, "layersetcharwidths", chars, numbers) && numbers.size() == chars.size())
        for (size_t i = 0; i < chars.size(); ++i)
            if (chars[i].size() == 1)
                out.widths[chars[i][0]] = numbers[i];
    chars.clear();
    numbers.clear();
    if (LayerLists(text, "layersetimagemap", chars, numbers) && numbers.size() == 4 * chars.size())
        for (size_t i = 0; i < chars.size(); ++i)
            if (chars[i].size() == 1)
                out.cells[chars[i][0]] = {numbers[4 * i], numbers[4 * i + 1], numbers[4 * i + 2], numbers[4 * i + 3]};
    out.ascentPadding = LayerNumber(text, "layersetascentpadding ");
    return true;
}

// Texts against the room the screens give them: one-line texts by width,
// wrapped texts by their number of lines.
void TextsFit(DataSet& data, Report& report)
{
    struct Fit { const char* id; const char* font; double room; double scale; int lines; };
    static const Fit fits[] = {
        {"game_stage_completed", "FONT_EFFECTS_BIG", 700, 1, 0},
        {"game_gfx_text_chainmode", "FONT_EFFECTS_BIG", 700, 1, 0},
        {"game_gfx_text_swapmode", "FONT_EFFECTS_BIG", 700, 1, 0},
        {"game_gfx_text_groupmode", "FONT_EFFECTS_BIG", 700, 1, 0},
        {"message_game_no_moves", "FONT_EFFECTS_BIG", 700, 1, 0},
        {"game_level_completed", "FONT_EFFECTS", 700, 1, 0},
        {"game_bonuslevel_completed", "FONT_EFFECTS", 700, 1, 0},
        {"label_loaded_click_to_continue", "FONT_GOLD", 780, 1, 0},
        {"info_panel_level", "FONT_GOLD", 110, 0.8, 0},
        {"info_panel_points", "FONT_GOLD", 110, 0.8, 0},
        {"window_score_bricks", "FONT_GOLD", 150, 1, 0},
        {"window_score_bonus", "FONT_GOLD", 150, 1, 0},
        {"window_score_combo", "FONT_GOLD", 150, 1, 0},
        {"window_score_total", "FONT_GOLD", 150, 1, 0},
        {"options_label_fullscreen", "FONT_GOLD", 300, 1, 0},
        {"options_label_customcursor", "FONT_GOLD", 300, 1, 0},
        {"options_label_voice", "FONT_GOLD", 300, 1, 0},
        {"hb_intro_text1", "FONT_GOLD", 610, 1, 3},
        {"window_score_bonus_game", "FONT_GOLD", 168, 0.8, 3},
        {"window_score_build_town", "FONT_GOLD", 168, 0.8, 3},
        {"window_newprofile_label_relaxed_comment", "FONT_GOLD", 299, 0.8, 2},
        {"window_newprofile_label_timed_comment", "FONT_GOLD", 299, 0.8, 2},
        {"window_howtoplay_text_chain_mode", "FONT_GOLD", 310, 1, 6},
        {"window_howtoplay_text_swap_mode", "FONT_GOLD", 310, 1, 6},
        {"window_howtoplay_text_group_mode", "FONT_GOLD", 310, 1, 6},
        {"hb_intro_rule_swap", "FONT_GOLD", 300, 0.85, 5},
        {"hb_intro_rule_group", "FONT_GOLD", 300, 0.85, 5},
        {"hb_intro_rule_chain", "FONT_GOLD", 300, 0.85, 5},
    };
    const auto& strings = data.Strings();
    std::map<std::string, std::map<char, int>> fonts;
    for (const Fit& f : fits) {
        if (!fonts.count(f.font)) {
            FontLayout layout;
            ReadFontLayout(data, f.font, layout);
            fonts[f.font] = layout.widths;
            if (layout.widths.empty()) {
                report.push_back(std::string("cannot read the character widths of ") + f.font);
                continue;
            }
        }
        const auto& widths = fonts[f.font];
        auto it = strings.find(f.id);
        if (it == strings.end() || widths.empty())
            continue; // a missing text is the texts rule's
        auto width = [&](const std::string& word) {
            double w = 0;
            for (char c : word)
                w += widths.count(c) ? widths.at(c) : 0;
            return w * f.scale;
        };
        if (f.lines == 0) {
            double w = width(it->second);
            if (w > f.room)
                report.push_back(std::string(f.id) + " is " + std::to_string(int(w)) + " px wide in " + f.font + ", more than " + std::to_string(int(f.room)));
            continue;
        }
        // Greedy word wrap, as the program wraps.
        std::istringstream words(it->second);
        int lines = 1;
        double line = 0, space = width(" ");
        for (std::string word; words >> word;) {
            double w = width(word);
            if (line > 0 && line + space + w > f.room) {
                ++lines;
                line = w;
            } else {
                line += (line > 0 ? space : 0) + w;
            }
        }
        if (lines > f.lines)
            report.push_back(std::string(f.id) + " needs " + std::to_string(lines) + " lines in " + f.font + ", more than " + std::to_string(f.lines));
    }
}

void Levels(DataSet& data, Report& report)
{
    std::string gamesets;
    int count = 0;
    if (data.Read("properties/gamesets.xml", gamesets)) {
        std::map<std::string, std::string> values;
        StringTarget target(values);
        Kivo::PropertiesParser parser(&target);
        Kivo::Buffer buffer;
        buffer.SetData(gamesets.data(), int(gamesets.size()));
        if (!parser.ParsePropertiesBuffer(buffer))
            report.push_back("properties/gamesets.xml: " + parser.GetErrorText());
        count = values.count("set_level_files") ? std::atoi(values["set_level_files"].c_str()) : 1;
    } else {
        report.push_back("properties/gamesets.xml is missing");
    }
    if (count < 1)
        report.push_back("set_level_files must be at least 1");
    for (int n = 1; n <= count; ++n) {
        char name[32];
        std::snprintf(name, sizeof name, "levels/level%03d.level", n);
        std::string bytes;
        if (!data.Read(name, bytes)) {
            report.push_back(std::string(name) + " is missing");
            continue;
        }
        if (bytes.size() != 403 || bytes[1] != 10 || bytes[2] != 10) {
            report.push_back(std::string(name) + " is not a 10 x 10 level of 403 bytes");
            continue;
        }
        Level l;
        int breakable = 0, starts = 0, holes = 0, locked = 0, sx = 0, sy = 0;
        for (int i = 0; i < 100; ++i) {
            const char* c = bytes.data() + 3 + 4 * i;
            int x = i % 10, y = i / 10;
            l.kind[y][x] = uint8_t(c[0]);
            l.mods[y][x] = uint8_t(c[2]) | uint8_t(c[3]) << 8;
            breakable += l.kind[y][x] == 2 || l.kind[y][x] == 3;
            locked += (l.mods[y][x] & 0x1E) != 0;
            if (l.mods[y][x] & 0x40)
                ++starts, sx = x, sy = y;
            holes += (l.mods[y][x] & 0x80) != 0;
        }
        if (breakable == 0)
            report.push_back(std::string(name) + " has no breakable cell");
        // The level's own colours (bytes 3..7) must not already stand three in a line.
        auto colour = [&](int x, int y) {
            int b = uint8_t(bytes[size_t(3 + 4 * (y * 10 + x) + 1)]);
            return b >= 3 && b <= 7 ? b : -1;
        };
        for (int y = 0; y < 10; ++y)
            for (int x = 0; x < 10; ++x) {
                int c = colour(x, y);
                if (c >= 0 && ((x <= 7 && colour(x + 1, y) == c && colour(x + 2, y) == c) || (y <= 7 && colour(x, y + 1) == c && colour(x, y + 2) == c)))
                    report.push_back(std::string(name) + ": three cells of the level's colour " + std::to_string(c - 2) + " line up at " + std::to_string(x) + "," + std::to_string(y));
            }
        if (locked > 50)
            report.push_back(std::string(name) + " has more than 50 chained or boxed bricks");
        if (starts > 1 || holes > 1 || (starts == 1) != (holes == 1)) {
            report.push_back(std::string(name) + " needs exactly one key start and one hole, or neither");
            continue;
        }
        if (!starts)
            continue;
        // The key falls along the way, cell by cell, while the next cell in
        // the board's down direction is on the way; the player turns the
        // board to choose that direction. The hole must be a resting place
        // the key can reach that way.
        bool seen[10][10] = {};
        std::vector<std::pair<int, int>> todo;
        bool reached = false;
        if (l.mods[sy][sx] & 0x20) {
            todo.push_back({sx, sy});
            seen[sy][sx] = true;
        }
        while (!todo.empty()) {
            auto [x, y] = todo.back();
            todo.pop_back();
            reached |= (l.mods[y][x] & 0x80) != 0;
            const int d[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
            for (const auto& s : d) {
                int nx = x, ny = y;
                while (nx + s[0] >= 0 && ny + s[1] >= 0 && nx + s[0] < 10 && ny + s[1] < 10 && (l.mods[ny + s[1]][nx + s[0]] & 0x20)) {
                    nx += s[0];
                    ny += s[1];
                }
                if (!seen[ny][nx]) {
                    seen[ny][nx] = true;
                    todo.push_back({nx, ny});
                }
            }
        }
        if (!reached)
            report.push_back(std::string(name) + ": the key cannot fall from its start into the hole along the key way");
    }
}

void Chipsets(DataSet& data, Report& report)
{
    auto doc = LoadXml(data, "properties/combinations.xml", report);
    if (!doc)
        return;
    int n = 0;
    for (const TiXmlElement* e = doc->RootElement()->FirstChildElement("chipset"); e; e = e->NextSiblingElement("chipset"), ++n) {
        std::string text = e->GetText() ? e->GetText() : "";
        std::set<char> digits;
        bool clean = !text.empty();
        for (char c : text) {
            clean &= c >= '0' && c <= '9';
            digits.insert(c);
        }
        if (!clean)
            report.push_back("colour set " + std::to_string(n) + " \"" + text + "\" may hold digits only");
        else if (digits.size() < 6)
            report.push_back("colour set " + std::to_string(n) + " \"" + text + "\" has fewer than 6 distinct colours");
    }
    if (n == 0)
        report.push_back("properties/combinations.xml has no colour set");
}

// Town items: id -> (type, layer names reachable as "a:b:c").
struct TownItem {
    std::string type;
    std::set<std::string> layers;
};

void CollectLayers(const TiXmlElement* e, const std::string& prefix, TownItem& item, DataSet& data, Report& report, const std::string& id)
{
    for (const TiXmlElement* l = e->FirstChildElement("Layer"); l; l = l->NextSiblingElement("Layer")) {
        std::string name = Attr(l, "name");
        std::string path = name.empty() ? prefix : (prefix.empty() ? name : prefix + ":" + name);
        if (!name.empty())
            item.layers.insert(path);
        for (const TiXmlElement* img = l->FirstChildElement("Image"); img; img = img->NextSiblingElement("Image")) {
            const Resource* r = data.Find(Attr(img, "id"));
            if (!r || r->kind != "Image" || r->group != "Town")
                report.push_back("town item " + id + ": image " + Attr(img, "id") + " is not an image of group Town");
        }
        for (const TiXmlElement* p = l->FirstChildElement("Particles"); p; p = p->NextSiblingElement("Particles"))
            if (!TownEmitterExists(data, Attr(p, "id")))
                report.push_back("town item " + id + ": emitter " + Attr(p, "id") + " is not in particles_town.pyro");
        CollectLayers(l, path, item, data, report, id);
    }
}

void Town(DataSet& data, Report& report)
{
    auto items = LoadXml(data, "properties/town_items.xml", report);
    auto stages = LoadXml(data, "properties/town_stages.xml", report);
    if (!items || !stages)
        return;
    std::map<std::string, TownItem> byId;
    bool background = false;
    for (const TiXmlElement* o = items->RootElement()->FirstChildElement("Object"); o; o = o->NextSiblingElement("Object")) {
        std::string id = Attr(o, "id");
        TownItem item;
        const TiXmlElement* type = o->FirstChildElement("Type");
        item.type = type ? Attr(type, "id") : "";
        if (item.type != "background" && item.type != "building" && item.type != "stage")
            report.push_back("town item " + id + " has type \"" + item.type + "\"");
        background |= item.type == "background";
        if (byId.count(id))
            report.push_back("town item " + id + " is defined twice");
        CollectLayers(o, "", item, data, report, id);
        byId[id] = item;
    }
    if (!background)
        report.push_back("the town has no background item");
    auto target = [&](const TiXmlElement* cmd, const std::string& where) {
        std::string t = Attr(cmd, "id");
        std::string item = t.substr(0, t.find(':'));
        std::string layer = t.find(':') == std::string::npos ? "" : t.substr(t.find(':') + 1);
        if (!byId.count(item) || (!layer.empty() && !byId[item].layers.count(layer)))
            report.push_back(where + ": " + cmd->Value() + " target " + t + " does not resolve");
    };
    auto commands = [&](const TiXmlElement* parent, const std::string& where) {
        for (const TiXmlElement* c = parent->FirstChildElement(); c; c = c->NextSiblingElement())
            if (std::string(c->Value()) == "Show" || std::string(c->Value()) == "Hide")
                target(c, where);
    };
    int stageCount = 0;
    std::set<std::string> seen;
    for (const TiXmlElement* s = stages->RootElement()->FirstChildElement("Stage"); s; s = s->NextSiblingElement("Stage"), ++stageCount) {
        int buildings = 0;
        for (const TiXmlElement* b = s->FirstChildElement("Building"); b; b = b->NextSiblingElement("Building"), ++buildings) {
            std::string id = Attr(b, "id");
            if (!seen.insert(id).second)
                report.push_back("building " + id + " appears twice in the stages");
            auto it = byId.find(id);
            if (it == byId.end() || it->second.type != "building") {
                report.push_back("building " + id + " is not a building item");
                continue;
            }
            const TiXmlElement* cost = b->FirstChildElement("Cost");
            if (!cost || std::atoi(Attr(cost, "value").c_str()) < 0 || Attr(cost, "value").empty())
                report.push_back("building " + id + " needs a cost of at least 0");
            const TiXmlElement* gfx = b->FirstChildElement("Gfx");
            std::string how = gfx ? Attr(gfx, "name") : "";
            for (const char* layer : {"town", "preview"})
                if (!it->second.layers.count(layer))
                    report.push_back("building " + id + " has no " + layer + " layer");
            if ((how == "fall" || how == "grow" || how == "fallParts") && !it->second.layers.count("gfx"))
                report.push_back("building " + id + " falls or grows but has no gfx layer");
            commands(b, "building " + id);
            if (const TiXmlElement* a = b->FirstChildElement("Animation")) {
                int levels = std::atoi(Attr(a, "levels").c_str());
                if (levels < 0 || levels > 255)
                    report.push_back("building " + id + ": animation levels must be 0 to 255");
                commands(a, "building " + id + " animation");
            }
        }
        if (buildings != 4)
            report.push_back("stage " + std::to_string(stageCount) + " has " + std::to_string(buildings) + " buildings, not 4");
        commands(s, "stage " + std::to_string(stageCount));
    }
    if (stageCount != 5)
        report.push_back("the town has " + std::to_string(stageCount) + " stages, not 5");
}

// Where a building stands: its picture's rectangle in the town.
struct Placed {
    std::string id;
    int x = 0, y = 0, w = 0, h = 0;
};

// The buildings' "town" pictures must not cover each other: two may share
// at most a roof's edge, a strip this many pixels deep.
constexpr int kRoofEdge = 12;

void TownLayout(DataSet& data, Report& report)
{
    auto items = LoadXml(data, "properties/town_items.xml", report);
    if (!items)
        return;
    std::vector<Placed> placed;
    for (const TiXmlElement* o = items->RootElement()->FirstChildElement("Object"); o; o = o->NextSiblingElement("Object")) {
        const TiXmlElement* type = o->FirstChildElement("Type");
        if (!type || Attr(type, "id") != "building")
            continue;
        // The picture: the item's layers down to the one named "town".
        std::function<bool(const TiXmlElement*, int, int)> find = [&](const TiXmlElement* parent, int x, int y) {
            for (const TiXmlElement* l = parent->FirstChildElement("Layer"); l; l = l->NextSiblingElement("Layer")) {
                int lx = x + std::atoi(Attr(l, "x").c_str()), ly = y + std::atoi(Attr(l, "y").c_str());
                if (Attr(l, "name") == "town") {
                    const TiXmlElement* img = l->FirstChildElement("Image");
                    const Resource* r = img ? data.Find(Attr(img, "id")) : nullptr;
                    std::string bytes;
                    Placed p {Attr(o, "id"), lx + std::atoi(Attr(img, "x").c_str()), ly + std::atoi(Attr(img, "y").c_str())};
                    if (!r || !data.Read(r->path, bytes) || !PngSize(bytes, p.w, p.h)) {
                        report.push_back("building " + p.id + ": the size of its town picture is unknown");
                        return true;
                    }
                    placed.push_back(p);
                    return true;
                }
                if (find(l, lx, ly))
                    return true;
            }
            return false;
        };
        if (!find(o, 0, 0))
            report.push_back("building " + Attr(o, "id") + " has no town picture");
    }
    for (size_t i = 0; i < placed.size(); ++i)
        for (size_t j = i + 1; j < placed.size(); ++j) {
            const Placed &a = placed[i], &b = placed[j];
            int w = std::min(a.x + a.w, b.x + b.w) - std::max(a.x, b.x);
            int h = std::min(a.y + a.h, b.y + b.h) - std::max(a.y, b.y);
            if (w > kRoofEdge && h > kRoofEdge)
                report.push_back("buildings " + a.id + " and " + b.id + " overlap by " + std::to_string(w) + " x " +
                                 std::to_string(h) + " px");
        }
}

// Relative luminance of an sRGB colour (0xRRGGBB), as WCAG defines it.
double Luminance(uint32_t rgb)
{
    auto channel = [](uint32_t v) {
        double c = double(v & 0xFF) / 255.0;
        return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(rgb >> 16) + 0.7152 * channel(rgb >> 8) + 0.0722 * channel(rgb);
}

std::unique_ptr<ImageLib::Image> LoadPicture(DataSet& data, const std::string& path)
{
    return std::unique_ptr<ImageLib::Image>(ImageLib::GetImage(data.Root() + "/" + path, true));
}

// The windows' paper against the letters drawn on it: the dimmest face
// colour of FONT_GOLD's glyphs (the program draws it untinted, white) and
// the brightest paper inside each window's frame, leaving out the lightest
// 2 % of its pixels (specks of the grain), must differ by 4.5 : 1 at least.
void ParchmentContrast(DataSet& data, Report& report)
{
    FontLayout font;
    if (!ReadFontLayout(data, "FONT_GOLD", font)) {
        report.push_back("FONT_GOLD cannot be read");
        return;
    }
    if (font.image.empty()) {
        report.push_back("FONT_GOLD names no layer image");
        return;
    }
    auto glyphs = LoadPicture(data, font.image);
    if (!glyphs) {
        report.push_back("FONT_GOLD's layer image cannot be read");
        return;
    }
    // Fully covered pixels are the letters' faces; the outline is translucent.
    double ink = 2;
    for (int i = 0; i < glyphs->mWidth * glyphs->mHeight; ++i)
        if ((glyphs->mBits[i] >> 24) >= 0xF8)
            ink = std::min(ink, Luminance(glyphs->mBits[i]));
    if (ink > 1) {
        report.push_back("FONT_GOLD has no opaque letter pixels");
        return;
    }
    const int frame = 48; // the wooden frame and header band
    for (const char* id : {"IMAGE_UI_WINDOW", "IMAGE_UI_WINDOW_SMALL", "IMAGE_UI_WINDOW_HINT", "IMAGE_UI_WINDOW_HELP"}) {
        const Resource* r = data.Find(id);
        auto paper = r ? LoadPicture(data, r->path) : nullptr;
        if (!paper) {
            report.push_back(std::string(id) + " cannot be read");
            continue;
        }
        std::vector<double> shades;
        for (int y = frame; y < paper->mHeight - frame; ++y)
            for (int x = frame; x < paper->mWidth - frame; ++x)
                shades.push_back(Luminance(paper->mBits[size_t(y) * size_t(paper->mWidth) + size_t(x)]));
        if (shades.empty())
            continue;
        std::sort(shades.begin(), shades.end());
        const double bright = shades[shades.size() * 98 / 100], dark = shades.front();
        // The letters may be darker or lighter than the whole paper, not both.
        const double ratio = ink >= bright ? (ink + 0.05) / (bright + 0.05) : ink <= dark ? (dark + 0.05) / (ink + 0.05) : 1;
        if (ratio < 4.5) {
            char line[160];
            std::snprintf(line, sizeof line, "FONT_GOLD on %s: contrast %.2f : 1, below 4.5 : 1", id, ratio);
            report.push_back(line);
        }
    }
}

// Where windows write their captions in FONT_CAPTION: centred across the
// content width, the letters' cell starting at the content inset top, on the
// window's paper; the first level-completed window (470 wide at (165, 40),
// no picture of its own) writes on the blackboard lying over the board at
// (175, 40).
struct CaptionPlace {
    const char* image;
    int windowWidth; // 0: the image's width
    int imageX;      // the image's left edge in the window
    int left, top, right;
    std::vector<const char*> captions;
};

// The paper under each caption's inked rows must be clear: more than 1 % of
// its pixels standing out 1.4 : 1 from the paper's median shade is an
// ornament (a rule, a flourish) crossing the letters.
void CaptionBands(DataSet& data, Report& report)
{
    static const CaptionPlace places[] = {
        {"IMAGE_UI_WINDOW", 0, 0, 60, 45, 60,
            {"window_pause_caption", "window_options_caption", "window_newprofile_caption", "window_changeprofile_caption",
                "window_profiles_caption", "window_levelcompleted_caption", "window_howtoplay_caption"}},
        {"IMAGE_FIELD_BLACKBOARD", 470, 10, 24, 24, 24, {"window_levelcompleted_caption"}},
    };
    FontLayout font;
    auto glyphs = ReadFontLayout(data, "FONT_CAPTION", font) ? LoadPicture(data, font.image) : nullptr;
    if (!glyphs || font.cells.empty()) {
        report.push_back("FONT_CAPTION's letters cannot be read");
        return;
    }
    auto alpha = [&](int x, int y) {
        bool inside = x >= 0 && y >= 0 && x < glyphs->mWidth && y < glyphs->mHeight;
        return inside ? glyphs->mBits[size_t(y) * size_t(glyphs->mWidth) + size_t(x)] >> 24 : 0u;
    };
    const auto& strings = data.Strings();
    for (const CaptionPlace& place : places) {
        const Resource* r = data.Find(place.image);
        auto paper = r ? LoadPicture(data, r->path) : nullptr;
        if (!paper)
            continue; // a missing picture is resource_ids' and decode's
        const int windowWidth = place.windowWidth ? place.windowWidth : paper->mWidth;
        for (const char* id : place.captions) {
            auto text = strings.find(id);
            if (text == strings.end())
                continue; // a missing text is the texts rule's
            // Across: the advance widths; down: the rows the letters ink.
            int width = 0, inkTop = 1 << 20, inkBottom = -1;
            for (char c : text->second) {
                width += font.widths.count(c) ? font.widths.at(c) : 0;
                if (!font.cells.count(c))
                    continue;
                const auto& [gx, gy, gw, gh] = font.cells.at(c);
                for (int y = 0; y < gh; ++y)
                    for (int x = 0; x < gw; ++x)
                        if (alpha(gx + x, gy + y) >= 0x80) {
                            inkTop = std::min(inkTop, y);
                            inkBottom = std::max(inkBottom, y);
                        }
            }
            const int cellTop = place.top - font.ascentPadding;
            const int x0 = std::max(0, (windowWidth - width) / 2 + place.left - place.right - place.imageX);
            const int x1 = std::min(paper->mWidth, x0 + width);
            const int y0 = std::max(0, cellTop + inkTop), y1 = std::min(paper->mHeight, cellTop + inkBottom + 1);
            if (inkBottom < 0 || x1 <= x0 || y1 <= y0)
                continue;
            auto shade = [&](int x, int y) { return Luminance(paper->mBits[size_t(y) * size_t(paper->mWidth) + size_t(x)]); };
            std::vector<double> shades;
            for (int y = y0; y < y1; ++y)
                for (int x = x0; x < x1; ++x)
                    shades.push_back(shade(x, y));
            std::nth_element(shades.begin(), shades.begin() + std::ptrdiff_t(shades.size() / 2), shades.end());
            const double median = shades[shades.size() / 2];
            int marked = 0, worstRow = y0, worstCount = 0;
            for (int y = y0; y < y1; ++y) {
                int count = 0;
                for (int x = x0; x < x1; ++x) {
                    const double l = shade(x, y);
                    count += (std::max(l, median) + 0.05) / (std::min(l, median) + 0.05) >= 1.4;
                }
                marked += count;
                if (count > worstCount) {
                    worstCount = count;
                    worstRow = y;
                }
            }
            if (size_t(marked) * 100 > shades.size())
                report.push_back(std::string(place.image) + ": the caption " + id + " (x " + std::to_string(x0) + "-" +
                                 std::to_string(x1 - 1) + ", y " + std::to_string(y0) + "-" + std::to_string(y1 - 1) +
                                 ") is crossed by an ornament: " + std::to_string(marked) +
                                 " px stand out from the paper, most in row " + std::to_string(worstRow));
        }
    }
}

void Hints(DataSet& data, Report& report)
{
    auto doc = LoadXml(data, "properties/hints.xml", report);
    if (!doc)
        return;
    std::vector<std::string> ids;
    for (const TiXmlElement* h = doc->RootElement()->FirstChildElement("hint"); h; h = h->NextSiblingElement("hint")) {
        ids.push_back(Attr(h, "id"));
        if (const TiXmlElement* img = h->FirstChildElement("image"))
            if (!data.Find(Attr(img, "id")))
                report.push_back("hint " + ids.back() + ": image " + Attr(img, "id") + " is not in any manifest");
        const TiXmlElement* t = h->FirstChildElement("text");
        if (!t || (Attr(t, "id").empty() && Attr(t, "text").empty()))
            report.push_back("hint " + ids.back() + " has no text");
    }
    const auto& frozen = FrozenHints();
    for (size_t i = 0; i < frozen.size(); ++i)
        if (i >= ids.size() || ids[i] != frozen[i])
            report.push_back("hint " + std::to_string(i) + " must be " + frozen[i] + ", found " + (i < ids.size() ? ids[i] : "nothing"));
    if (ids.size() > 64)
        report.push_back("more than 64 hints");
    std::set<std::string> unique(ids.begin(), ids.end());
    if (unique.size() != ids.size())
        report.push_back("hint ids must be unique");
}

double Field(const TiXmlElement* root, const char* name, bool& present)
{
    const TiXmlElement* e = root->FirstChildElement(name);
    present = e && e->Attribute("value");
    return present ? std::atof(e->Attribute("value")) : 0;
}

void Particles(DataSet& data, Report& report)
{
    auto index = LoadXml(data, "properties/particles/particles.xml", report);
    if (!index)
        return;
    std::map<std::string, std::string> systems;
    for (const TiXmlElement* s = index->RootElement()->FirstChildElement("system"); s; s = s->NextSiblingElement("system"))
        systems[Attr(s, "id")] = Attr(s, "file");
    for (const char* id : {"letter_explode", "letter_explode_small"}) {
        if (!systems.count(id)) {
            report.push_back(std::string("particle system ") + id + " is missing");
            continue;
        }
        auto doc = LoadXml(data, systems[id], report);
        if (!doc)
            continue;
        bool has = false;
        double lifetime = Field(doc->RootElement(), "lifetime", has);
        if (!(lifetime == -3 || lifetime > 0))
            report.push_back(std::string(id) + " does not end by itself (lifetime must be -3 or above 0)");
        if (Field(doc->RootElement(), "emission", has) <= 0)
            report.push_back(std::string(id) + " emits nothing");
        const TiXmlElement* image = doc->RootElement()->FirstChildElement("image_id");
        if (!image || !data.Find(Attr(image, "value")))
            report.push_back(std::string(id) + ": its image_id is not in any manifest");
    }
}

// The formula language of the scripts: numbers, names, + - * / ^ ( ) and one
// "=", no sign after an operator, no tabs; names must be known variables.
bool FormulaOk(const std::string& f, std::set<std::string>& vars, std::string& why)
{
    bool operand = false, lastOp = false, assign = false;
    int depth = 0;
    std::string assigned;
    for (size_t i = 0; i < f.size();) {
        char c = f[i];
        if (c == ' ') {
            ++i;
            continue;
        }
        if (c == '\n')
            break;
        if (std::strchr("+-*/^", c)) {
            if (lastOp) {
                why = "an operator follows an operator";
                return false;
            }
            lastOp = true;
            operand = true;
            ++i;
        } else if (c == '(') {
            ++depth;
            operand = false;
            lastOp = false;
            ++i;
        } else if (c == ')') {
            if (lastOp || depth == 0) {
                why = "unbalanced parenthesis";
                return false;
            }
            --depth;
            operand = true;
            ++i;
        } else if (c == '=') {
            if (assign) {
                why = "a second '='";
                return false;
            }
            assign = true;
            operand = lastOp = false;
            ++i;
        } else if (std::isdigit(static_cast<unsigned char>(c)) || c == '.') {
            while (i < f.size() && (std::isdigit(static_cast<unsigned char>(f[i])) || f[i] == '.'))
                ++i;
            operand = true;
            lastOp = false;
        } else if (std::isalpha(static_cast<unsigned char>(c)) || c == '_') {
            size_t s = i;
            while (i < f.size() && (std::isalnum(static_cast<unsigned char>(f[i])) || f[i] == '_'))
                ++i;
            std::string name = f.substr(s, i - s);
            bool target = i < f.size() && f.find_first_not_of(' ', i) != std::string::npos && f[f.find_first_not_of(' ', i)] == '=';
            if (target)
                assigned = name;
            else if (!vars.count(name)) {
                why = "unknown variable " + name;
                return false;
            }
            operand = true;
            lastOp = false;
        } else {
            why = std::string("character '") + c + "'";
            return false;
        }
    }
    if (depth != 0 || lastOp || !operand) {
        why = depth ? "unclosed parenthesis" : "incomplete formula";
        return false;
    }
    if (!assigned.empty())
        vars.insert(assigned);
    return true;
}

void Tutorials(DataSet& data, Report& report)
{
    static const std::map<std::string, std::vector<const char*>> steps = {
        {"mutMoveTo", {"x", "y", "time"}}, {"mutMoveOffset", {"x", "y", "time"}}, {"mutMove", {"x", "y", "speed", "time"}},
        {"mutScaleTo", {"x", "y", "time"}}, {"mutRotateTo", {"angle", "time"}}, {"mutColorTo", {"a", "r", "g", "b", "time"}},
        {"mutWait", {"time"}}, {"mutWaitTick", {"time"}}, {"mutResetTick", {"time"}}, {"setTexture", {}},
        {"addMutList", {}}, {"setVar", {"value"}},
    };
    for (const char* name : {"chain", "swap", "group"}) {
        std::string path = std::string("properties/tutorial/demo_gameplay") + name + ".xml";
        auto doc = LoadXml(data, path, report);
        if (!doc)
            continue;
        const TiXmlElement* root = doc->RootElement();
        if (std::string(root->Value()) != "action") {
            report.push_back(path + ": the root must be <action>");
            continue;
        }
        for (const char* a : {"speed", "width", "height"}) {
            std::string v = Attr(root, a);
            char* end = nullptr;
            double d = std::strtod(v.c_str(), &end);
            if (v.empty() || *end || d <= 0)
                report.push_back(path + ": " + a + " must be a plain positive number");
        }
        if (std::atof(Attr(root, "width").c_str()) > 170 || std::atof(Attr(root, "height").c_str()) > 120)
            report.push_back(path + ": larger than 170 x 120");
        std::set<std::string> textures, lists, vars;
        for (const TiXmlElement* e = root->FirstChildElement(); e; e = e->NextSiblingElement()) {
            std::string tag = e->Value();
            if (tag == "texture") {
                textures.insert(Attr(e, "name"));
                if (!data.Find(Attr(e, "dataRef")))
                    report.push_back(path + ": texture " + Attr(e, "name") + " names " + Attr(e, "dataRef") + ", which no manifest holds");
            } else if (tag == "dataMutList") {
                lists.insert(Attr(e, "name"));
            } else if (tag != "variable" && tag != "object") {
                report.push_back(path + ": unknown element <" + tag + ">");
            }
        }
        // Variables are read before lists and objects, so all are known there.
        for (const TiXmlElement* e = root->FirstChildElement("variable"); e; e = e->NextSiblingElement("variable")) {
            std::string why;
            std::set<std::string> known = vars;
            if (!FormulaOk(Attr(e, "value"), known, why))
                report.push_back(path + ": variable " + Attr(e, "name") + ": " + why);
            vars.insert(Attr(e, "name"));
        }
        for (const TiXmlElement* e = root->FirstChildElement(); e; e = e->NextSiblingElement()) {
            std::string tag = e->Value();
            if (tag != "dataMutList" && tag != "object")
                continue;
            std::set<std::string> local = vars;
            bool blocking = false;
            for (const TiXmlElement* s = e->FirstChildElement(); s; s = s->NextSiblingElement()) {
                std::string step = s->Value();
                auto it = steps.find(step);
                std::string where = path + ": " + tag + " " + Attr(e, "name") + ": <" + step + ">";
                if (it == steps.end()) {
                    report.push_back(where + " is not a known step");
                    continue;
                }
                for (const char* a : it->second) {
                    std::string why;
                    if (s->Attribute(a) && !FormulaOk(s->Attribute(a), local, why))
                        report.push_back(where + " " + a + "=\"" + s->Attribute(a) + "\": " + why);
                }
                if (step == "setVar")
                    local.insert(Attr(s, "name"));
                if (step == "setTexture" && !textures.count(Attr(s, "name")))
                    report.push_back(where + " names an unknown texture " + Attr(s, "name"));
                if (step == "mutWaitTick" || (step == "mutWait" && std::atof(Attr(s, "time").c_str()) > 0))
                    blocking = true;
                if (step == "addMutList") {
                    if (!lists.count(Attr(s, "dataRef")))
                        report.push_back(where + " names an unknown list " + Attr(s, "dataRef"));
                    if (tag == "dataMutList" && Attr(s, "dataRef") == Attr(e, "name") && !blocking)
                        report.push_back(where + " repeats its list with no blocking step before it");
                }
            }
        }
    }
}

} // namespace

DataSet::DataSet(std::string root)
{
    // Absolute, so that reading still works where a rule changes folder.
    std::error_code ec;
    std::filesystem::path absolute = std::filesystem::absolute(root, ec);
    mRoot = ec ? root : absolute.string();
}

bool DataSet::Exists(const std::string& path) const
{
    return std::ifstream(mRoot + "/" + path, std::ios::binary).good();
}

bool DataSet::Read(const std::string& path, std::string& out) const
{
    std::ifstream in(mRoot + "/" + path, std::ios::binary);
    if (!in)
        return false;
    out.assign(std::istreambuf_iterator<char>(in), {});
    return true;
}

const std::vector<std::string>& DataSet::Manifests()
{
    LoadManifests();
    return mManifests;
}

const std::vector<Resource>& DataSet::Resources()
{
    LoadManifests();
    return mResources;
}

const std::vector<std::string>& DataSet::ManifestProblems()
{
    LoadManifests();
    return mManifestProblems;
}

const Resource* DataSet::Find(const std::string& id)
{
    for (const Resource& r : Resources())
        if (r.id == id)
            return &r;
    return nullptr;
}

const std::map<std::string, std::string>& DataSet::Strings()
{
    LoadStrings();
    return mStrings;
}

const std::vector<std::string>& DataSet::StringProblems()
{
    LoadStrings();
    return mStringProblems;
}

void DataSet::LoadStrings()
{
    if (mStringsLoaded)
        return;
    mStringsLoaded = true;
    StringTarget target(mStrings);
    auto parse = [&](const std::string& path) {
        std::string text;
        if (!Read(path, text)) {
            mStringProblems.push_back(path + " is missing");
            return;
        }
        Kivo::PropertiesParser parser(&target);
        Kivo::Buffer buffer;
        buffer.SetData(text.data(), int(text.size()));
        if (!parser.ParsePropertiesBuffer(buffer))
            mStringProblems.push_back(path + ": " + parser.GetErrorText());
    };
    parse("properties/translation_00.xml");
    if (!mStrings["translation_file_language"].empty())
        parse(mStrings["translation_file_language"]);
}

void DataSet::LoadManifests()
{
    if (mManifestsLoaded)
        return;
    mManifestsLoaded = true;
    const auto& strings = Strings();
    auto setting = [&](const char* id, const char* fallback) {
        auto it = strings.find(id);
        return it == strings.end() || it->second.empty() ? std::string(fallback) : it->second;
    };
    mManifests = {"properties/resources.xml", "properties/bricks.xml", "properties/town.xml", "properties/loading.xml",
        setting("translation_file_fonts", "properties/lang_00/fonts.xml"),
        setting("translation_file_labels", "properties/lang_00/labels.xml"), "properties/sounds.xml",
        "properties/voice.xml"};
    // Defaults carry over from one manifest to the next, as in the program.
    std::string defaultPath, prefix;
    for (const std::string& m : mManifests) {
        std::string text;
        if (!Read(m, text)) {
            mManifestProblems.push_back(m + " is missing");
            continue;
        }
        Kivo::XMLParser parser;
        parser.SetStringSource(text);
        Kivo::XMLElement e;
        std::string group;
        bool sawRoot = false;
        while (parser.NextElement(&e)) {
            if (e.mType != Kivo::XMLElement::TYPE_START)
                continue;
            if (e.mValue == "ResourceManifest") {
                sawRoot = true;
                continue;
            }
            if (e.mValue == "Resources") {
                group = e.mAttributes["id"];
                continue;
            }
            if (group.empty()) {
                mManifestProblems.push_back(m + ": <" + e.mValue + "> outside a Resources section");
                continue;
            }
            if (e.mValue == "SetDefaults") {
                if (e.mAttributes.count("path")) {
                    std::string p = e.mAttributes["path"];
                    if (!p.empty() && (p.back() == '/' || p.back() == '\\'))
                        p.pop_back();
                    defaultPath = p + "/";
                }
                if (e.mAttributes.count("idprefix")) {
                    prefix = e.mAttributes["idprefix"];
                    if (!prefix.empty() && (prefix.back() == '/' || prefix.back() == '\\'))
                        prefix.pop_back();
                }
                continue;
            }
            if (e.mValue != "Image" && e.mValue != "Sound" && e.mValue != "Font") {
                mManifestProblems.push_back(m + ": unknown element <" + e.mValue + ">");
                continue;
            }
            Resource r;
            r.kind = e.mValue;
            r.group = group;
            r.manifest = m;
            r.attributes = e.mAttributes;
            std::string path = e.mAttributes["path"];
            if (path.empty()) {
                mManifestProblems.push_back(m + ": a " + r.kind + " without a path");
                continue;
            }
            r.path = path[0] == '!' ? path : defaultPath + path;
            // Without an id: the file name of the path, without its extension.
            std::string file = r.path.substr(r.path.find_last_of("/\\") + 1);
            std::string id = e.mAttributes.count("id") ? e.mAttributes["id"] : file.substr(0, file.rfind('.'));
            r.id = prefix + id;
            if (std::any_of(mResources.begin(), mResources.end(), [&](const Resource& o) { return o.id == r.id; }))
                mManifestProblems.push_back(m + ": " + r.id + " is defined twice");
            mResources.push_back(r);
        }
        if (parser.HasFailed())
            mManifestProblems.push_back(m + ": " + parser.GetErrorText());
        else if (!sawRoot)
            mManifestProblems.push_back(m + ": no ResourceManifest root");
    }
}

const std::vector<Rule>& Rules()
{
    static const std::vector<Rule> rules = {
        {"manifests_parse", "every manifest exists and parses; no id is defined twice", ManifestsParse},
        {"manifest_defaults", "every manifest starts with its own SetDefaults", ManifestDefaults},
        {"resource_ids", "every image, font, sound and voice id the program asks for is in its group", ResourceIds},
        {"resource_files", "image files exist once and divide into their cels; sound paths have no extension; font images exist", ResourceFiles},
        {"music", "the five music tracks exist, named with their extension", Music},
        {"texts", "the language files parse and hold every text id", Texts},
        {"texts_fit", "texts fit the room their screens give them in their fonts", TextsFit},
        {"levels", "level files: 403 bytes, a breakable cell, a key way the key can fall along", Levels},
        {"chipsets", "colour sets of digits with at least 6 distinct colours", Chipsets},
        {"town", "5 stages of 4 buildings whose items, layers, images and commands resolve", Town},
        {"town_layout", "no two buildings of the town cover each other beyond a roof's edge", TownLayout},
        {"parchment_contrast", "the letters of FONT_GOLD stand out 4.5 : 1 from the windows' paper", ParchmentContrast},
        {"caption_band", "window captions stand on clear paper, crossed by no ornament", CaptionBands},
        {"hints", "hints in their frozen order, unique, with texts", Hints},
        {"particles", "the own particle systems exist and end by themselves", Particles},
        {"emitters", "every emitter the program names is in its particle file; one-shot ones end", Emitters},
        {"tutorials", "the three tutorial scripts are well formed and their formulas parse", Tutorials},
        {"decode", "every image, font, sound, music track and XML file loads through the program's own readers", Decode},
    };
    return rules;
}

} // namespace datacheck
