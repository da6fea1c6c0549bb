#pragma once
// What fonts need of the application: its window for measuring, its shared
// images and copies of images, its message box, and GDI access to display
// surfaces. The application implements it; fonts made without one (tools,
// tests) show no messages and load no layer images.
#include "framework/graphics/SharedImage.h"
#include "platform/gdi/Gdi.h"

#include <string>

namespace Kivo {

class Image;

class FontHost {
public:
    virtual ~FontHost() = default;

    // The window whose device context measures system-font text; null
    // means the screen's.
    virtual HWND GetTextWindow() = 0;
    // The image shared under name and variant, loading it on first use;
    // `created` tells whether it was read now. An empty handle when the
    // file cannot be read.
    virtual SharedImageRef GetSharedImage(const std::string& name, const std::string& variant, bool* created) = 0;
    // A new image holding a copy of the picture and its drawing attributes.
    virtual Image* CopyImage(Image* image) = 0;
    // A modal message box.
    virtual void Popup(const std::string& text) = 0;

    // Text straight into a display surface. For an image that is not a
    // display surface image: false. Otherwise the surface is made ready for
    // GDI (made from the pixels when missing, unlocked, an open 3D scene
    // ended when it is the screen) and its device context is stored in `dc`,
    // null when it cannot be taken.
    virtual bool BeginSurfaceText(Image* image, HDC* dc) = 0;
    // Releases the device context, locks the surface again when it was
    // locked, and drops the image's software copies.
    virtual void EndSurfaceText(Image* image, HDC dc) = 0;
};

// The application's host; null until one is installed.
FontHost* GetFontHost();
void SetFontHost(FontHost* host);

} // namespace Kivo
