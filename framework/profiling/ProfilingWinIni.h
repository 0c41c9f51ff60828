// The configuration store over Windows private-profile INI files: every operation is one
// or two calls of the private-profile functions on the store's file, so each write reaches
// the file at once.
#pragma once
#include "profiling/ProfilingImpl.h"

namespace ovs {

class ProfilingWinIni : public ProfilingImpl {
public:
    ProfilingWinIni();
    ~ProfilingWinIni() override;

    // Asks Windows to write its cached copy; true.
    bool flush() override;
    // At most 511 characters; a missing entry gives the empty text.
    void readString(const std::string& name, String& text) override;
    bool readEntry(const std::string& name, String& text) override;
    // Returns GetLastError after WritePrivateProfileStringA; failures are not raised.
    std::uint32_t writeString(const std::string& name, const std::string& text) override;
    void writeTopicLines(const std::vector<String>& lines) override;
    // Deletes the section, then writes the entries as the section's content.
    void writeTopicText(const std::string& text, char separator) override;
    void readTopicLines(std::vector<String>& lines) override;
    // One look-up of the section, its lines joined as readTopicLines gives them.
    void readTopicText(String& text, char separator) override;
    using ProfilingImpl::readTopicText;
    // GetPrivateProfileIntA with default 0.
    std::int32_t readInt(const std::string& name) override;
    std::int64_t readInt64(const std::string& name) override;
    std::uint32_t readUInt(const std::string& name) override;
    // Both write the 32-bit value as unsigned decimal (-1 as 4294967295).
    bool isWritable() override;
    bool entryExists(const std::string& name) override;
    bool topicExists() override;
    void listTopics(std::vector<String>& names) override;
    using ProfilingImpl::listTopics;
    void listEntries(std::vector<String>& names) override;
    // Returns 0.
    std::uint32_t setTopic(const std::string& name) override;
    // The section becomes "section/name".
    void enterSubTopic(const std::string& name) override;
    void leaveSubTopic() override;
    void setRoot(int root) override;
    void setApplicationKey(const std::string& name) override;
    void setProductKey(const std::string& name) override;
    // Both throw the file error of the failed write (access denied, disk full, ...) with the
    // file named, as every write of this store does.
    void deleteTopic() override;
    void deleteEntry(const std::string& name) override;
    String topicName() override;
    bool setText(const void* bytes, std::size_t length) override;
    void getText(String& text) override;
    // Throw ovs::Exception 42 "Not implemented": this store has no topic handles.
    Topic* openTopic(const std::string& name) override;
    Topic* openTopic(const std::string& parent, const std::string& name) override;

    // "HKEY_LOCAL_MACHINE" or "HKEY_CURRENT_USER" as setRoot chose it, empty before.
    const char* rootName() const { return rootName_; }

private:
    String section_;
    const char* rootName_ = ""; // a literal: a store is made for every control file read
};

} // namespace ovs
