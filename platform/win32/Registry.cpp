#include "platform/win32/Registry.h"

#include "platform/ReplaceFile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <mutex>
#include <optional>
#include <pwd.h>
#include <strings.h>
#include <unistd.h>
#include <vector>

namespace {

char LowerAscii(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
}

struct NoCaseLess {
    bool operator()(const std::string& a, const std::string& b) const
    {
        return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
            [](char x, char y) { return static_cast<unsigned char>(LowerAscii(x)) < static_cast<unsigned char>(LowerAscii(y)); });
    }
};

struct Value {
    DWORD type = REG_NONE;
    std::string bytes;
};

using Values = std::map<std::string, Value, NoCaseLess>;

// An open key: the full path of its section and the access it was opened with.
struct OpenKey {
    std::string path;
    REGSAM access;
};

const char kRoot[] = "HKEY_CURRENT_USER";

class Store {
public:
    std::mutex mutex;
    int batches = 0;

    // Changes still unwritten get one more try as the process ends. This
    // runs among the exit handlers: everything Write uses is a member, so
    // none of it can have been destroyed first.
    ~Store()
    {
        if (mUnwritten)
            Write();
    }

    void UseMemory(bool memory)
    {
        mMemory = memory;
        mLoaded = memory;
        mUnwritten = false;
        mKeys.clear();
    }

    // The sections, read from the file on first use.
    std::map<std::string, Values, NoCaseLess>& Keys()
    {
        if (!mLoaded) {
            mLoaded = true;
            Load();
        }
        return mKeys;
    }

    // Writes the changes now, or marks them for the end of the batch.
    bool Save()
    {
        if (batches == 0)
            return Write();
        mUnwritten = true;
        return true;
    }
    bool Write();
    bool Unwritten() const { return mUnwritten; }

private:
    void Load();

    bool mUnwritten = false;
    bool mMemory = false;
    bool mLoaded = false;
    std::map<std::string, Values, NoCaseLess> mKeys;
    // The settings file a failed write was last said for: said once per
    // file, so that settings that are not kept do not go unnoticed, nor
    // fill the terminal at every write.
    std::string mToldFor;
};

Store& TheStore()
{
    static Store store;
    return store;
}

// Names and string data are written between quotes with '\' escapes, so
// that any byte, ']' and line breaks included, survives the text file.
std::string Escape(const std::string& s)
{
    std::string out;
    for (unsigned char c : s) {
        if (c == '\\' || c == '"')
            out += '\\', out += static_cast<char>(c);
        else if (c < 0x20 || c >= 0x7F) {
            char hex[5];
            std::snprintf(hex, sizeof hex, "\\x%02x", c);
            out += hex;
        } else
            out += static_cast<char>(c);
    }
    return out;
}

std::string Quoted(const std::string& s)
{
    std::string out(1, '"');
    return out.append(Escape(s)).append(1, '"');
}

int HexDigit(char c)
{
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(c | 0x20);
    return c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
}

// Reads a quoted, escaped string starting at line[pos] == '"'; pos ends
// after the closing quote. False when the text is malformed.
bool Unescape(const std::string& line, size_t& pos, std::string& out)
{
    if (pos >= line.size() || line[pos] != '"')
        return false;
    out.clear();
    for (++pos; pos < line.size(); ++pos) {
        char c = line[pos];
        if (c == '"') {
            ++pos;
            return true;
        }
        if (c != '\\') {
            out += c;
            continue;
        }
        if (++pos >= line.size())
            return false;
        if (line[pos] == 'x') {
            if (pos + 2 >= line.size())
                return false;
            int hi = HexDigit(line[pos + 1]);
            int lo = HexDigit(line[pos + 2]);
            if (hi < 0 || lo < 0)
                return false;
            out += static_cast<char>(hi << 4 | lo);
            pos += 2;
        } else {
            out += line[pos];
        }
    }
    return false;
}

