// The process-wide list of singletons.
#include "runtime/Singleton.h"

#include <vector>

namespace ovs {
namespace {

std::vector<Singleton*>* registered = nullptr;

} // namespace

CriticalSection& Singleton::creationSection() {
    static CriticalSection* section = new CriticalSection; // outlives every singleton
    return *section;
}

Singleton::Singleton() {
    CriticalSection::Lock lock(creationSection());
    if (registered == nullptr) {
        registered = new std::vector<Singleton*>;
    }
    registered->push_back(this);
}

Singleton::~Singleton() = default;

void Singleton::destroyAll() {
    CriticalSection::Lock lock(creationSection());
    if (registered == nullptr) {
        return;
    }
    // A destructor may request another singleton, which registers anew: take the list first.
    while (registered != nullptr && !registered->empty()) {
        Singleton* last = registered->back();
        registered->pop_back();
        delete last;
    }
    delete registered;
    registered = nullptr;
}

} // namespace ovs
