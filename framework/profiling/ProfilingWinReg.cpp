// The configuration store in the Windows registry, and its topic handle.
#include "profiling/ProfilingWinReg.h"

#include "MessageNumbers.h"
#include "profiling/Profiling.h"
#include "runtime/Exception.h"
#include "platform/PlatformCalls.h"

#include <cstring>

namespace ovs {

namespace {

char SubKeyClass[] = "SubKey";

// RegCreateKeyExA for reading and writing, else RegOpenKeyExA for reading; null when both
// fail. An empty name stands for the key itself.
HKEY createOrOpen(HKEY parent, const std::string& name, DWORD view, bool* keepParent) {
    *keepParent = false;
    if (name.empty()) {
        *keepParent = true;
        return parent;
    }
    HKEY key = nullptr;
    if (RegCreateKeyExA(parent, name.c_str(), 0, nullptr, 0, RegistryReadWriteAccess | view, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
        return key;
    }
    key = nullptr;
    if (RegOpenKeyExA(parent, name.c_str(), 0, RegistryReadAccess | view, &key) == ERROR_SUCCESS) {
        return key;
    }
    return nullptr;
}

// The names RegEnumKeyExA or RegEnumValueA list under key, in their order. A value name has
// up to 16,383 characters; a key name fewer.
template <typename Enumerate> std::vector<String> enumerateNames(HKEY key, Enumerate enumerate) {
    std::vector<String> names;
    std::vector<char> name(16384);
    for (DWORD index = 0;; ++index) {
        DWORD length = static_cast<DWORD>(name.size());
        if (enumerate(key, index, name.data(), &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name.data(), length);
    }
    return names;
}

std::vector<String> enumerateSubKeys(HKEY key) {
    return enumerateNames(key, RegEnumKeyExA);
}

std::vector<String> enumerateValues(HKEY key) {
    return enumerateNames(key, RegEnumValueA);
}

} // namespace

RegistryValue RegistryValue::query(HKEY key, const std::string& name, Failure failure) {
    RegistryValue value;
    value.bytes.resize(256);
    DWORD size = static_cast<DWORD>(value.bytes.size());
    LONG result = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, value.bytes.data(), &size);
    bool secondQuery = false;
    if (result == ERROR_MORE_DATA) {
        secondQuery = true;
        value.bytes.resize(size + 1);
        size = static_cast<DWORD>(value.bytes.size());
        result = RegQueryValueExA(key, name.c_str(), nullptr, &value.type, value.bytes.data(), &size);
    }
    if (result != ERROR_SUCCESS) {
        failure(name, result, secondQuery);
        value.bytes.clear();
        return value;
    }
    value.bytes.resize(size);
    value.read = true;
    return value;
}

String RegistryValue::text() const {
    const char* chars = reinterpret_cast<const char*>(bytes.data());
    std::size_t length = 0;
    while (length < bytes.size() && chars[length] != '\0')
        ++length;
    return String(chars, length);
}

// ---- TopicWinReg ----------------------------------------------------------------------------

TopicWinReg::TopicWinReg(HKEY key, ProfilingWinReg* store, bool ownsKey, const std::string& name)
    : key_(key), store_(store), ownsKey_(ownsKey), name_(name) {}

TopicWinReg::TopicWinReg(const std::string& name)
    : key_(nullptr), store_(dynamic_cast<ProfilingWinReg*>(Profiling::defaultProfiling().userStore())), ownsKey_(true),
      name_(name) {
    HKEY base = store_ ? store_->baseKey() : nullptr;
    bool same = false;
    key_ = base ? createOrOpen(base, name, store_->viewFlags(), &same) : nullptr;
    ownsKey_ = !same;
}

TopicWinReg::~TopicWinReg() {
    if (ownsKey_ && key_) {
        RegCloseKey(key_);
    }
}

void TopicWinReg::readString(const std::string& name, String& text) {
    text.clear();
    const RegistryValue value = RegistryValue::query(key_, name, [](const std::string&, LONG result, bool) {
        if (result == ERROR_FILE_NOT_FOUND) {
            throw ProfilingEntryNotFound();
        }
        throw Exception(msg::ItemBadData);
    });
    if (value.type == REG_SZ) {
        text = value.text();
    } else if (value.type == REG_DWORD && value.bytes.size() == sizeof(DWORD)) {
        DWORD number = 0;
        std::memcpy(&number, value.bytes.data(), sizeof number);
        text = std::to_string(number);
    } else {
        throw Exception(msg::ItemBadData);
    }
}

std::uint32_t TopicWinReg::writeString(const std::string& name, const std::string& text) {
    DWORD type = 0;
    if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, nullptr) == ERROR_SUCCESS && type == REG_DWORD) {
        DWORD value = profilingDecimalULong(text);
        return static_cast<std::uint32_t>(
            RegSetValueExA(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value));
    }
    return static_cast<std::uint32_t>(RegSetValueExA(key_, name.c_str(), 0, REG_SZ,
                                                     reinterpret_cast<const BYTE*>(text.c_str()),
                                                     static_cast<DWORD>(text.size() + 1)));
}

