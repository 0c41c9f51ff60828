// Process-wide single objects. Each registers itself on construction; the shutdown of the
// application deletes them from last to first (Singleton::destroyAll).
#pragma once
#include "runtime/CriticalSection.h"

namespace ovs {

class Singleton {
public:
    Singleton(); // appends this object to the process-wide list
    virtual ~Singleton();
    Singleton(const Singleton&) = delete;
    Singleton& operator=(const Singleton&) = delete;

    // Deletes every registered singleton from last to first, then the list itself.
    static void destroyAll();

protected:
    // Serialises the creation of singletons on first request.
    static CriticalSection& creationSection();
};

// Owns one T, created on first request and deleted with the singleton.
template <class T> class TSingleton : public Singleton {
public:
    // The process-wide T, created on first request.
    static T& instance() {
        CriticalSection::Lock lock(creationSection());
        if (current_ == nullptr) {
            current_ = new TSingleton;
        }
        return *current_->object_;
    }
    // True while the T exists.
    static bool exists() { return current_ != nullptr; }

    ~TSingleton() override {
        delete object_;
        current_ = nullptr;
    }

private:
    TSingleton() : object_(new T) {}
    T* object_;
    static inline TSingleton* current_ = nullptr;
};

} // namespace ovs
