#include "framework/graphics/Transform.h"

namespace Kivo {

void Transform::Reset()
{
    mMatrix.LoadIdentity();
    mNeedCalcMatrix = true;
    mComplex = mHaveRot = mHaveScale = false;
    mTransX1 = mTransY1 = mTransX2 = mTransY2 = 0;
    mScaleX = mScaleY = 1;
    mRot = 0;
}

void Transform::MakeComplex()
{
    GetMatrix();
    mComplex = true;
}

void Transform::Translate(float tx, float ty)
{
    if (mComplex) {
        mMatrix.Translate(tx, ty);
        return;
    }
    mNeedCalcMatrix = true;
    if (mHaveRot || mHaveScale) {
        mTransX2 += tx;
        mTransY2 += ty;
    } else {
        mTransX1 += tx;
        mTransY1 += ty;
    }
}

void Transform::Rotate(float angle)
{
    if (mComplex) {
        mMatrix.Rotate(angle);
    } else if (!mHaveScale) {
        mRot += angle;
        mNeedCalcMatrix = true;
        mHaveRot = true;
    } else {
        MakeComplex();
        mMatrix.Rotate(angle);
    }
}

void Transform::Scale(float sx, float sy)
{
    if (mComplex) {
        mMatrix.Scale(sx, sy);
        return;
    }
    bool stays = !mHaveRot && mTransX1 == 0 && mTransY1 == 0 && sy >= 0 && (sx >= 0 || mScaleX * sx == -1);
    if (stays) {
        mScaleX *= sx;
        mScaleY *= sy;
        mNeedCalcMatrix = true;
        mHaveScale = true;
    } else {
        MakeComplex();
        mMatrix.Scale(sx, sy);
    }
}

const Matrix3x3& Transform::GetMatrix()
{
    if (mNeedCalcMatrix) {
        mNeedCalcMatrix = false;
        mMatrix = Matrix3x3::Translation(mTransX1, mTransY1);
        if (mHaveScale) {
            mMatrix.m[0] = mScaleX;
            mMatrix.m[4] = mScaleY;
        } else if (mHaveRot) {
            mMatrix.Rotate(mRot);
        }
        if (mTransX2 != 0 || mTransY2 != 0)
            mMatrix.Translate(mTransX2, mTransY2);
    }
    return mMatrix;
}

} // namespace Kivo
