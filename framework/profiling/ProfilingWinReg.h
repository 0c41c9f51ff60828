// The configuration store in the Windows registry. Its settings live under
// root\SOFTWARE\ORVA-SYSTEMS\product\application\CurrentVersion; a topic is a key below that,
// an entry a value. Under WOW64 every access names the registry view of the store's mode.
#pragma once
#include "platform/Win32.h"
#include "profiling/ProfilingImpl.h"
#include "profiling/Topic.h"

#include <cstdint>
#include <string>
#include <vector>

namespace ovs {

class ProfilingWinReg;

// Access masks of the registry stores and keys.
constexpr DWORD RegistryReadAccess = 0x20019;      // KEY_READ
constexpr DWORD RegistryReadWriteAccess = 0x2001F; // KEY_READ | KEY_WRITE
constexpr DWORD RegistryView64 = 0x100;            // KEY_WOW64_64KEY
constexpr DWORD RegistryView32 = 0x200;            // KEY_WOW64_32KEY

// One registry value as read by RegistryValue::query.
struct RegistryValue {
    // Called when a query fails, with the Windows error code and whether it was the second
    // query (asked with the size the first one reported); raises the caller's error, or
    // returns to accept the failure (the value then counts as not read).
    using Failure = void (*)(const std::string& name, LONG result, bool secondQuery);

    // RegQueryValueExA into a 256-byte buffer, asked once more with the reported size plus
    // one when that is too small (ERROR_MORE_DATA).
    static RegistryValue query(HKEY key, const std::string& name, Failure failure);
    // The characters up to the first NUL.
    String text() const;

    bool read = false;
    DWORD type = 0;
    std::vector<BYTE> bytes; // as many as the value holds
};

// A handle on one registry key with the entry operations of the registry store.
class TopicWinReg : public Topic {
public:
    // With ownsKey the key is closed on destruction.
    TopicWinReg(HKEY key, ProfilingWinReg* store, bool ownsKey, const std::string& name);
    // A handle on the named topic below the base key of the default facade's registry store
    // (Profiling::defaultProfiling, created on first demand); the key is created or opened.
    explicit TopicWinReg(const std::string& name);
    ~TopicWinReg() override;

    // REG_SZ up to its first NUL, REG_DWORD as decimal text. Throws 1147 for a missing
    // value and 1146 for another type or failure.
    void readString(const std::string& name, String& text) override;
    // An existing REG_DWORD value takes the text as unsigned decimal; otherwise REG_SZ.
    // Returns the Windows error code.
    std::uint32_t writeString(const std::string& name, const std::string& text) override;
    // REG_DWORD of 4 bytes, else ovs::Exception 1146.
    std::int32_t readInt(const std::string& name) override;
    std::uint32_t readUInt(const std::string& name) override;
    // REG_QWORD of 8 bytes, else ovs::Exception 1146.
    std::int64_t readInt64(const std::string& name) override;
    void writeInt(const std::string& name, std::int32_t value) override;
    void writeUInt(const std::string& name, std::uint32_t value) override;
    void writeInt64(const std::string& name, std::int64_t value) override;
    bool entryExists(const std::string& name) override;
    // Throws ovs::Exception 1146 when RegDeleteValueA fails.
    void deleteEntry(const std::string& name) override;
    void listEntries(std::vector<String>& names) override;
    String topicName() const override;

    // REG_BINARY of 32-bit numbers; a missing value gives an empty list.
    void readUIntList(const std::string& name, std::vector<std::uint32_t>& values);
    void writeUIntList(const std::string& name, const std::vector<std::uint32_t>& values);
    void listSubKeys(std::vector<String>& names);
    HKEY key() const { return key_; }

private:
    HKEY key_;
    ProfilingWinReg* store_;
    bool ownsKey_;
    String name_;
};

class ProfilingWinReg : public ProfilingImpl {
public:
    // mode 2 or 3: the 64-bit view under WOW64 (ovs::isWow64Process), mode 6: the 32-bit view.
    explicit ProfilingWinReg(std::uint32_t mode);
    // The same with the WOW64 answer given instead of asked (the view flags follow it).
    ProfilingWinReg(std::uint32_t mode, bool underWow64);
    // Closes the topic and base keys.
    ~ProfilingWinReg() override;

    bool flush() override;
    void readString(const std::string& name, String& text) override;
    std::uint32_t writeString(const std::string& name, const std::string& text) override;
    // The registry has no section text: these do nothing.
    void writeTopicLines(const std::vector<String>& lines) override;
    void writeTopicText(const std::string& text, char separator) override;
    void readTopicLines(std::vector<String>& lines) override;
    void readTopicText(String& text, char separator) override;
    using ProfilingImpl::readTopicText;
    std::int32_t readInt(const std::string& name) override;
    std::int64_t readInt64(const std::string& name) override;
    std::uint32_t readUInt(const std::string& name) override;
    void writeInt(const std::string& name, std::int32_t value) override;
    void writeInt64(const std::string& name, std::int64_t value) override;
    void writeUInt(const std::string& name, std::uint32_t value) override;
    // REG_BINARY, 4 bytes per number.
    void readUIntList(const std::string& name, std::vector<std::uint32_t>& values) override;
    void readIntList(const std::string& name, std::vector<std::int32_t>& values) override;
    void writeUIntList(const std::string& name, const std::vector<std::uint32_t>& values) override;
    void writeIntList(const std::string& name, const std::vector<std::int32_t>& values) override;
    bool isWritable() override;
    bool entryExists(const std::string& name) override;
    // A topic key is open.
    bool topicExists() override;
    void listTopics(std::vector<String>& names) override;
    using ProfilingImpl::listTopics;
    void listEntries(std::vector<String>& names) override;
    // Creates or opens the key below the base key, for writing if allowed, else for
    // reading (then isWritable is false). Returns the Windows error code of the last try.
    std::uint32_t setTopic(const std::string& name) override;
    void enterSubTopic(const std::string& name) override;
    // Opens the parent of the current topic again (the base key when it is the first).
    void leaveSubTopic() override;
    void setRoot(int root) override;
    void setApplicationKey(const std::string& name) override;
    void setProductKey(const std::string& name) override;
    // Deletes the current topic key with its values and sub-keys.
    void deleteTopic() override;
    void deleteEntry(const std::string& name) override;
    String topicName() override;
    bool setText(const void* bytes, std::size_t length) override;
    void getText(String& text) override;
    Topic* openTopic(const std::string& name) override;
    Topic* openTopic(const std::string& parent, const std::string& name) override;

    HKEY root() const { return root_; }
    DWORD viewFlags() const { return viewFlags_; }
    // The base key, opened on first use (null when the path cannot be opened).
    HKEY baseKey();

private:
    // The topic key when one is open, else the base key.
    HKEY currentKey();
    void closeKeys();
    void deleteKeyTree(HKEY parent, const std::string& name);

    bool writable_ = false;
    HKEY topicKey_ = nullptr;
    HKEY baseKey_ = nullptr;
    HKEY root_;
    String applicationKey_;
    String productKey_;
    std::vector<String> topicPath_;
    DWORD viewFlags_ = 0;
};

} // namespace ovs
