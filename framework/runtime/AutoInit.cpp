// The process-wide list of registered initialisers.
#include "runtime/AutoInit.h"

#include <vector>

namespace ovs {
namespace {

std::vector<AutoInitBase*>*& registered() {
    static std::vector<AutoInitBase*>* list = nullptr; // filled during static initialisation
    return list;
}

} // namespace

AutoInitBase::AutoInitBase() {
    if (registered() == nullptr) {
        registered() = new std::vector<AutoInitBase*>;
    }
    registered()->push_back(this);
}

AutoInitBase::~AutoInitBase() = default;

void AutoInitBase::initialiseAll() {
    if (registered() == nullptr) {
        return;
    }
    for (std::size_t i = 0; i < registered()->size(); ++i) {
        (*registered())[i]->initialise();
    }
}

void AutoInitBase::destroyAll() {
    std::vector<AutoInitBase*>* list = registered();
    if (list == nullptr) {
        return;
    }
    registered() = nullptr;
    while (!list->empty()) {
        AutoInitBase* last = list->back();
        list->pop_back();
        last->cleanUp();
        delete last;
    }
    delete list;
}

} // namespace ovs
