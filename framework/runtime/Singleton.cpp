// The process-wide list of singletons.
#include "runtime/Singleton.h"

#include <vector>

namespace ovs {
namespace {

std::vector<Singleton*>* registered = nullptr;

} // namespace

std::recursive_mutex& Singleton::creationMutex() {
    static std::recursive_mutex* mutex = new std::recursive_mutex; // outlives every singleton
    return *mutex;
}

Singleton::Singleton() {
    std::lock_guard<std::recursive_mutex> lock(creationMutex());
    if (registered == nullptr) {
        registered = new std::vector<Singleton*>;
    }
    registered->push_back(this);
}

Singleton::~Singleton() = default;

void Singleton::destroyAll() {
    std::lock_guard<std::recursive_mutex> lock(creationMutex());
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
