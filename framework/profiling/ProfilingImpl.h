// The back-end interface of the configuration stores: one topic (an INI section or a
// registry key) is current, and its entries (INI keys or registry values) are read and
// written by name. The generic operations (byte blocks as hexadecimal text, number lists
// as decimal text, the version key name, the file) are implemented here on top of the
// store-specific ones.
#pragma once
#include "strings/FileString.h"
#include "profiling/Topic.h"
#include "strings/StringBase.h"

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ovs {

// Roots a store can be switched to with ProfilingImpl::setRoot.
constexpr int ProfilingRootMachine = 2;
constexpr int ProfilingRootUser = 3;

class ProfilingImpl {
public:
    ProfilingImpl();
    ProfilingImpl(const ProfilingImpl&) = delete;
    ProfilingImpl& operator=(const ProfilingImpl&) = delete;
    // Deletes the topic handles handed out.
    virtual ~ProfilingImpl();

    // Writes buffered changes out; false when that was not possible.
    virtual bool flush() = 0;
    // The value as text; what a missing entry gives is the store's.
    virtual void readString(const std::string& name, String& text) = 0;
    // The value as text when the entry exists (true), else empty text (false): entryExists
    // followed by readString, which a store may answer in one look-up.
    virtual bool readEntry(const std::string& name, String& text);
    // Creates or replaces; returns a Windows error code (0 = written).
    virtual std::uint32_t writeString(const std::string& name, const std::string& text) = 0;
    // Replaces the whole current topic by these "key=value" lines.
    virtual void writeTopicLines(const std::vector<String>& lines) = 0;
    // Replaces the whole current topic; entries are separated by the separator character.
    virtual void writeTopicText(const std::string& text, char separator) = 0;
    virtual void readTopicLines(std::vector<String>& lines) = 0;
    // The topic's lines (readTopicLines) joined by the separator character.
    virtual void readTopicText(String& text, char separator);
    // The lines joined by line feeds.
    virtual void readTopicText(String& text);
    virtual std::int32_t readInt(const std::string& name) = 0;
    virtual std::int64_t readInt64(const std::string& name) = 0;
    virtual std::uint32_t readUInt(const std::string& name) = 0;
    // Text stores write numbers as unsigned decimal text through writeString (a negative
    // 32-bit value as its two's complement: -1 as 4294967295); the registry overrides them.
    virtual void writeInt(const std::string& name, std::int32_t value);
    virtual void writeInt64(const std::string& name, std::int64_t value);
    virtual void writeUInt(const std::string& name, std::uint32_t value);
    // Number lists of the text stores: decimal numbers joined by ","; reading splits at ","
    // and ";". An empty list writes nothing; a missing entry reads as an empty list.
    virtual void readUIntList(const std::string& name, std::vector<std::uint32_t>& values);
    virtual void readIntList(const std::string& name, std::vector<std::int32_t>& values);
    virtual void writeUIntList(const std::string& name, const std::vector<std::uint32_t>& values);
    virtual void writeIntList(const std::string& name, const std::vector<std::int32_t>& values);
    // Byte blocks as two upper-case hexadecimal digits per byte, through writeString.
    virtual void writeBinary(const std::string& name, const void* bytes, std::size_t count);
    // Converts digit pairs (after an optional "0x") into the buffer until the text ends or
    // the buffer is full; returns the number of bytes. Throws ovs::Exception 1142 (name,
    // stored text) at a character that is not a hexadecimal digit.
    virtual std::size_t readBinary(const std::string& name, void* buffer, std::size_t bufferSize);
    // The current topic was opened for writing.
    virtual bool isWritable() = 0;
    // True also for an entry with an empty value.
    virtual bool entryExists(const std::string& name) = 0;
    virtual bool topicExists() = 0;
    virtual void listTopics(std::vector<String>& names) = 0;
    // Lists the topics from the top of the store (fromTop) or below the current topic; the
    // generic form forwards to listTopics(names).
    virtual void listTopics(std::vector<String>& names, bool fromTop);
    // Entry names of the current topic.
    virtual void listEntries(std::vector<String>& names) = 0;
    // Makes the topic current. The result is the store's: a Windows error code for the
    // registry, 1 when the section already exists for the INI text store, 0 otherwise.
    virtual std::uint32_t setTopic(const std::string& name) = 0;
    virtual void enterSubTopic(const std::string& name) = 0;
    virtual void leaveSubTopic() = 0;
    // ProfilingRootMachine or ProfilingRootUser; other values leave the root unchanged.
    virtual void setRoot(int root) = 0;
    virtual void setApplicationKey(const std::string& name) = 0;
    virtual void setProductKey(const std::string& name) = 0;
    virtual void deleteTopic() = 0;
    virtual void deleteEntry(const std::string& name) = 0;
    virtual String topicName() = 0;
    // The store's file becomes this path.
    virtual void setFile(const FileString& path);
    // The version key name becomes "MM.mm" (each at least two digits: 1 and 5 give 01.05).
    virtual void setVersionKey(unsigned major, unsigned minor);
    // Replaces the store's whole text (INI text store); the Windows stores return false.
    virtual bool setText(const void* bytes, std::size_t length) = 0;
    // The store's whole text; the Windows stores give the empty text.
    virtual void getText(String& text) = 0;
    // A handle on the named topic, owned by the store. Throws ovs::Exception 42 where the
    // store has no topic handles.
    virtual Topic* openTopic(const std::string& name) = 0;
    // A handle on the topic "parent" + separator + "name" of the store.
    virtual Topic* openTopic(const std::string& parent, const std::string& name) = 0;

    const FileString& file() const { return file_; }
    const String& versionKey() const { return versionKey_; }
    void setVersionKeyName(const std::string& name) { versionKey_ = name; }
    const String& companyKey() const { return companyKey_; }

protected:
    // Takes ownership of a handle handed out by openTopic.
    Topic* keepTopic(std::unique_ptr<Topic> topic);

    FileString file_;
    String versionKey_;
    String companyKey_;
    std::vector<std::unique_ptr<Topic>> topics_;
};

// The C runtime's decimal conversion of a 32-bit long (strtol): leading blanks, optional
// sign, digits up to the first other character; no digits give 0; out of range saturates.
std::int32_t profilingDecimalLong(const std::string& text);
// The same with a 64-bit range.
std::int64_t profilingDecimalInt64(const std::string& text);
// The C runtime's decimal conversion of a 32-bit unsigned long (strtoul), the same on every
// target: leading white space, optional sign, digits up to the first other character; no
// digits give 0; a magnitude above 4294967295 gives 4294967295 whatever the sign; a negative
// number wraps around (-1 gives 4294967295).
std::uint32_t profilingDecimalULong(const std::string& text);

} // namespace ovs