std::uint32_t TopicWinReg::readUInt(const std::string& name) {
    DWORD value = 0;
    DWORD type = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_DWORD || size != sizeof value) {
        throw Exception(msg::ItemBadData);
    }
    return value;
}

std::int32_t TopicWinReg::readInt(const std::string& name) {
    return static_cast<std::int32_t>(readUInt(name));
}

std::int64_t TopicWinReg::readInt64(const std::string& name) {
    std::uint64_t value = 0;
    DWORD type = 0;
    DWORD size = sizeof value;
    if (RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS ||
        type != REG_QWORD || size != sizeof value) {
        throw Exception(msg::ItemBadData);
    }
    return static_cast<std::int64_t>(value);
}

void TopicWinReg::writeInt(const std::string& name, std::int32_t value) {
    writeUInt(name, static_cast<std::uint32_t>(value));
}

void TopicWinReg::writeUInt(const std::string& name, std::uint32_t value) {
    DWORD data = value;
    RegSetValueExA(key_, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

void TopicWinReg::writeInt64(const std::string& name, std::int64_t value) {
    std::uint64_t data = static_cast<std::uint64_t>(value);
    RegSetValueExA(key_, name.c_str(), 0, REG_QWORD, reinterpret_cast<const BYTE*>(&data), sizeof data);
}

bool TopicWinReg::entryExists(const std::string& name) {
    return RegQueryValueExA(key_, name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
}

void TopicWinReg::deleteEntry(const std::string& name) {
    if (RegDeleteValueA(key_, name.c_str()) != ERROR_SUCCESS) {
        throw Exception(msg::ItemBadData);
    }
}

void TopicWinReg::listEntries(std::vector<String>& names) {
    names = enumerateValues(key_);
}

void TopicWinReg::listSubKeys(std::vector<String>& names) {
    names = enumerateSubKeys(key_);
}

String TopicWinReg::topicName() const {
    return name_;
}

void TopicWinReg::readUIntList(const std::string& name, std::vector<std::uint32_t>& values) {
    values.clear();
    DWORD type = 0;
    DWORD size = 0;
    LONG result = RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size);
    if (result == ERROR_FILE_NOT_FOUND) {
        return;
    }
    if (result != ERROR_SUCCESS || type != REG_BINARY || size % 4 != 0) {
        throw Exception(msg::ItemBadData);
    }
    values.resize(size / 4);
    if (size > 0 && RegQueryValueExA(key_, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(values.data()),
                                     &size) != ERROR_SUCCESS) {
        throw Exception(msg::ItemBadData);
    }
}

void TopicWinReg::writeUIntList(const std::string& name, const std::vector<std::uint32_t>& values) {
    RegSetValueExA(key_, name.c_str(), 0, REG_BINARY, reinterpret_cast<const BYTE*>(values.data()),
                   static_cast<DWORD>(values.size() * 4));
}

// ---- ProfilingWinReg ------------------------------------------------------------------------

ProfilingWinReg::ProfilingWinReg(std::uint32_t mode) : ProfilingWinReg(mode, isWow64Process()) {}

ProfilingWinReg::ProfilingWinReg(std::uint32_t mode, bool underWow64) : root_(HKEY_CURRENT_USER) {
    if (underWow64) {
        viewFlags_ = mode == 6 ? RegistryView32 : RegistryView64;
    }
}

ProfilingWinReg::~ProfilingWinReg() {
    closeKeys();
}

void ProfilingWinReg::closeKeys() {
    if (topicKey_) {
        RegCloseKey(topicKey_);
        topicKey_ = nullptr;
    }
    if (baseKey_) {
        RegCloseKey(baseKey_);
        baseKey_ = nullptr;
    }
}

// root\SOFTWARE, then company, product and application key created or opened, then the
// version key; the intermediate keys are closed again.
HKEY ProfilingWinReg::baseKey() {
    if (baseKey_) {
        return baseKey_;
    }
    HKEY key = nullptr;
    if (RegOpenKeyExA(root_, "SOFTWARE", 0, RegistryReadAccess | viewFlags_, &key) != ERROR_SUCCESS) {
        return nullptr;
    }
    const String* names[] = {&companyKey_, &productKey_, &applicationKey_, &versionKey_};
    for (const String* name : names) {
        bool same = false;
        HKEY next = createOrOpen(key, *name, viewFlags_, &same);
        if (same) {
            continue;
        }
        RegCloseKey(key);
        key = next;
        if (!key) {
            return nullptr;
        }
    }
    baseKey_ = key;
    return baseKey_;
}

HKEY ProfilingWinReg::currentKey() {
    return topicKey_ ? topicKey_ : baseKey();
}

bool ProfilingWinReg::flush() {
    if (topicKey_)
        RegFlushKey(topicKey_);
    if (baseKey_)
        RegFlushKey(baseKey_);
    return true;
}

void ProfilingWinReg::readString(const std::string& name, String& text) {
    TopicWinReg(currentKey(), this, false, topicName()).readString(name, text);
}

std::uint32_t ProfilingWinReg::writeString(const std::string& name, const std::string& text) {
    return TopicWinReg(currentKey(), this, false, topicName()).writeString(name, text);
}

void ProfilingWinReg::writeTopicLines(const std::vector<String>&) {}

void ProfilingWinReg::writeTopicText(const std::string&, char) {}

void ProfilingWinReg::readTopicLines(std::vector<String>& lines) {
    lines.clear();
}

void ProfilingWinReg::readTopicText(String& text, char) {
    text.clear();
}

std::int32_t ProfilingWinReg::readInt(const std::string& name) {
    return TopicWinReg(currentKey(), this, false, topicName()).readInt(name);
}

std::int64_t ProfilingWinReg::readInt64(const std::string& name) {
    return TopicWinReg(currentKey(), this, false, topicName()).readInt64(name);
}

std::uint32_t ProfilingWinReg::readUInt(const std::string& name) {
    return TopicWinReg(currentKey(), this, false, topicName()).readUInt(name);
}

void ProfilingWinReg::writeInt(const std::string& name, std::int32_t value) {
    TopicWinReg(currentKey(), this, false, topicName()).writeInt(name, value);
}

void ProfilingWinReg::writeInt64(const std::string& name, std::int64_t value) {
    TopicWinReg(currentKey(), this, false, topicName()).writeInt64(name, value);
}

void ProfilingWinReg::writeUInt(const std::string& name, std::uint32_t value) {
    TopicWinReg(currentKey(), this, false, topicName()).writeUInt(name, value);
}

void ProfilingWinReg::readUIntList(const std::string& name, std::vector<std::uint32_t>& values) {
    TopicWinReg(currentKey(), this, false, topicName()).readUIntList(name, values);
}

void ProfilingWinReg::readIntList(const std::string& name, std::vector<std::int32_t>& values) {
    std::vector<std::uint32_t> raw;
    readUIntList(name, raw);
    values.assign(raw.begin(), raw.end());
}

void ProfilingWinReg::writeUIntList(const std::string& name, const std::vector<std::uint32_t>& values) {
    TopicWinReg(currentKey(), this, false, topicName()).writeUIntList(name, values);
}

void ProfilingWinReg::writeIntList(const std::string& name, const std::vector<std::int32_t>& values) {
    writeUIntList(name, std::vector<std::uint32_t>(values.begin(), values.end()));
}

bool ProfilingWinReg::isWritable() {
    return writable_;
}

bool ProfilingWinReg::entryExists(const std::string& name) {
    return TopicWinReg(currentKey(), this, false, topicName()).entryExists(name);
}

bool ProfilingWinReg::topicExists() {
    return topicKey_ != nullptr;
}

void ProfilingWinReg::listTopics(std::vector<String>& names) {
    names = enumerateSubKeys(currentKey());
}

void ProfilingWinReg::listEntries(std::vector<String>& names) {
    names = enumerateValues(currentKey());
}

std::uint32_t ProfilingWinReg::setTopic(const std::string& name) {
    if (topicKey_) {
        RegCloseKey(topicKey_);
        topicKey_ = nullptr;
    }
    topicPath_.assign(1, name);
    HKEY base = baseKey();
    LONG result = RegCreateKeyExA(base, name.c_str(), 0, SubKeyClass, 0, RegistryReadWriteAccess | viewFlags_, nullptr,
                                  &topicKey_, nullptr);
    if (result == ERROR_SUCCESS) {
        writable_ = true;
        return 0;
    }
    topicKey_ = nullptr;
    writable_ = false;
    result = RegCreateKeyExA(base, name.c_str(), 0, SubKeyClass, 0, RegistryReadAccess | viewFlags_, nullptr,
                             &topicKey_, nullptr);
    if (result != ERROR_SUCCESS) {
        topicKey_ = nullptr;
    }
    return static_cast<std::uint32_t>(result);
}

void ProfilingWinReg::enterSubTopic(const std::string& name) {
    if (name.empty()) {
        topicPath_.push_back(String());
        return;
    }
    HKEY parent = currentKey();
    HKEY key = nullptr;
    bool opened = RegCreateKeyExA(parent, name.c_str(), 0, SubKeyClass, 0, RegistryReadWriteAccess | viewFlags_,
                                  nullptr, &key, nullptr) == ERROR_SUCCESS;
    if (!opened) {
        key = nullptr;
        opened = RegOpenKeyExA(parent, name.c_str(), 0, RegistryReadAccess | viewFlags_, &key) == ERROR_SUCCESS;
        if (!opened)
            key = nullptr;
    }
    if (topicKey_) {
        RegCloseKey(topicKey_);
    }
    topicKey_ = key;
    if (opened) {
        topicPath_.push_back(name);
    }
}

void ProfilingWinReg::leaveSubTopic() {
    if (topicPath_.empty()) {
        return;
    }
    std::vector<String> path(topicPath_.begin(), topicPath_.end() - 1);
    if (topicKey_) {
        RegCloseKey(topicKey_);
        topicKey_ = nullptr;
    }
    topicPath_.clear();
    if (path.empty()) {
        return;
    }
    setTopic(path.front());
    for (std::size_t i = 1; i < path.size(); ++i) {
        enterSubTopic(path[i]);
    }
}

void ProfilingWinReg::setRoot(int root) {
    if (root != ProfilingRootMachine && root != ProfilingRootUser) {
        return;
    }
    root_ = root == ProfilingRootMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
    closeKeys();
    topicPath_.clear();
}

void ProfilingWinReg::setApplicationKey(const std::string& name) {
    applicationKey_ = name;
}

void ProfilingWinReg::setProductKey(const std::string& name) {
    productKey_ = name;
}

void ProfilingWinReg::deleteKeyTree(HKEY parent, const std::string& name) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(parent, name.c_str(), 0, RegistryReadWriteAccess | viewFlags_, &key) != ERROR_SUCCESS) {
        return;
    }
    {
        TopicWinReg topic(key, this, false, name);
        for (const String& value : enumerateValues(key)) {
            topic.deleteEntry(value);
        }
        for (const String& child : enumerateSubKeys(key)) {
            deleteKeyTree(key, child);
        }
    }
    RegCloseKey(key);
    RegDeleteKeyA(parent, name.c_str());
}

