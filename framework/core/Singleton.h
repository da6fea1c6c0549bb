#pragma once
// The mix-in of the one-instance classes: T's construction registers the
// instance, Instance() creates it with new on first use, and deleting it
// clears the registration, so the next Instance() makes a fresh one.
template <class T>
class Singleton {
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

protected:
    // Kept as the base: T is not constructed yet when this runs.
    Singleton() { sInstance = this; }
    virtual ~Singleton()
    {
        if (sInstance == this)
            sInstance = nullptr;
    }

private:
    static inline Singleton* sInstance = nullptr;
};
