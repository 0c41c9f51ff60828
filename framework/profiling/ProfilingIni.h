// The INI text store: a whole settings file kept in memory, parsed by the framework's own
// rules and written back whole on flush. The order of sections and entries, and lines that
// are not settings, survive from load to save. ovs::ProfilingIniMemBuff keeps the text in
// a memory buffer instead of a file.
#pragma once
#include "profiling/ProfilingImpl.h"

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
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
    // Empties the model and parses the text into it. The model keeps the text and refers
    // to it, so the first form takes it over and the second one copies it.
    void parse(String&& text);
    void parse(const std::string& text);
    // The whole model as text, every line ending with CR LF.
    String serialise() const;
    // Writes the serialised model where saveText would put it; flush calls it. The file
    // form writes it to the file in large pieces without building the whole text first; a
    // form that overrides saveText overrides this too.
    virtual bool saveModel();
    // Selects the default topic when none is selected.
    void selectDefaultTopic();

private:
    friend class TopicIni;

    // One entry line: the trimmed key and the raw value, both in the loaded text or in
    // texts the store keeps for written values.
    struct Line {
        const char* key;
        const char* raw;
        std::uint32_t keyLength;
        std::uint32_t rawLength;
        std::string_view keyText() const { return {key, keyLength}; }
        std::string_view rawText() const { return {raw, rawLength}; }
    };
    struct Section {
        std::vector<Line> lines; // in file order; a repeated key has a line each time
        // Key -> its last line, built on the first lookup; a repeated key's lines all show
        // the raw value of the last one.
        mutable std::unordered_map<std::string_view, std::uint32_t> index;
        mutable bool indexed = false;
        mutable bool repeatsKeys = false; // a key may have more than one line
    };

    static String sectionKey(const std::string& name);
    Section* findSection(const std::string& name);
    const Section* findSection(const std::string& name) const;
    // The section, created and appended to the section order when it does not exist.
    Section& sectionForWrite(const std::string& name);
    static void buildIndex(const Section& section);
    // The last line of the trimmed key; null when there is none.
    static const Line* findLine(const Section& section, std::string_view key);
    // The raw value the line is written with (that of the key's last line).
    static std::string_view effectiveRaw(const Section& section, const Line& line);
    // Replaces the key's value, or appends the key as the section's last line.
    void putRaw(Section& section, const std::string& key, std::string raw);
    // Removes every line of the key; false when there was none.
    static bool eraseKey(Section& section, std::string_view key);
    static void listKeys(const Section& section, std::vector<String>& names);
    void writeBareKey(const std::string& key);
    // Passes the serialised model to out in pieces.
    template <class Out> void writeModel(Out& out) const;

    bool keysMakeFileName_ = false;
    bool changed_ = false;
    bool topicExists_ = false;
    String topic_;
    String text_;                                       // the loaded text the lines refer to
    std::deque<std::string> kept_;                      // keys and raw values written since
    std::unordered_map<std::string, Section> sections_; // by upper-cased name
    std::vector<String> sectionOrder_;
};

} // namespace ovs