void ProfilingWinReg::deleteTopic() {
    if (!topicKey_ || topicPath_.empty()) {
        return;
    }
    std::vector<String> path = topicPath_;
    RegCloseKey(topicKey_);
    topicKey_ = nullptr;
    topicPath_.clear();
    // Reopen the parent of the topic key, then remove the topic below it.
    HKEY parent = baseKey();
    bool ownsParent = false;
    for (std::size_t i = 0; i + 1 < path.size() && parent; ++i) {
        if (path[i].empty())
            continue;
        HKEY next = nullptr;
        if (RegOpenKeyExA(parent, path[i].c_str(), 0, RegistryReadWriteAccess | viewFlags_, &next) != ERROR_SUCCESS) {
            next = nullptr;
        }
        if (ownsParent)
            RegCloseKey(parent);
        parent = next;
        ownsParent = true;
    }
    if (parent) {
        deleteKeyTree(parent, path.back());
        if (ownsParent)
            RegCloseKey(parent);
    }
}

void ProfilingWinReg::deleteEntry(const std::string& name) {
    TopicWinReg(currentKey(), this, false, topicName()).deleteEntry(name);
}

String ProfilingWinReg::topicName() {
    return topicPath_.empty() ? String() : topicPath_.back();
}

bool ProfilingWinReg::setText(const void*, std::size_t) {
    return false;
}

void ProfilingWinReg::getText(String& text) {
    text.clear();
}

Topic* ProfilingWinReg::openTopic(const std::string& name) {
    bool same = false;
    HKEY base = baseKey();
    HKEY key = base ? createOrOpen(base, name, viewFlags_, &same) : nullptr;
    return keepTopic(std::make_unique<TopicWinReg>(key, this, !same, name));
}

Topic* ProfilingWinReg::openTopic(const std::string& parent, const std::string& name) {
    return openTopic(parent.empty() ? name : parent + "\\" + name);
}

} // namespace ovs
