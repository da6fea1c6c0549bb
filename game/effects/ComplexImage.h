#pragma once
// A picture made of named layers that advances and draws like one image.
#include <string>

class TiXmlElement;

namespace Kivo {
class Graphics;
}

class ComplexImage {
public:
    ComplexImage() = default;
    ComplexImage(const ComplexImage&) = delete;
    ComplexImage& operator=(const ComplexImage&) = delete;
    virtual ~ComplexImage() = default;

    // At (x + own x, y + own y), only when visible.
    virtual void Draw(Kivo::Graphics* g, int x, int y) = 0;
    // At (x, y) whether visible or not; the own offset is not added.
    virtual void DrawForced(Kivo::Graphics* g, int x, int y) = 0;
    // One frame of frame-based animation.
    virtual void Tick() = 0;
    virtual void Update(float dt) = 0;
    virtual int GetWidth() = 0;
    virtual int GetHeight() = 0;
    virtual int GetLayerCount() = 0;
    virtual ComplexImage* FindLayer(const std::string& name) = 0;
    virtual ComplexImage* GetLayer(int index) = 0;
    virtual bool Load(TiXmlElement* element) = 0;

    int mX = 0;
    int mY = 0;
    std::string mName;
    bool mVisible = true;
    bool mDebug = false;
};
