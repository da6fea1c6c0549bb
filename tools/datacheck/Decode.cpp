// The decoding rule: every image, font and sound the manifests declare is
// loaded by the program's own resource manager, image files, font
// descriptions and sound readers; every music track by the music library's
// decoder; every XML file by the reader the program reads it with. So the
// checker accepts exactly what the game can load.
#include "framework/core/Buffer.h"
#include "framework/graphics/FontData.h"
#include "framework/graphics/FontHost.h"
#include "framework/graphics/ImageFont.h"
#include "framework/graphics/ImageLib.h"
#include "framework/graphics/MemoryImage.h"
#include "framework/resources/PropertiesParser.h"
#include "framework/resources/ResourceHost.h"
#include "framework/resources/ResourceManager.h"
#include "framework/resources/XMLParser.h"
#include "framework/sound/SoundFiles.h"
#include "platform/audio/Decoders.h"
#include "tools/datacheck/Rules.h"

#include <tinyxml.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <unistd.h>

namespace datacheck {

namespace {

// The application as the resource manager and the fonts see it, with
// images read from their files and sounds decoded into memory. Messages a
// font shows are kept for the report.
class DecodeHost : public Kivo::ResourceHost, public Kivo::FontHost {
public:
    explicit DecodeHost(DataSet& data) : mData(data)
    {
        Kivo::SetResourceHost(this);
        Kivo::SetFontHost(this);
    }
    ~DecodeHost() override
    {
        Kivo::SetFontHost(nullptr);
        Kivo::SetResourceHost(nullptr);
    }
    // The images outlive every handle to them: they go after the manager.
    void DeleteImages()
    {
        for (auto& [name, shared] : mShared)
            delete shared.mImage;
        mShared.clear();
    }

    std::vector<std::string> popups;

    bool Is3DAccelerated() override { return false; }
    Kivo::SharedImageRef GetSharedImage(const std::string& name, const std::string& variant, bool* created,
                                        uint32_t alphaColor) override
    {
        auto [it, inserted] = mShared.try_emplace(name + "|" + variant);
        if (created)
            *created = inserted;
        if (inserted)
            it->second.mImage = Read(name, alphaColor);
        return Kivo::SharedImageRef(&it->second);
    }
    Kivo::SharedImageRef GetSharedImage(const std::string& name, const std::string& variant, bool* created) override
    {
        return GetSharedImage(name, variant, created, 0xFFFFFF);
    }
    Kivo::MemoryImage* GetImage(const std::string& path, bool) override { return Read(path, 0xFFFFFF); }
    bool HasDisplaySurface(Kivo::MemoryImage*) override { return false; }
    void RequestDisplaySurface(Kivo::MemoryImage*) override {}
    void MirrorImageX(Kivo::MemoryImage*) override {}
    void MirrorImageY(Kivo::MemoryImage*) override {}
    void ShiftImageHue(Kivo::MemoryImage*, int) override {}
    int GetFreeSoundId() override { return mNextSound++; }
    bool LoadSound(int, const std::string& path) override
    {
        Kivo::DecodedSound sound;
        return Kivo::DecodeSoundFile(path, sound) && !sound.data.empty();
    }
    void SetBaseVolume(int, double) override {}
    void SetBasePan(int, int) override {}
    void ReleaseSound(int) override {}
    Kivo::ResourceManager* GetResourceManager() override { return nullptr; }
    bool IsMusicDisabled() override { return true; }
    void PlaySample(int) override {}
    void PlayPitchedSample(int, double, int) override {}
    std::string GetAppString(const std::string& id) override
    {
        auto it = mData.Strings().find(id);
        return it == mData.Strings().end() ? std::string() : it->second;
    }

