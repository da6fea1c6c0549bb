#pragma once
// The mix-in of the one-instance classes: T's construction registers the
// instance, Instance() creates it with new on first use, and deleting it
// clears the registration, so the next Instance() makes a fresh one.

// What every instance can do without knowing its class: give up its
// registration early, while it lives on (an object already queued for
// deletion must not be handed out again).
class SingletonBase {
public:
    virtual ~SingletonBase() = default;
    // The next Instance() makes a fresh object; nothing when this object
    // is not the registered one.
    virtual void ReleaseInstance() = 0;
};

template <class T>
class Singleton : public SingletonBase {
public:
    Singleton(const Singleton&) = delete;
    Singleton& operator=(const Singleton&) = delete;

    static T* Instance()
    {
        if (!sInstance)
            new T();
        return static_cast<T*>(sInstance);
    }
    // The instance when one exists; never creates it.
    static T* Existing() { return static_cast<T*>(sInstance); }

    void ReleaseInstance() override
    {
        if (sInstance == this)
            sInstance = nullptr;
    }

protected:
    // Kept as the base: T is not constructed yet when this runs.
    Singleton() { sInstance = this; }
    ~Singleton() override { ReleaseInstance(); }

private:
    static inline Singleton* sInstance = nullptr;
};
