#include "framework/graphics/SharedImage.h"

#include "framework/graphics/GraphicsHost.h"
#include "framework/graphics/Image.h"

namespace Kivo {

void SharedImageRef::Reference(SharedImage* sharedImage)
{
    mSharedImage = sharedImage;
    if (mSharedImage)
        ++mSharedImage->mRefCount;
}

SharedImageRef::SharedImageRef(const SharedImageRef& other) : mUnsharedImage(other.mUnsharedImage)
{
    Reference(other.mSharedImage);
}

SharedImageRef::SharedImageRef(SharedImage* sharedImage) { Reference(sharedImage); }

void SharedImageRef::Release()
{
    if (mOwnsUnshared)
        delete mUnsharedImage;
    mUnsharedImage = nullptr;
    if (mSharedImage && --mSharedImage->mRefCount == 0)
        GetGraphicsHost()->SetSharedImagesNeedCleaning();
    mSharedImage = nullptr;
}

SharedImageRef& SharedImageRef::operator=(const SharedImageRef& other)
{
    if (&other != this) {
        SharedImage* entry = other.mSharedImage;
        if (entry) // keeps the entry alive when it is also ours
            ++entry->mRefCount;
        Release();
        mSharedImage = entry;
    }
    return *this;
}

SharedImageRef& SharedImageRef::operator=(SharedImage* sharedImage)
{
    if (sharedImage)
        ++sharedImage->mRefCount;
    Release();
    mSharedImage = sharedImage;
    return *this;
}

SharedImageRef& SharedImageRef::operator=(Image* image)
{
    Release();
    mUnsharedImage = image;
    return *this;
}

Image* SharedImageRef::ToImage() const
{
    if (mUnsharedImage)
        return mUnsharedImage;
    return GetSharedImage();
}

} // namespace Kivo
