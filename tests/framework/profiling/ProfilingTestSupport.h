// Helpers of the configuration-store tests: a private current folder for the store files (its
// bytes read and written through the host's file system), a value read as text, and the check
// that a call throws a framework exception with a given number (RuntimeTestSupport.h).
#pragma once
#include "FileTestSupport.h"
#include "RuntimeTestSupport.h"
#include "runtime/Exception.h"
#include "strings/StringBase.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace ovs::test {

// The value as text, "stale" where the store leaves the text alone.
template <class Store> std::string textOf(Store& store, const std::string& name) {
    ovs::String text = "stale";
    store.readString(name, text);
    return text;
}

// A store of the given kind over the file store.ini in a private current folder.
template <class Store> class StoreFileTest : public testing::Test {
protected:
    // Loads the bytes as the store's file.
    void load(const std::string& bytes) {
        here_.makeFile("store.ini", bytes);
        store_ = std::make_unique<Store>();
        store_->setFile(here_.folder() / "store.ini");
    }
    // The value as text, read in the topic.
    std::string read(const std::string& topic, const std::string& name) {
        store_->setTopic(topic);
        return textOf(*store_, name);
    }

    InPrivateFolder here_;
    std::unique_ptr<Store> store_ = std::make_unique<Store>();
};

} // namespace ovs::test
