// The configuration-store facade: store creation by mode, scopes and the user-to-machine
// read fallback.
#include "profiling/Profiling.h"

#include "MessageNumbers.h"
#include "profiling/ProfilingIni.h"
#include "profiling/ProfilingIniMemBuff.h"
#include "profiling/ProfilingWinIni.h"
#include "profiling/ProfilingWinReg.h"
#include "runtime/Exception.h"

namespace ovs {

namespace {

Profiling* defaultInstance = nullptr;

} // namespace

Profiling::Profiling() = default;

Profiling::~Profiling() {
    if (defaultInstance == this) {
        defaultInstance = nullptr;
    }
}

Profiling& Profiling::defaultProfiling() {
    if (!defaultInstance) {
        static std::unique_ptr<Profiling> owner;
        owner.reset(new Profiling);
        owner->mode = ProfilingModeRegistry;
        owner->setScope(ProfilingScopeUser);
        defaultInstance = owner.get();
    }
    return *defaultInstance;
}

Topic* Profiling::openTopic(const std::string& name) {
    ProfilingImpl* store = scope_ == ProfilingScopeUser ? user_.get() : machine_.get();
    return store ? store->openTopic(name) : nullptr;
}

std::unique_ptr<ProfilingImpl> Profiling::createStore(ProfilingMode storeMode) {
    switch (storeMode) {
    case ProfilingModeWinIni: return std::make_unique<ProfilingWinIni>();
    case ProfilingModeRegistry: return std::make_unique<ProfilingWinReg>(storeMode);
    case ProfilingModeRegistryMachine: {
        auto store = std::make_unique<ProfilingWinReg>(storeMode);
        store->setRoot(ProfilingRootMachine);
        store->setVersionKeyName("CurrentVersion");
        return store;
    }
    case ProfilingModeIniMemory: return std::make_unique<ProfilingIniMemBuff>();
    case ProfilingModeIniText: return std::make_unique<ProfilingIni>();
    case ProfilingModeRegistry32: return std::make_unique<ProfilingWinReg>(storeMode);
    default: throw Exception(msg::FreeFatalError, "Invalid profiling mode!");
    }
}

bool Profiling::isRegistryMode() const {
    return mode == ProfilingModeRegistry || mode == ProfilingModeRegistryMachine || mode == ProfilingModeRegistry32;
}

void Profiling::setScope(ProfilingScope newScope) {
    scope_ = newScope;
    switch (newScope) {
    case ProfilingScopeBoth:
        if (!user_)
            user_ = createStore(mode);
        user_->setRoot(ProfilingRootUser);
        if (!machine_)
            machine_ = createStore(mode);
        machine_->setRoot(ProfilingRootMachine);
        return;
    case ProfilingScopeMachine:
        if (!machine_) {
            machine_ = createStore(mode);
            machine_->setRoot(ProfilingRootMachine);
        }
        if (isRegistryMode())
            machine_->setRoot(ProfilingRootMachine);
        return;
    case ProfilingScopeUser:
        if (!user_) {
            user_ = createStore(mode);
            user_->setRoot(ProfilingRootUser);
        }
        if (isRegistryMode())
            user_->setRoot(ProfilingRootUser);
        return;
    default: return;
    }
}

void Profiling::open(const FileString& path) {
    if (!user_ && !machine_) {
        scope_ = ProfilingScopeMachine;
        machine_ = createStore(mode);
        machine_->setRoot(ProfilingRootMachine);
        if (isRegistryMode())
            machine_->setRoot(ProfilingRootMachine);
    }
    if ((scope_ == ProfilingScopeBoth || scope_ == ProfilingScopeUser) && user_)
        user_->setFile(path);
    if ((scope_ == ProfilingScopeBoth || scope_ == ProfilingScopeMachine) && machine_)
        machine_->setFile(path);
}

ProfilingImpl* Profiling::addressedStore() {
    switch (scope_) {
    case ProfilingScopeBoth:
    case ProfilingScopeUser: return user_.get();
    case ProfilingScopeMachine: return machine_.get();
    default: return nullptr;
    }
}

std::uint32_t Profiling::setTopic(const std::string& name) {
    std::uint32_t result = 0;
    if ((scope_ == ProfilingScopeBoth || scope_ == ProfilingScopeMachine) && machine_)
        result = machine_->setTopic(name);
    if ((scope_ == ProfilingScopeBoth || scope_ == ProfilingScopeUser) && user_)
        result = user_->setTopic(name);
    return result;
}

bool Profiling::flush() {
    bool result = true;
    if ((scope_ == ProfilingScopeBoth || scope_ == ProfilingScopeUser) && user_)
        result = user_->flush() && result;
    if ((scope_ == ProfilingScopeBoth || scope_ == ProfilingScopeMachine) && machine_)
        result = machine_->flush() && result;
    return result;
}

bool Profiling::topicExists() {
    switch (scope_) {
    case ProfilingScopeBoth: return (user_ && user_->topicExists()) || (machine_ && machine_->topicExists());
    case ProfilingScopeMachine: return machine_ && machine_->topicExists();
    case ProfilingScopeUser: return user_ && user_->topicExists();
    default: return false;
    }
}

bool Profiling::entryExists(const std::string& name) {
    switch (scope_) {
    case ProfilingScopeBoth: return (user_ && user_->entryExists(name)) || (machine_ && machine_->entryExists(name));
    case ProfilingScopeMachine: return machine_ && machine_->entryExists(name);
    case ProfilingScopeUser: return user_ && user_->entryExists(name);
    default: return false;
    }
}

std::uint32_t Profiling::readInteger(const std::string& name) {
    ProfilingImpl* candidates[2] = {nullptr, nullptr};
    switch (scope_) {
    case ProfilingScopeBoth:
        candidates[0] = user_.get();
        candidates[1] = machine_.get();
        break;
    case ProfilingScopeMachine: candidates[0] = machine_.get(); break;
    case ProfilingScopeUser: candidates[0] = user_.get(); break;
    default: break;
    }
    for (ProfilingImpl* store : candidates) {
        if (store && store->entryExists(name)) {
            return store->readUInt(name);
        }
    }
    throw ProfilingEntryNotFound();
}

void Profiling::readString(const std::string& name, String& text) {
    if (ProfilingImpl* store = addressedStore()) {
        store->readString(name, text);
    } else {
        text.clear();
    }
}

bool Profiling::readEntry(const std::string& name, String& text) {
    // With both stores the entry may be the machine's while the text is read from the user's.
    if (scope_ == ProfilingScopeBoth) {
        text.clear();
        if (!entryExists(name)) {
            return false;
        }
        readString(name, text);
        return true;
    }
    if (ProfilingImpl* store = addressedStore()) {
        return store->readEntry(name, text);
    }
    text.clear();
    return false;
}

std::uint32_t Profiling::writeString(const std::string& name, const std::string& text) {
    ProfilingImpl* store = addressedStore();
    return store ? store->writeString(name, text) : 0;
}

void Profiling::writeInteger(const std::string& name, std::uint32_t value) {
    if (ProfilingImpl* store = addressedStore()) {
        store->writeInt(name, static_cast<std::int32_t>(value));
    }
}

void Profiling::writeTopicLines(const std::vector<String>& lines) {
    if (ProfilingImpl* store = addressedStore()) {
        store->writeTopicLines(lines);
    }
}

String Profiling::topicName() {
    if (user_)
        return user_->topicName();
    if (machine_)
        return machine_->topicName();
    return String();
}

} // namespace ovs
