#pragma once
// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes.
#include <string>

namespace testsupport {

class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return mPath; }
    // Path() + "/" + name.
    std::string operator/(const std::string& name) const { return mPath + "/" + name; }
    // Writes `bytes` to the file `name` in the folder, creating folders on the way.
    std::string Write(const std::string& name, const std::string& bytes) const;

private:
    std::string mPath;
};

} // namespace testsupport
