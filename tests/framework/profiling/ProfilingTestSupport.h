// Helpers of the configuration-store tests: a private current folder for the store files (its
// bytes read and written through the host's file system), a value read as text, and a check
// that a call throws a framework exception with a given number.
#pragma once
#include "FileTestSupport.h"
#include "runtime/Exception.h"
#include "strings/StringBase.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace ovs::test {

// The value as text, "stale" where the store leaves the text alone.
template <class Store> std::string textOf(Store& store, const std::string& name) {
    ovs::String text = "stale";
    store.readString(name, text);
    return text;
}

// Runs the call and returns the exception of the given kind it throws; fails the test when it
// throws nothing or the number differs.
template <class Error = ovs::Exception> Error expectException(int number, const std::function<void()>& call) {
    try {
        call();
    } catch (const Error& error) {
        EXPECT_EQ(number, error.number()) << error.message();
        return error;
    }
    ADD_FAILURE() << "no exception, expected " << number;
    return Error();
}

} // namespace ovs::test
