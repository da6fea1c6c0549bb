#pragma once
// Images shared through the application's table, and the counted handle by
// which the resource manager and game code hold them.
#include <atomic>

namespace Kivo {

class Image;

// Handles are taken and dropped on the main thread and on the loading
// thread alike, so the count is atomic; the table itself is guarded by the
// display's lock.
struct SharedImage {
    Image* mImage = nullptr;
    std::atomic<int> mRefCount { 0 };
};

class SharedImageRef {
public:
    SharedImageRef() = default;
    SharedImageRef(const SharedImageRef& other);
    SharedImageRef(SharedImage* sharedImage);
    ~SharedImageRef() { Release(); }

    // Drops the reference; the last one flags the application's table for
    // cleaning. An owned unshared image is deleted.
    void Release();

    // Takes the other's shared entry, not its unshared image.
    SharedImageRef& operator=(const SharedImageRef& other);
    SharedImageRef& operator=(SharedImage* sharedImage);
    SharedImageRef& operator=(Image* image);

    Image* GetSharedImage() const { return mSharedImage ? mSharedImage->mImage : nullptr; }
    // The unshared image when one is held, else the shared one.
    Image* ToImage() const;
    operator Image*() const { return ToImage(); }

    SharedImage* mSharedImage = nullptr;
    Image* mUnsharedImage = nullptr;
    bool mOwnsUnshared = false;

private:
    void Reference(SharedImage* sharedImage);
};

} // namespace Kivo
