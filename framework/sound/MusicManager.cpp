#include "framework/sound/MusicManager.h"

#include "framework/core/Strings.h"
#include "framework/sound/AudioHost.h"
#include "framework/sound/MusicInterface.h"
#include "framework/sound/SoundFiles.h"

#include <tinyxml.h>

#include <cstdint>
#include <utility>
#include <vector>

using Kivo::GetAudioHost;

namespace {

const char* const kTrackElements[] = { "menu_track", "level_track1", "level_track2", "level_track3",
                                       "level_track4" };

// Null while the application has no music interface; every call is then
// dropped, as with an interface that has no songs.
Kivo::MusicInterface* Music()
{
    Kivo::AudioHost* host = GetAudioHost();
    return host ? host->GetMusicInterface() : nullptr;
}

} // namespace

MusicManager::MusicManager()
{
    Kivo::MusicInterface* music = Music();
    std::vector<uint8_t> bytes;
    TiXmlDocument doc;
    if (!Kivo::ReadPakFile("properties/music.xml", bytes)) {
        doc.SetError(TiXmlBase::TIXML_ERROR_OPENING_FILE, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
    } else {
        // Parsed as Windows-1252 bytes: TinyXML's UTF-8 mode can step past
        // the end of a truncated multi-byte sequence.
        std::string text(bytes.begin(), bytes.end());
        if (text.compare(0, 3, "\xEF\xBB\xBF") == 0)
            text.erase(0, 3);
        doc.Parse(text.c_str(), nullptr, TIXML_ENCODING_LEGACY);
    }
    if (doc.Error()) {
        std::string message = Kivo::StrFormat("Couldn't open %s. Error returned:\n\"%s\"", "music.xml", doc.ErrorDesc());
        if (Kivo::AudioHost* host = GetAudioHost())
            host->MsgBox(message, "Error", 0);
    }
    TiXmlElement* root = doc.FirstChildElement("Music");
    for (int song = 0; root && music && song < kTracks; ++song) {
        TiXmlElement* track = root->FirstChildElement(kTrackElements[song]);
        if (const char* file = track ? track->Attribute("file") : nullptr)
            mFiles[song] = file;
    }
}

void MusicManager::SwitchTo(int track)
{
    if (track == mCurrentTrack)
        return;
    Kivo::MusicInterface* music = Music();
    if (music)
        music->FadeOut(mCurrentTrack, true, kFadeSpeed);
    mCurrentTrack = track;
    if (!music)
        return;
    if (track >= 0 && track < kTracks && !mFiles[track].empty())
        music->LoadMusic(track, std::exchange(mFiles[track], {}));
    music->FadeIn(track, 0, kFadeSpeed, false);
}

void MusicManager::PlayMenuMusic()
{
    SwitchTo(0);
}

void MusicManager::PlayLevelMusic(int level)
{
    // In 64 bits so that the lowest level cannot overflow; the remainder
    // keeps the sign of level - 1, as a truncating division gives it.
    SwitchTo(int((int64_t(level) - 1) % 4 + 1));
}

void MusicManager::FadeOutMusic(float speed)
{
    if (Kivo::MusicInterface* music = Music())
        music->FadeOut(mCurrentTrack, false, speed);
}

void MusicManager::FadeInMusic(float speed, bool continuePlaying)
{
    if (Kivo::MusicInterface* music = Music())
        music->FadeIn(mCurrentTrack, continuePlaying ? -1 : 0, speed, false);
}
