// Reads arbitrary bytes as what the Direct3D capability test reads: an
// adapter description, the driver lists "vhwb.dat" and "vhw.dat" (the first
// three pieces, split at zero bytes; a list missing from the input is a
// missing file), and the stored verdict in the registry, from the rest as
// values of (name, type, length, bytes). A verdict written back must read
// back the same.
#include "FuzzFolder.h"
#include "framework/display/D3DTester.h"
#include "platform/win32/Registry.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <unistd.h>

namespace {

// The lists are read from the working folder: a private one, entered only
// while they are read (the fuzzer writes its findings to the working folder).
const FuzzFolder gPrivateFolder("kivo-d3dtester-fuzz");
const std::string& kPrivateFolder = gPrivateFolder.path;

void WriteList(const char* name, const std::string* text)
{
    const std::string path = kPrivateFolder + "/" + name;
    std::remove(path.c_str());
    if (!text)
        return;
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(text->data(), 1, text->size(), f);
        std::fclose(f);
    }
}

void CheckDriver(Kivo::D3DTester& tester, const std::string& description)
{
    const int back = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (back < 0)
        return;
    if (chdir(kPrivateFolder.c_str()) == 0)
        tester.IsDriverGood(description);
    if (fchdir(back) != 0)
        __builtin_trap();
    close(back);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (kPrivateFolder.empty())
        return 0;
    std::string pieces[3];
    size_t count = 0, pos = 0;
    while (count < 3 && pos < size) {
        const uint8_t c = data[pos++];
        if (c == 0)
            ++count;
        else
            pieces[count] += static_cast<char>(c);
    }
    WriteList("vhwb.dat", count >= 2 ? &pieces[1] : nullptr);
    WriteList("vhw.dat", count >= 3 ? &pieces[2] : nullptr);

    platform::UseMemoryRegistry(true);
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, "SOFTWARE\\Fuzz\\Test3D", 0, const_cast<char*>(""), 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return 0;
    static const char* const kNames[] = { "Version", "MinVidMemory", "RecVidMemory", "DisplayGUID", "FailureReason",
                                          "Warning" };
    while (size - pos >= 3) {
        const char* name = kNames[data[pos] % 6];
        const DWORD type = data[pos + 1] % 5;
        const size_t length = std::min<size_t>(data[pos + 2], size - pos - 3);
        RegSetValueExA(key, name, 0, type, data + pos + 3, DWORD(length));
        pos += 3 + length;
    }

    Kivo::D3DTester tester;
    tester.mMinVidMemory = 6;
    tester.mRecVidMemory = 14;
    CheckDriver(tester, pieces[0]);
    tester.mRecordKey = key;
    tester.ReadResults();
    if (tester.mFailureReason.size() < 4096 && tester.mWarning.size() < 4096) {
        const std::string failure = tester.mFailureReason, warning = tester.mWarning;
        tester.WriteResults();
        tester.mFailureReason.clear();
        tester.mWarning.clear();
        if (tester.ReadResults() != failure.empty() || tester.mNewVerdict || tester.mFailureReason != failure ||
            tester.mWarning != warning)
            __builtin_trap();
    }
    return 0;
}