bool ParseHexBytes(const std::string& text, std::string& out)
{
    out.clear();
    for (size_t i = 0; i < text.size();) {
        if (i + 1 >= text.size())
            return false;
        int hi = HexDigit(text[i]);
        int lo = HexDigit(text[i + 1]);
        if (hi < 0 || lo < 0)
            return false;
        out += static_cast<char>(hi << 4 | lo);
        i += 2;
        if (i < text.size() && text[i++] != ',')
            return false;
    }
    return true;
}

bool ParseValue(const std::string& text, Value& v)
{
    if (text.rfind("dword:", 0) == 0) {
        if (text.size() != 14)
            return false;
        uint32_t n = 0;
        for (size_t i = 6; i < 14; ++i) {
            int d = HexDigit(text[i]);
            if (d < 0)
                return false;
            n = n << 4 | static_cast<uint32_t>(d);
        }
        v.type = REG_DWORD;
        v.bytes.assign(reinterpret_cast<const char*>(&n), 4);
        return true;
    }
    if (text.rfind("hex:", 0) == 0) {
        v.type = REG_BINARY;
        return ParseHexBytes(text.substr(4), v.bytes);
    }
    if (text.rfind("hex(", 0) == 0) {
        size_t close = text.find("):");
        if (close == std::string::npos)
            return false;
        char* end = nullptr;
        unsigned long type = std::strtoul(text.c_str() + 4, &end, 16);
        if (end != text.c_str() + close || type > 0xFFFFFFFFul)
            return false;
        v.type = static_cast<DWORD>(type);
        return ParseHexBytes(text.substr(close + 2), v.bytes);
    }
    size_t pos = 0;
    v.type = REG_SZ;
    return Unescape(text, pos, v.bytes) && pos == text.size();
}

std::string FormatValue(const Value& v)
{
    if (v.type == REG_DWORD && v.bytes.size() == 4) {
        uint32_t n;
        std::memcpy(&n, v.bytes.data(), 4);
        char text[16];
        std::snprintf(text, sizeof text, "dword:%08x", n);
        return text;
    }
    if (v.type == REG_SZ)
        return Quoted(v.bytes);
    char prefix[24];
    if (v.type == REG_BINARY)
        std::snprintf(prefix, sizeof prefix, "hex:");
    else
        std::snprintf(prefix, sizeof prefix, "hex(%x):", static_cast<unsigned>(v.type));
    std::string out = prefix;
    for (size_t i = 0; i < v.bytes.size(); ++i) {
        char hex[4];
        std::snprintf(hex, sizeof hex, i ? ",%02x" : "%02x", static_cast<unsigned char>(v.bytes[i]));
        out += hex;
    }
    return out;
}

// Lines that cannot be read are skipped: a damaged store loses only them.
// The file itself is then kept aside (registry.ini.bad) before anything
// writes over it, and that is said once.
void Store::Load()
{
    const std::string file = platform::RegistryFilePath();
    std::ifstream in(file, std::ios::binary);
    Values* section = nullptr;
    bool damaged = false;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        if (line.empty() || line[0] == ';')
            continue;
        if (line.size() >= 2 && line[0] == '[' && line.back() == ']') {
            std::string quoted = line.substr(1, line.size() - 2);
            std::string path;
            size_t pos = 0;
            section = Unescape(quoted, pos, path) && pos == quoted.size() ? &mKeys[path] : nullptr;
            damaged = damaged || !section;
            continue;
        }
        size_t pos = 0;
        std::string name;
        Value v;
        if (section && Unescape(line, pos, name) && pos < line.size() && line[pos] == '=' &&
            ParseValue(line.substr(pos + 1), v))
            (*section)[name] = v;
        else
            damaged = true;
    }
    in.close();
    if (!damaged)
        return;
    std::string copy, error;
    if (platform::KeepDamagedFile(file, &copy, &error))
        std::fprintf(stderr, "Settings file %s is damaged; kept as %s\n", file.c_str(), copy.c_str());
    else
        std::fprintf(stderr, "Settings file %s is damaged and could not be kept: %s\n", file.c_str(), error.c_str());
}

