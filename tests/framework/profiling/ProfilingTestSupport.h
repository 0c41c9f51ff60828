// Helpers of the configuration-store tests: a private current folder for the store files (its
// bytes read and written through the host's file system), a value read as text, and the check
// that a call throws a framework exception with a given number (RuntimeTestSupport.h).
#pragma once
#include "FileTestSupport.h"
#include "RuntimeTestSupport.h"
#include "runtime/Exception.h"
#include "strings/StringBase.h"

#include <gtest/gtest.h>

#include <string>

namespace ovs::test {

// The value as text, "stale" where the store leaves the text alone.
template <class Store> std::string textOf(Store& store, const std::string& name) {
    ovs::String text = "stale";
    store.readString(name, text);
    return text;
}

} // namespace ovs::test