    HWND GetTextWindow() override { return nullptr; }
    Kivo::Image* CopyImage(Kivo::Image* image) override
    {
        auto* copy = new Kivo::MemoryImage();
        if (auto* source = dynamic_cast<Kivo::MemoryImage*>(image)) {
            if (const uint32_t* bits = source->GetBits())
                copy->SetBits(bits, source->mWidth, source->mHeight);
            copy->CopyAttributes(source);
        }
        return copy;
    }
    void Popup(const std::string& text) override { popups.push_back(text); }
    bool BeginSurfaceText(Kivo::Image*, HDC*) override { return false; }
    void EndSurfaceText(Kivo::Image*, HDC) override {}

private:
    static Kivo::MemoryImage* Read(const std::string& path, uint32_t alphaColor)
    {
        std::unique_ptr<ImageLib::Image> file(ImageLib::GetImage(path, true, alphaColor));
        if (!file)
            return nullptr;
        auto* image = new Kivo::MemoryImage();
        image->SetBits(file->mBits, file->mWidth, file->mHeight, false);
        return image;
    }

    DataSet& mData;
    std::map<std::string, Kivo::SharedImage> mShared;
    int mNextSound = 0;
};

// The resource manager, loading every group and going on past a failure so
// that each resource that does not load is reported.
class DecodingManager : public Kivo::ResourceManager {
public:
    using ResourceManager::ResourceManager;

    void Parse(const std::string& manifest)
    {
        if (ParseResourcesFile(manifest))
            return;
        std::lock_guard lock(mLock);
        mHasFailed = false;
        mError.clear();
    }

    void LoadEverything(Report& report, std::vector<std::string>& popups)
    {
        std::vector<std::string> groups;
        for (const auto& [group, list] : mResGroupMap)
            groups.push_back(group);
        for (const std::string& group : groups) {
            StartLoadResources(group);
            for (;;) {
                popups.clear();
                if (LoadNextResource())
                    continue;
                if (!HadError())
                    break;
                std::string problem = GetErrorText();
                // A font's own message says where in its description it failed.
                for (const std::string& text : popups)
                    problem += ": " + Flatten(text);
                report.push_back(problem);
                std::lock_guard lock(mLock);
                mHasFailed = false;
                mError.clear();
            }
        }
    }