bool Store::Write()
{
    if (mMemory)
        return true;
    std::string text = "; Registry values of Kivo programs, HKEY_CURRENT_USER\n";
    for (const auto& [path, values] : mKeys) {
        text.append("\n[").append(Quoted(path)).append("]\n");
        for (const auto& [name, v] : values)
            text.append(Quoted(name)).append(1, '=').append(FormatValue(v)).append(1, '\n');
    }
    const std::filesystem::path file = platform::RegistryFilePath();
    std::error_code ec;
    std::filesystem::create_directories(file.parent_path(), ec);
    std::string error;
    if (!platform::ReplaceFile(file.string(), text.data(), text.size(), &error)) {
        if (mToldFor != file.string())
            std::fprintf(stderr, "Settings not saved: %s\n", error.c_str());
        mToldFor = file.string();
        return false;
    }
    mUnwritten = false;
    return true;
}

// The full path of `subKey` below `key`: components joined by '\', empty
// ones dropped. False for a handle that is neither HKEY_CURRENT_USER nor
// an open key.
bool FullPath(HKEY key, LPCSTR subKey, std::string& path)
{
    if (key == HKEY_CURRENT_USER)
        path = kRoot;
    else if (key)
        path = reinterpret_cast<OpenKey*>(key)->path;
    else
        return false;
    std::string sub = subKey ? subKey : "";
    size_t pos = 0;
    while (pos <= sub.size()) {
        size_t end = sub.find('\\', pos);
        if (end == std::string::npos)
            end = sub.size();
        if (end > pos)
            path.append(1, '\\').append(sub, pos, end - pos);
        pos = end + 1;
    }
    return true;
}

bool KeyExists(std::map<std::string, Values, NoCaseLess>& keys, const std::string& path)
{
    if (strcasecmp(path.c_str(), kRoot) == 0 || keys.count(path))
        return true;
    // A key also exists when a key below it was created.
    const std::string below = path + "\\";
    auto it = keys.lower_bound(below);
    return it != keys.end() && strncasecmp(it->first.c_str(), below.c_str(), below.size()) == 0;
}

HKEY NewHandle(const std::string& path, REGSAM access)
{
    return reinterpret_cast<HKEY>(new OpenKey { path, access });
}

OpenKey* Opened(HKEY key)
{
    return key && key != HKEY_CURRENT_USER ? reinterpret_cast<OpenKey*>(key) : nullptr;
}

} // namespace

namespace platform {

void UseMemoryRegistry(bool memory)
{
    std::lock_guard lock(TheStore().mutex);
    TheStore().UseMemory(memory);
}

RegistryBatch::RegistryBatch()
{
    std::lock_guard lock(TheStore().mutex);
    ++TheStore().batches;
}

RegistryBatch::~RegistryBatch()
{
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    if (--s.batches == 0 && s.Unwritten())
        s.Write();
}

std::string RegistryFilePath()
{
    std::string base;
    const char* config = std::getenv("XDG_CONFIG_HOME");
    if (config && config[0] == '/') {
        base = config;
    } else {
        const char* home = std::getenv("HOME");
        if (!home || !*home) {
            const passwd* pw = getpwuid(getuid());
            home = pw ? pw->pw_dir : "/tmp";
        }
        base = std::string(home) + "/.config";
    }
    return base + "/kivo/registry.ini";
}

} // namespace platform

LONG RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD, REGSAM access, PHKEY result)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::string path;
    if (!FullPath(key, subKey, path))
        return ERROR_INVALID_HANDLE;
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    if (!KeyExists(s.Keys(), path))
        return ERROR_FILE_NOT_FOUND;
    *result = NewHandle(path, access);
    return ERROR_SUCCESS;
}

