// pakbuild [-C ROOT] [-l LIST] OUTPUT.pak [PATH...]
// Packs the files and folders PATH (and those named one per line in LIST),
// given relative to ROOT (default: the working folder), into OUTPUT.pak.
// Entry names are the paths relative to ROOT with '\' separators.
#include "tools/Usage.h"
#include "tools/pakbuild/PakWriter.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

int main(int argc, char** argv)
{
    const tools::Usage usage("usage: pakbuild [-C ROOT] [-l LIST] OUTPUT.pak [PATH...]\n");
    if (usage.Help(argc, argv))
        return 0;
    std::string root;
    std::string output;
    std::vector<std::string> paths;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-C") == 0 && i + 1 < argc) {
            root = argv[++i];
        } else if (std::strcmp(argv[i], "-l") == 0 && i + 1 < argc) {
            std::ifstream list(argv[++i]);
            if (!list) {
                std::fprintf(stderr, "pakbuild: cannot read the list '%s'\n", argv[i]);
                return 1;
            }
            for (std::string line; std::getline(list, line);) {
                if (!line.empty() && line.back() == '\r')
                    line.pop_back();
                if (!line.empty())
                    paths.push_back(line);
            }
        } else if (argv[i][0] == '-' && argv[i][1] != 0) {
            return usage.Error();
        } else if (output.empty()) {
            output = argv[i];
        } else {
            paths.push_back(argv[i]);
        }
    }
    if (output.empty() || paths.empty())
        return usage.Error();

    std::vector<pakbuild::PakEntry> entries;
    std::string error;
    if (!pakbuild::CollectEntries(root, paths, entries, error, output)) {
        std::fprintf(stderr, "pakbuild: %s\n", error.c_str());
        return 1;
    }
    std::string pak = pakbuild::BuildPak(entries);
    std::string temp = output + ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        if (!(out << pak) || !out.flush()) {
            std::fprintf(stderr, "pakbuild: cannot write '%s'\n", temp.c_str());
            std::remove(temp.c_str());
            return 1;
        }
    }
    if (std::rename(temp.c_str(), output.c_str()) != 0) {
        std::fprintf(stderr, "pakbuild: cannot write '%s'\n", output.c_str());
        std::remove(temp.c_str());
        return 1;
    }
    std::printf("pakbuild: %zu entries, %zu bytes -> %s\n", entries.size(), pak.size(), output.c_str());
    return 0;
}
