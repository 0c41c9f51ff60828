// The framework's string types: the standard strings with a virtual destructor, so that
// derived path and message texts can be owned through the base. Narrow texts are in the
// process's ANSI code page.
#pragma once
#include <string>

namespace ovs {

template <class C> class StringBase : public std::basic_string<C> {
public:
    using Base = std::basic_string<C>;
    using Base::Base;

    StringBase() = default;
    StringBase(const C* text) : Base(text ? Base(text) : Base()) {} // a null text is empty
    StringBase(const Base& text) : Base(text) {}
    StringBase(Base&& text) : Base(std::move(text)) {}
    StringBase(const StringBase&) = default;
    StringBase(StringBase&&) = default;
    StringBase& operator=(const StringBase&) = default;
    StringBase& operator=(StringBase&&) = default;
    StringBase& operator=(const Base& text) {
        Base::operator=(text);
        return *this;
    }
    StringBase& operator=(const C* text) {
        if (text) {
            Base::operator=(text);
        } else {
            Base::clear();
        }
        return *this;
    }
    virtual ~StringBase() = default;
};

using String = StringBase<char>;
using WString = StringBase<wchar_t>;

} // namespace ovs
