#pragma once
#include "framework/graphics/Matrix3x3.h"

namespace Kivo {

// A 2-D transform kept as T(post) x [R or S] x T(pre) while the operations
// allow, so that drawing can take a plain, rotated or stretched path; it
// switches to a full matrix once they do not. The decomposed form never holds
// both a rotation and a scale, and holds a scale only with no pre-translation.
class Transform {
public:
    Transform() { Reset(); }

    void Reset();
    void Translate(float tx, float ty);
    void Rotate(float angle);
    void Scale(float sx, float sy);
    const Matrix3x3& GetMatrix();

    Matrix3x3 mMatrix;
    bool mNeedCalcMatrix = true;
    bool mComplex = false; // uses the matrix only
    bool mHaveRot = false;
    bool mHaveScale = false;
    float mTransX1 = 0, mTransY1 = 0; // pre-translation
    float mTransX2 = 0, mTransY2 = 0; // post-translation
    float mScaleX = 1, mScaleY = 1;
    float mRot = 0;

private:
    void MakeComplex();
};

} // namespace Kivo
