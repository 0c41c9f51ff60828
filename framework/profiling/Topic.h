// A handle on one named topic of a configuration store, so that several topics can be used
// side by side. Each store kind implements the entry operations; secure values (scrambled
// text kept under the entry name with "Secure" appended) are implemented here once.
#pragma once
#include "strings/StringBase.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ovs {

class Topic {
public:
    Topic() = default;
    Topic(const Topic&) = delete;
    Topic& operator=(const Topic&) = delete;
    virtual ~Topic();

    // The value as text; what a missing entry gives is the store's.
    virtual void readString(const std::string& name, String& text) = 0;
    // Creates or replaces; returns a Windows error code (0 = written).
    virtual std::uint32_t writeString(const std::string& name, const std::string& text) = 0;
    virtual std::int32_t readInt(const std::string& name) = 0;
    virtual std::uint32_t readUInt(const std::string& name) = 0;
    virtual std::int64_t readInt64(const std::string& name) = 0;
    virtual void writeInt(const std::string& name, std::int32_t value) = 0;
    virtual void writeUInt(const std::string& name, std::uint32_t value) = 0;
    virtual void writeInt64(const std::string& name, std::int64_t value) = 0;
    // True also for an entry with an empty value.
    virtual bool entryExists(const std::string& name) = 0;
    virtual void deleteEntry(const std::string& name) = 0;
    virtual void listEntries(std::vector<String>& names) = 0;
    virtual String topicName() const = 0;

    // Secure values. Reads take the secure form (name + "Secure") when it exists, else the
    // plain entry. Writes store the secure form and remove a plain entry of the same name.
    // readSecureString returns false (text emptied) when neither form exists; a secure form
    // that does not unscramble raises ovs::Exception 1146 with the stored text.
    virtual bool readSecureString(const std::string& name, String& text);
    virtual void writeSecureString(const std::string& name, const std::string& text);
    // The number as readSecureString finds it, converted as unsigned decimal; 0 when missing.
    virtual std::uint32_t readSecureUInt(const std::string& name);
    virtual void writeSecureUInt(const std::string& name, std::uint32_t value);
    // Either form exists.
    virtual bool secureEntryExists(const std::string& name);

    // The stored form of a secure value and its inverse (false for a text that is not one).
    static String scramble(const std::string& name, const std::string& plain);
    static bool unscramble(const std::string& name, const std::string& stored, String& plain);
    static String secureName(const std::string& name) { return name + "Secure"; }
};

} // namespace ovs
