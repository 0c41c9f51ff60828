// The topic handle of the INI text store: one section read and written by the store's
// rules, except that a write always stores "=" followed by the value.
#pragma once
#include "profiling/Topic.h"

#include <string>

namespace ovs {

class ProfilingIni;

class TopicIni : public Topic {
public:
    TopicIni(ProfilingIni& store, const std::string& section);
    ~TopicIni() override;

    void readString(const std::string& name, String& text) override;
    std::uint32_t writeString(const std::string& name, const std::string& text) override;
    std::int32_t readInt(const std::string& name) override;
    std::uint32_t readUInt(const std::string& name) override;
    std::int64_t readInt64(const std::string& name) override;
    void writeInt(const std::string& name, std::int32_t value) override;
    void writeUInt(const std::string& name, std::uint32_t value) override;
    void writeInt64(const std::string& name, std::int64_t value) override;
    bool entryExists(const std::string& name) override;
    void deleteEntry(const std::string& name) override;
    void listEntries(std::vector<String>& names) override;
    String topicName() const override;

private:
    ProfilingIni& store_;
    String section_;
};

} // namespace ovs