    // Image fonts that loaded but cannot draw: no layer with an image and
    // a glyph, or glyphs outside their layer's image.
    void CheckFonts(Report& report)
    {
        for (const auto& [id, res] : mFontMap) {
            auto* font = dynamic_cast<Kivo::ImageFont*>(static_cast<FontRes*>(res)->mFont);
            if (!font || !font->mFontData)
                continue;
            bool glyphs = false;
            for (const Kivo::FontLayerDef& layer : font->mFontData->mFontLayerList) {
                const Kivo::Image* image = layer.mImage.ToImage();
                for (size_t c = 0; c < layer.mCharData.size(); ++c) {
                    const Kivo::Rect& r = layer.mCharData[c].mImageRect;
                    if (r.mWidth <= 0 || r.mHeight <= 0)
                        continue;
                    glyphs = glyphs || image != nullptr;
                    if (image && (r.mX < 0 || r.mY < 0 || r.mX + r.mWidth > image->mWidth || r.mY + r.mHeight > image->mHeight)) {
                        report.push_back(id + ": the glyph of character " + std::to_string(c) + " lies outside its image in " + res->mPath);
                        break;
                    }
                }
            }
            if (!glyphs)
                report.push_back(id + ": " + res->mPath + " defines no glyph with an image");
        }
    }

private:
    // One printable line: the message quotes the description's own bytes.
    static std::string Flatten(std::string text)
    {
        for (char& c : text)
            if (c == '\r' || c == '\n' || c == '\t')
                c = ' ';
            else if (static_cast<unsigned char>(c) < 32 || static_cast<unsigned char>(c) > 126)
                c = '?';
        text.erase(std::unique(text.begin(), text.end(), [](char a, char b) { return a == ' ' && b == ' '; }), text.end());
        return text;
    }
};

// Runs in the data folder, where the program's relative paths lead, and
// goes back where it was.
class InFolder {
public:
    explicit InFolder(const std::string& folder)
    {
        mBack = std::filesystem::current_path(mError);
        std::filesystem::current_path(folder, mError);
    }
    ~InFolder()
    {
        std::error_code ignore;
        std::filesystem::current_path(mBack, ignore);
    }
    bool Ok() const { return !mError; }

private:
    std::filesystem::path mBack;
    std::error_code mError;
};

class IgnoreProperties : public Kivo::PropertiesTarget {
public:
    void SetString(const std::string&, const std::wstring&) override {}
    void SetBoolean(const std::string&, bool) override {}
    void SetInteger(const std::string&, int) override {}
    void SetDouble(const std::string&, double) override {}
    void InsertStringList(const std::string&, const std::vector<std::wstring>&) override {}
};

// Every XML file in the folder, by the reader the program uses for it: the
// manifests by the XML reader, the properties files by the properties
// reader, the others by TinyXML.
void CheckXml(DataSet& data, Report& report)
{
    std::set<std::string> manifests, properties = { "properties/translation_00.xml", "properties/gamesets.xml" };
    for (const std::string& m : data.Manifests())
        manifests.insert(Lower(m));
    for (const char* id : { "translation_file_language" }) {
        auto it = data.Strings().find(id);
        if (it != data.Strings().end() && !it->second.empty())
            properties.insert(Lower(it->second));
    }
    std::error_code ec;
    std::vector<std::string> files;
    for (auto it = std::filesystem::recursive_directory_iterator(".", ec); !ec && it != decltype(it)(); it.increment(ec))
        if (it->is_regular_file(ec) && Lower(it->path().extension().string()) == ".xml")
            files.push_back(it->path().lexically_relative(".").generic_string());
    std::sort(files.begin(), files.end());
    for (const std::string& file : files) {
        std::string text;
        if (!data.Read(file, text)) {
            report.push_back(file + " cannot be read");
            continue;
        }
        std::string error;
        if (manifests.count(Lower(file))) {
            continue; // the resource manager parsed it above
        } else if (properties.count(Lower(file))) {
            IgnoreProperties ignore;
            Kivo::PropertiesParser parser(&ignore);
            Kivo::Buffer buffer;
            buffer.SetData(text.data(), int(text.size()));
            if (!parser.ParsePropertiesBuffer(buffer))
                error = parser.GetErrorText();
        } else {
            TiXmlDocument doc;
            doc.Parse(text.c_str());
            if (doc.Error() || !doc.RootElement())
                error = doc.Error() ? doc.ErrorDesc() : "no root element";
        }
        if (!error.empty())
            report.push_back(file + " does not parse: " + error);
    }
}

void CheckMusic(DataSet& data, Report& report)
{
    std::string text;
    if (!data.Read("properties/music.xml", text))
        return; // the music rule says so
    TiXmlDocument doc;
    doc.Parse(text.c_str());
    if (doc.Error() || !doc.RootElement())
        return;
    for (const TiXmlElement* e = doc.RootElement()->FirstChildElement(); e; e = e->NextSiblingElement()) {
        const char* file = e->Attribute("file");
        std::string bytes;
        if (!file || !data.Read(file, bytes))
            continue; // the music rule says so
        if (!platform::audio::DecodeStream(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()))
            report.push_back(std::string(e->Value()) + ": " + file + " does not decode as music");
    }
}

} // namespace

void Decode(DataSet& data, Report& report)
{
    data.Strings(); // read before the folder changes
    data.Manifests();
    InFolder folder(data.Root());
    if (!folder.Ok()) {
        report.push_back("cannot enter " + data.Root());
        return;
    }
    {
        DecodeHost host(data);
        {
            DecodingManager manager(&host);
            // A manifest that does not parse is the manifests rule's to
            // report; the others are still loaded.
            for (const std::string& m : data.Manifests())
                manager.Parse(m);
            manager.LoadEverything(report, host.popups);
            manager.CheckFonts(report);
        }
        host.DeleteImages();
    }
    CheckMusic(data, report);
    CheckXml(data, report);
}

} // namespace datacheck