LONG RegCreateKeyExA(HKEY key, LPCSTR subKey, DWORD, LPSTR, DWORD, REGSAM access, LPSECURITY_ATTRIBUTES,
    PHKEY result, LPDWORD disposition)
{
    if (!result)
        return ERROR_INVALID_PARAMETER;
    *result = nullptr;
    std::string path;
    if (!FullPath(key, subKey, path))
        return ERROR_INVALID_HANDLE;
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    auto& keys = s.Keys();
    bool exists = KeyExists(keys, path);
    if (!exists) {
        keys[path];
        if (!s.Save()) {
            keys.erase(path);
            return ERROR_WRITE_FAULT;
        }
    }
    if (disposition)
        *disposition = exists ? REG_OPENED_EXISTING_KEY : REG_CREATED_NEW_KEY;
    *result = NewHandle(path, access);
    return ERROR_SUCCESS;
}

LONG RegSetValueExA(HKEY key, LPCSTR valueName, DWORD, DWORD type, const BYTE* data, DWORD size)
{
    OpenKey* k = Opened(key);
    if (!k)
        return ERROR_INVALID_HANDLE;
    if (!(k->access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    if (size && !data)
        return ERROR_INVALID_PARAMETER;
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    Values& values = s.Keys()[k->path];
    const std::string name = valueName ? valueName : "";
    auto old = values.find(name);
    std::optional<Value> previous;
    if (old != values.end()) {
        if (old->second.type == type && old->second.bytes.size() == (data ? size : 0)
            && (!data || std::memcmp(old->second.bytes.data(), data, size) == 0))
            return ERROR_SUCCESS;
        previous = old->second;
    }
    Value& v = values[name];
    v.type = type;
    v.bytes.assign(reinterpret_cast<const char*>(data), data ? size : 0);
    if (!s.Save()) {
        if (previous)
            values[name] = *previous;
        else
            values.erase(name);
        return ERROR_WRITE_FAULT;
    }
    return ERROR_SUCCESS;
}

LONG RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD, LPDWORD type, LPBYTE data, LPDWORD size)
{
    OpenKey* k = Opened(key);
    if (!k)
        return ERROR_INVALID_HANDLE;
    if (!(k->access & KEY_QUERY_VALUE))
        return ERROR_ACCESS_DENIED;
    if (data && !size)
        return ERROR_INVALID_PARAMETER;
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    auto& keys = s.Keys();
    auto section = keys.find(k->path);
    if (section == keys.end())
        return ERROR_FILE_NOT_FOUND;
    auto it = section->second.find(valueName ? valueName : "");
    if (it == section->second.end())
        return ERROR_FILE_NOT_FOUND;
    const Value& v = it->second;
    if (type)
        *type = v.type;
    if (!size)
        return ERROR_SUCCESS;
    const DWORD needed = static_cast<DWORD>(v.bytes.size());
    const DWORD room = *size;
    *size = needed;
    if (!data)
        return ERROR_SUCCESS;
    if (room < needed)
        return ERROR_MORE_DATA;
    std::memcpy(data, v.bytes.data(), needed);
    return ERROR_SUCCESS;
}

LONG RegDeleteValueA(HKEY key, LPCSTR valueName)
{
    OpenKey* k = Opened(key);
    if (!k)
        return ERROR_INVALID_HANDLE;
    if (!(k->access & KEY_SET_VALUE))
        return ERROR_ACCESS_DENIED;
    Store& s = TheStore();
    std::lock_guard lock(s.mutex);
    auto& keys = s.Keys();
    auto section = keys.find(k->path);
    if (section == keys.end())
        return ERROR_FILE_NOT_FOUND;
    auto it = section->second.find(valueName ? valueName : "");
    if (it == section->second.end())
        return ERROR_FILE_NOT_FOUND;
    Value previous = it->second;
    std::string name = it->first;
    section->second.erase(it);
    if (!s.Save()) {
        section->second[name] = previous;
        return ERROR_WRITE_FAULT;
    }
    return ERROR_SUCCESS;
}

LONG RegCloseKey(HKEY key)
{
    OpenKey* k = Opened(key);
    if (!k)
        return key == HKEY_CURRENT_USER ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
    delete k;
    return ERROR_SUCCESS;
}
