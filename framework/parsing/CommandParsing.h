// The option loop over a command line: options begin with a prefix character, one option
// may follow another directly after a follow character, and every option error goes to a
// hook that decides whether parsing stops.
#pragma once
#include "parsing/Parsing.h"
#include "runtime/Exception.h"

#include <cstdint>
#include <string>

namespace ovs {

class CommandParsing : public Parsing {
public:
    explicit CommandParsing(const char* text);
    ~CommandParsing() override;

    // Runs the option loop from the position. Returns when the text is used up or at a word
    // without prefix character (the position then stands on it). Errors numbered 2000 or more
    // get the location "option <as written>" and go to optionError; lower numbers pass on.
    void parse();

    // Called with the position behind the option's first letter, which is stored lower-cased
    // as the current character; returns false when the option is not valid. Default: throws
    // 2023 "bad specification: %1".
    virtual bool parseOption();
    // Receives each option error. Default: throws it on, so parsing stops at the first one.
    virtual bool optionError(Exception& error);

    // Message number of the last option error of the latest parse; 0 when there was none.
    std::int32_t lastError() const { return lastError_; }
    const std::string& prefixCharacters() const { return prefixCharacters_; }
    void setPrefixCharacters(const std::string& characters) { prefixCharacters_ = characters; }
    const std::string& followCharacters() const { return followCharacters_; }
    void setFollowCharacters(const std::string& characters) { followCharacters_ = characters; }

protected:
    const char* optionStart_ = nullptr;

private:
    bool endsOption(char c) const;

    std::int32_t lastError_ = 0;
    StringBase<char> prefixCharacters_;
    StringBase<char> followCharacters_;
};

} // namespace ovs
