// The message table: lookup by number (language module first, then the program's own
// resources), positional placeholder substitution, and the process-wide message prefix.
#pragma once
#include "strings/StringBase.h"

namespace ovs {

// The text of a message number, at most 511 characters; empty (found = false) when
// neither module holds one.
StringBase<char> loadMessage(int number, bool* found = nullptr);

// Substitutes "%1" to "%9" by position; "%%" gives "%". A null format gives the empty
// text; a null argument counts as the empty text. Inserted texts are never scanned again.
StringBase<char> formatMessage(const char* format, const char* a1 = nullptr, const char* a2 = nullptr,
                               const char* a3 = nullptr, const char* a4 = nullptr, const char* a5 = nullptr,
                               const char* a6 = nullptr, const char* a7 = nullptr, const char* a8 = nullptr,
                               const char* a9 = nullptr);

// loadMessage, then formatMessage.
StringBase<char> loadAndFormat(int number, const char* a1 = nullptr, const char* a2 = nullptr,
                               const char* a3 = nullptr);

// The prefix shown in front of every message number ("OV"); cut to 11 characters.
void setMessagePrefix(const std::string& prefix);
const StringBase<char>& messagePrefix();

} // namespace ovs
