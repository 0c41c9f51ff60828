// The INI text store over a memory buffer instead of a file: loading copies the buffer,
// saving replaces it. Used for control files that never touch the disk.
#pragma once
#include "profiling/ProfilingIni.h"

namespace ovs {

class ProfilingIniMemBuff : public ProfilingIni {
public:
    ProfilingIniMemBuff();
    ~ProfilingIniMemBuff() override;

    // The buffer; false when it is empty.
    bool loadText(String& text) override;
    // The text becomes the buffer; true.
    bool saveText(const std::string& text) override;
    // The decoded bytes become the buffer and the model is parsed from it; true.
    bool setText(const void* bytes, std::size_t length) override;
    // The buffer as last saved (flush first to include unsaved writes).
    void getText(String& text) override;
    // The topic operations work on the model; writes also refresh the buffer at once.
    void writeTopicLines(const std::vector<String>& lines) override;
    void writeTopicText(const std::string& text, char separator) override;
    void readTopicLines(std::vector<String>& lines) override;
    void readTopicText(String& text, char separator) override;
    using ProfilingIni::readTopicText;

protected:
    // The serialised model becomes the buffer (through saveText).
    bool saveModel() override;

private:
    String buffer_;
};

} // namespace ovs
