// The INI text store over a memory buffer.
#include "profiling/ProfilingIniMemBuff.h"

namespace ovs {

ProfilingIniMemBuff::ProfilingIniMemBuff() = default;

ProfilingIniMemBuff::~ProfilingIniMemBuff() = default;

bool ProfilingIniMemBuff::loadText(String& text) {
    text = buffer_;
    return !buffer_.empty();
}

bool ProfilingIniMemBuff::saveText(const std::string& text) {
    buffer_ = text;
    return true;
}

bool ProfilingIniMemBuff::saveModel() {
    return saveText(serialise());
}

bool ProfilingIniMemBuff::setText(const void* bytes, std::size_t length) {
    buffer_ = decodeText(bytes, length);
    parse(buffer_);
    return true;
}

void ProfilingIniMemBuff::getText(String& text) {
    text = buffer_;
}

void ProfilingIniMemBuff::writeTopicLines(const std::vector<String>& lines) {
    ProfilingIni::writeTopicLines(lines);
    flush();
}

void ProfilingIniMemBuff::writeTopicText(const std::string& text, char separator) {
    ProfilingIni::writeTopicText(text, separator);
    flush();
}

void ProfilingIniMemBuff::readTopicLines(std::vector<String>& lines) {
    ProfilingIni::readTopicLines(lines);
}

void ProfilingIniMemBuff::readTopicText(String& text, char separator) {
    ProfilingIni::readTopicText(text, separator);
}

} // namespace ovs
