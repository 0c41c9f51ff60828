// Keyword options, their values by kind, the usage text and the mandatory check.
#include "parsing/OptionCommandParsing.h"

#include "MessageNumbers.h"
#include "runtime/Console.h"

#include <algorithm>
#include <vector>

namespace {

constexpr std::uint32_t MaximumTextLength = 1024;

} // namespace

OptionCommandParsing::OptionCommandParsing(const char* text) : CommandParsing(text) {}

OptionCommandParsing::~OptionCommandParsing() = default;

void OptionCommandParsing::addOption(const std::string& name, OptionKind kind, bool mandatory,
                                     const std::string& help) {
    std::uint32_t order = registrations_++;
    if (options_.find(name) == options_.end()) {
        options_.emplace(name, std::make_unique<OptionDesc>(name, kind, mandatory, help, order));
    }
}

void OptionCommandParsing::parseOptions() {
    keywordList_.clear();
    std::uint32_t index = 0;
    for (auto& [name, option] : options_) {
        option->keywordIndex = ++index;
        if (!keywordList_.empty()) {
            keywordList_ += '\t';
        }
        keywordList_ += name;
    }
    parse();
}

OptionDesc* OptionCommandParsing::findOption(const std::string& name) {
    auto found = options_.find(name);
    return found == options_.end() ? nullptr : found->second.get();
}

const OptionDesc* OptionCommandParsing::findOption(const std::string& name) const {
    auto found = options_.find(name);
    return found == options_.end() ? nullptr : found->second.get();
}

bool OptionCommandParsing::parseOption() {
    const char* prefix = optionStart_;
    position_ = prefix;
    int index = readOptionKeyword(keywordList_.c_str(), ovs::ScanFullKeyword);
    if (index < 1) {
        position_ = prefix + 1;
        return false;
    }
    if (*position_ == ':') {
        ++position_;
    }
    OptionDesc* option = nullptr;
    for (auto& entry : options_) {
        if (entry.second->keywordIndex == static_cast<std::uint32_t>(index)) {
            option = entry.second.get();
            break;
        }
    }
    if (option == nullptr) {
        return false;
    }

    switch (option->kind) {
    case OptionKind::Flag: option->present = true; break;
    case OptionKind::Char:
        option->value = OptionValue::character(*position_);
        option->present = true;
        break;
    case OptionKind::Str: {
        std::string text;
        readString(text, ovs::ScanBlankEndsText, MaximumTextLength);
        option->value = OptionValue::text(text);
        option->present = true;
        break;
    }
    case OptionKind::Num: {
        std::uint32_t number = readNumber(ovs::ScanNone, 0);
        option->value = OptionValue::number(number);
        option->present = true;
        break;
    }
    case OptionKind::File: {
        std::uint32_t result = 0;
        ovs::FileString path;
        readFileSpec(result, path, ovs::ScanMakeAbsolute);
        option->value = OptionValue::path(path);
        option->present = true;
        break;
    }
    case OptionKind::FileList: {
        ovs::FileScanSpec spec;
        readFileList(spec);
        ovs::FileString first(spec.folder());
        if (!spec.patterns().empty()) {
            first.join(spec.patterns().front());
        }
        option->value = OptionValue::path(first);
        option->present = true;
        break;
    }
    default: ++position_; return false;
    }
    return true;
}

bool OptionCommandParsing::optionError(ovs::Exception&) {
    return true;
}

void OptionCommandParsing::writeUsage(std::ostream& out) const {
    std::vector<const OptionDesc*> inOrder;
    for (const auto& entry : options_) {
        inOrder.push_back(entry.second.get());
    }
    std::sort(inOrder.begin(), inOrder.end(),
              [](const OptionDesc* a, const OptionDesc* b) { return a->order < b->order; });

    auto padded = [](std::string text, std::size_t width) {
        if (text.size() < width) {
            text.append(width - text.size(), ' ');
        }
        return text;
    };
    out << std::endl << description << std::endl << "Options" << std::endl;
    for (const OptionDesc* option : inOrder) {
        out << "  -" << padded(option->name + option->usageSuffix(), 10) << ' '
            << padded(option->mandatory ? "mandatory" : "optional", 9) << ' ' << option->help << std::endl;
    }
}

void OptionCommandParsing::printUsage() const {
    writeUsage(ovs::console());
}

void OptionCommandParsing::checkMandatory() const {
    for (const auto& [name, option] : options_) {
        if (option->mandatory && !option->present) {
            printUsage();
            throw ovs::Exception(ovs::msg::InvalidOption, "Mandatory option '" + name + "' is missing.");
        }
    }
}
