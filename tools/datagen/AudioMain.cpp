// The sound half of the data generator:
//   datagen_audio sounds|voices|music <output folder>
// It is a program of its own because libvorbisenc and the program's Ogg
// decoder (Tremor, linked by the platform layer) export the same symbol
// names and cannot share one process.
#include "tools/Usage.h"
#include "tools/datagen/Audio.h"
#include "tools/datagen/Manifest.h"

#include <iostream>

using namespace datagen;

int main(int argc, char** argv)
{
    const tools::Usage usage("usage: datagen_audio sounds|voices|music OUTPUT\n");
    if (usage.Help(argc, argv))
        return 0;
    if (argc != 3)
        return usage.Error();
    const std::string step = argv[1], out = argv[2], tree = out + "/tree";
    std::string error, manifest;
    bool ok;
    if (step == "sounds")
        ok = WriteSounds(tree, manifest, error)
            && WriteFile(tree + "/properties/sounds.xml", Manifest({{"Sounds", Defaults("sounds") + manifest}}));
    else if (step == "voices")
        ok = WriteVoices(tree, manifest, error)
            && WriteFile(tree + "/properties/voice.xml", Manifest({{"Sounds", Defaults("voice") + manifest}}));
    else if (step == "music")
        ok = WriteMusic(tree, error);
    else {
        std::cerr << "datagen_audio: unknown step " << step << "\n";
        return 2;
    }
    if (!ok) {
        std::cerr << "datagen_audio " << step << ": " << error << "\n";
        return 1;
    }
    return WriteFile(out + "/" + step + ".stamp", "") ? 0 : 1;
}
