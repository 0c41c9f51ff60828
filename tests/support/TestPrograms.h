// Where the tests find the programs of this build (the tool, the plug-in stand-in, helpers).
#pragma once
#include <string>

namespace ovs::test {

// The build's program of that file name (with its ".exe" where it has one), in the
// framework's Windows form: Z:\...\build\<preset>\bin\<name> natively and under Wine.
std::string programPath(const std::string& fileName);

// The source tree's file or folder of that relative path ("tools/demo/docs"), Windows form.
std::string sourcePath(const std::string& relativePath);

// Text with every carriage return removed: console output compared line by line.
std::string withoutCarriageReturns(const std::string& text);

} // namespace ovs::test
