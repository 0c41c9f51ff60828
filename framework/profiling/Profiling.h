// The configuration-store facade: settings and control files are read and written through
// it. It holds up to two stores, one for the current user and one for the machine; with
// both (scope 1) queries ask the user's store first and fall back to the machine's.
#pragma once
#include "strings/FileString.h"
#include "profiling/ProfilingImpl.h"
#include "strings/StringBase.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ovs {

// The kind of store Profiling::createStore makes.
using ProfilingMode = std::uint32_t;
constexpr ProfilingMode ProfilingModeWinIni = 0;          // ProfilingWinIni
constexpr ProfilingMode ProfilingModeRegistry = 2;        // ProfilingWinReg, HKEY_CURRENT_USER, 64-bit view
constexpr ProfilingMode ProfilingModeRegistryMachine = 3; // as 2, then HKEY_LOCAL_MACHINE
constexpr ProfilingMode ProfilingModeIniMemory = 4;       // ProfilingIniMemBuff
constexpr ProfilingMode ProfilingModeIniText = 5;         // ProfilingIni
constexpr ProfilingMode ProfilingModeRegistry32 = 6;      // as 2 in the 32-bit view

// Which stores the facade addresses.
using ProfilingScope = std::uint32_t;
constexpr ProfilingScope ProfilingScopeNone = 0;
constexpr ProfilingScope ProfilingScopeBoth = 1; // user first, then machine
constexpr ProfilingScope ProfilingScopeMachine = 2;
constexpr ProfilingScope ProfilingScopeUser = 3;

class Profiling {
public:
    Profiling();
    Profiling(const Profiling&) = delete;
    Profiling& operator=(const Profiling&) = delete;
    // Deletes both stores without flushing; clears the default reference when this is it.
    virtual ~Profiling();

    // A handle on the named topic of the user store (scope 3) or else the machine store,
    // owned by that store; null when that store is absent. Throws what the store throws.
    virtual Topic* openTopic(const std::string& name);

    // A new store of the given kind. Throws ovs::Exception 1000 "Invalid profiling mode!"
    // for mode 1 and modes above 6.
    std::unique_ptr<ProfilingImpl> createStore(ProfilingMode storeMode);

    void setScope(ProfilingScope newScope);
    ProfilingScope scope() const { return scope_; }
    // Binds the addressed stores to the path (creating the machine store when there is none).
    void open(const FileString& path);

    std::uint32_t setTopic(const std::string& name);
    bool flush();
    bool topicExists();
    bool entryExists(const std::string& name);
    // The first addressed store that has the entry, read as unsigned; throws
    // ProfilingEntryNotFound when none has it.
    std::uint32_t readInteger(const std::string& name);
    // Reads the user store in scope 1 (no fallback); empty when no store is addressed.
    void readString(const std::string& name, String& text);
    // entryExists, then readString when the entry exists (else empty text); true when it does.
    bool readEntry(const std::string& name, String& text);
    // Returns the store's Windows error code; 0 when no store is addressed.
    std::uint32_t writeString(const std::string& name, const std::string& text);
    void writeInteger(const std::string& name, std::uint32_t value);
    void writeTopicLines(const std::vector<String>& lines);
    // The user store's topic name, else the machine store's, else empty.
    String topicName();

    ProfilingImpl* userStore() { return user_.get(); }
    ProfilingImpl* machineStore() { return machine_.get(); }

    // The process-wide default facade (registry store of the current user), created on
    // first demand.
    static Profiling& defaultProfiling();

    // The kind of store createStore makes; set by the owner before the first open.
    ProfilingMode mode = ProfilingModeWinIni;

private:
    bool isRegistryMode() const;
    // The store that writes and plain reads address: the user store for scopes 1 and 3,
    // the machine store for scope 2.
    ProfilingImpl* addressedStore();

    std::unique_ptr<ProfilingImpl> user_;
    std::unique_ptr<ProfilingImpl> machine_;
    ProfilingScope scope_ = ProfilingScopeNone;
};

} // namespace ovs
