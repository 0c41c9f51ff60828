// Secure values of ovs::Topic.
//
// Scrambling (keeps values out of casual sight; it is not encryption): the plain bytes are
// prefixed by one check byte (the sum of the plain bytes modulo 256), then every byte is
// combined by XOR with a key stream from a 32-bit linear congruential generator
// (x = x * 1664525 + 1013904223, the byte used is bits 24-31 of x) seeded with the FNV-1a
// hash of the entry name. The stored text is "~1" followed by the bytes as upper-case
// hexadecimal digit pairs, so it survives every store (INI lines and REG_SZ alike).
#include "profiling/Topic.h"

#include "MessageNumbers.h"
#include "profiling/ProfilingImpl.h"
#include "runtime/Exception.h"
#include "strings/NumberText.h"

namespace ovs {

namespace {

const char StoredPrefix[] = "~1";

std::uint32_t seedOf(const std::string& name) {
    std::uint32_t hash = 2166136261u;
    for (unsigned char c : name) {
        hash = (hash ^ c) * 16777619u;
    }
    return hash;
}

class KeyStream {
public:
    explicit KeyStream(std::uint32_t seed) : state_(seed) {}
    unsigned char next() {
        state_ = state_ * 1664525u + 1013904223u;
        return static_cast<unsigned char>(state_ >> 24);
    }

private:
    std::uint32_t state_;
};

} // namespace

Topic::~Topic() = default;

String Topic::scramble(const std::string& name, const std::string& plain) {
    unsigned char check = 0;
    for (unsigned char c : plain) {
        check = static_cast<unsigned char>(check + c);
    }
    std::string bytes(1, static_cast<char>(check));
    bytes += plain;
    KeyStream stream(seedOf(name));
    String stored(StoredPrefix);
    stored.reserve(2 + bytes.size() * 2);
    for (unsigned char c : bytes) {
        unsigned char s = static_cast<unsigned char>(c ^ stream.next());
        appendHexByte(stored, s);
    }
    return stored;
}

bool Topic::unscramble(const std::string& name, const std::string& stored, String& plain) {
    plain.clear();
    const std::size_t prefixLength = sizeof(StoredPrefix) - 1;
    if (stored.size() < prefixLength + 2 || stored.compare(0, prefixLength, StoredPrefix) != 0 ||
        (stored.size() - prefixLength) % 2 != 0) {
        return false;
    }
    KeyStream stream(seedOf(name));
    std::string bytes;
    for (std::size_t i = prefixLength; i < stored.size(); i += 2) {
        int high = upperHexDigitValue(stored[i]);
        int low = upperHexDigitValue(stored[i + 1]);
        if (high < 0 || low < 0) {
            return false;
        }
        bytes += static_cast<char>((high << 4 | low) ^ stream.next());
    }
    unsigned char check = 0;
    for (std::size_t i = 1; i < bytes.size(); ++i) {
        check = static_cast<unsigned char>(check + static_cast<unsigned char>(bytes[i]));
    }
    if (check != static_cast<unsigned char>(bytes[0])) {
        return false;
    }
    plain.assign(bytes, 1, std::string::npos);
    return true;
}

bool Topic::readSecureString(const std::string& name, String& text) {
    text.clear();
    const String secure = secureName(name);
    if (entryExists(secure)) {
        String stored;
        readString(secure, stored);
        if (!unscramble(name, stored, text)) {
            throw Exception(msg::ItemBadData, stored);
        }
        return true;
    }
    if (entryExists(name)) {
        readString(name, text);
        return true;
    }
    return false;
}

void Topic::writeSecureString(const std::string& name, const std::string& text) {
    writeString(secureName(name), scramble(name, text));
    if (entryExists(name)) {
        deleteEntry(name);
    }
}

std::uint32_t Topic::readSecureUInt(const std::string& name) {
    String text;
    if (!readSecureString(name, text)) {
        return 0;
    }
    return profilingDecimalULong(text);
}

void Topic::writeSecureUInt(const std::string& name, std::uint32_t value) {
    writeSecureString(name, std::to_string(value));
}

bool Topic::secureEntryExists(const std::string& name) {
    return entryExists(secureName(name)) || entryExists(name);
}

} // namespace ovs
