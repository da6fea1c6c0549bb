#pragma once
// Stored calls: a member or free function bound to its target and up to
// three arguments. Whoever holds one invokes it at most once and deletes it.

class baseCallback {
public:
    virtual ~baseCallback() = default;
    virtual void Invoke() = 0;
    virtual baseCallback* Clone() = 0;
};

template <class T, class R>
class CB_Callback : public baseCallback {
public:
    using Method = R (T::*)();
    CB_Callback(T* object, Method method) : mObject(object), mMethod(method) {}
    void Invoke() override { (mObject->*mMethod)(); }
    baseCallback* Clone() override { return new CB_Callback(*this); }

    T* mObject;
    Method mMethod;
};

template <class T, class A, class R>
class CB_Callback_P1 : public baseCallback {
public:
    using Method = R (T::*)(A);
    CB_Callback_P1(T* object, A a, Method method) : mObject(object), mA(a), mMethod(method) {}
    void Invoke() override { (mObject->*mMethod)(mA); }
    baseCallback* Clone() override { return new CB_Callback_P1(*this); }

    T* mObject;
    A mA;
    Method mMethod;
};

template <class T, class A, class B, class R>
class CB_Callback_P2 : public baseCallback {
public:
    using Method = R (T::*)(A, B);
    CB_Callback_P2(T* object, A a, B b, Method method) : mObject(object), mA(a), mB(b), mMethod(method) {}
    void Invoke() override { (mObject->*mMethod)(mA, mB); }
    baseCallback* Clone() override { return new CB_Callback_P2(*this); }

    T* mObject;
    A mA;
    B mB;
    Method mMethod;
};

template <class T, class A, class B, class C, class R>
class CB_Callback_P3 : public baseCallback {
public:
    using Method = R (T::*)(A, B, C);
    CB_Callback_P3(T* object, A a, B b, C c, Method method)
        : mObject(object), mA(a), mB(b), mC(c), mMethod(method)
    {
    }
    void Invoke() override { (mObject->*mMethod)(mA, mB, mC); }
    baseCallback* Clone() override { return new CB_Callback_P3(*this); }

    T* mObject;
    A mA;
    B mB;
    C mC;
    Method mMethod;
};

template <class A>
class CB_CallbackStatic_P1 : public baseCallback {
public:
    using Function = void (*)(A);
    CB_CallbackStatic_P1(A a, Function function) : mA(a), mFunction(function) {}
    void Invoke() override { mFunction(mA); }
    baseCallback* Clone() override { return new CB_CallbackStatic_P1(*this); }

    A mA;
    Function mFunction;
};

// Runs the held call, if any, and deletes it; the holder is emptied first, so
// a call that reaches its holder again finds nothing to run.
inline void InvokeOnce(baseCallback*& callback)
{
    if (baseCallback* call = callback) {
        callback = nullptr;
        call->Invoke();
        delete call;
    }
}
