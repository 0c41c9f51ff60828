// The INI text store: a whole settings file kept in memory, parsed by the framework's own
// rules and written back whole on flush. The order of sections and entries, and lines that
// are not settings, survive from load to save. ovs::ProfilingIniMemBuff keeps the text in
// a memory buffer instead of a file.
#pragma once
#include "profiling/ProfilingImpl.h"

#include <cstdint>
#include <map>
#include <string>
#include <unordered_map>
#include <vector>

namespace ovs {

class TopicIni;

// The topic selected when an operation needs one and none is selected.
extern const char* ProfilingIniDefaultTopic;

class ProfilingIni : public ProfilingImpl {
public:
    ProfilingIni();
    ~ProfilingIni() override;

    // Serialises and saves when something changed; returns what saveText returns (true
    // when nothing changed). Throws what saveText throws.
    bool flush() override;
    // A missing key, or no section of the current topic, gives the empty text.
    void readString(const std::string& name, String& text) override;
    // Returns 0. A key starting with ";" stores the value unchanged (no "=").
    std::uint32_t writeString(const std::string& name, const std::string& text) override;
    void writeTopicLines(const std::vector<String>& lines) override;
    void writeTopicText(const std::string& text, char separator) override;
    void readTopicLines(std::vector<String>& lines) override;
    // Decimal conversion of the text (32-bit long); a missing key reads as 0.
    std::int32_t readInt(const std::string& name) override;
    std::int64_t readInt64(const std::string& name) override;
    std::uint32_t readUInt(const std::string& name) override;
    // Both write the 32-bit value as unsigned decimal (-1 as 4294967295).
    bool isWritable() override;
    bool entryExists(const std::string& name) override;
    bool topicExists() override;
    void listTopics(std::vector<String>& names) override;
    void listTopics(std::vector<String>& names, bool fromTop) override;
    void listEntries(std::vector<String>& names) override;
    // Returns 1 when a section of that name exists, else 0; an empty name selects the
    // default topic.
    std::uint32_t setTopic(const std::string& name) override;
    // Sub-topics are sections named "parent/child".
    void enterSubTopic(const std::string& name) override;
    void leaveSubTopic() override;
    void setRoot(int root) override;
    void setApplicationKey(const std::string& name) override;
    void setProductKey(const std::string& name) override;
    void deleteTopic() override;
    void deleteEntry(const std::string& name) override;
    String topicName() override;
    // Makes the path absolute, stores it, loads and parses the text. Throws
    // ovs::FileException for file errors.
    void setFile(const FileString& path) override;
    // Decodes the bytes and writes them as the current topic's content (NUL-separated).
    bool setText(const void* bytes, std::size_t length) override;
    // The serialised model.
    void getText(String& text) override;
    Topic* openTopic(const std::string& name) override;
    Topic* openTopic(const std::string& parent, const std::string& name) override;

    // The file's decoded text; false (text empty) when the file is empty or larger than
    // 1 GiB. A missing file is created empty. Throws ovs::FileException.
    virtual bool loadText(String& text);
    // Writes the text as the whole file (create or replace). Without a path: false, or
    // ovs::FileException 1016 when sections exist.
    virtual bool saveText(const std::string& text);

    // When set, setProductKey appends the product name to the path and setApplicationKey
    // appends ".ini" and opens that file.
    void setKeysMakeFileName(bool on) { keysMakeFileName_ = on; }
    bool changed() const { return changed_; }

    // Bytes as text: a UTF-8 mark, a UTF-16 mark (either order) or a UTF-16 text without
    // mark (told by a zero first or second byte) is converted to the narrow text; anything
    // else is taken as it is.
    static String decodeText(const void* bytes, std::size_t length);
    // The same for a text of bytes, taken over without a copy when it needs no conversion.
    static String decodeText(std::string&& bytes);
    // The value of a stored raw value ("=" and the text): the "=" and following spaces
    // dropped; empty for fewer than two characters.
    static String valueOfRaw(const std::string& raw);

protected:
    // Empties the model and parses the text into it.
    void parse(const std::string& text);
    // The whole model as text, every line ending with CR LF.
    String serialise() const;
    // Selects the default topic when none is selected.
    void selectDefaultTopic();

private:
    friend class TopicIni;

    struct Section {
        std::unordered_map<std::string, std::string> entries; // trimmed key -> raw value
        std::vector<std::string> keyOrder;                    // keys in file order
    };

    static String sectionKey(const std::string& name);
    Section* findSection(const std::string& name);
    // The section, created and appended to the section order when it does not exist.
    Section& sectionForWrite(const std::string& name);
    static void putRaw(Section& section, const std::string& key, std::string raw);
    void writeBareKey(const std::string& key);

    bool keysMakeFileName_ = false;
    bool changed_ = false;
    bool topicExists_ = false;
    String topic_;
    std::map<std::string, Section> sections_; // by upper-cased name
    std::vector<String> sectionOrder_;
};

} // namespace ovs
