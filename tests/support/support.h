// Paths shared by the test programs: the source tree, the fixture generators and a scratch folder.
#pragma once
#include <string>

namespace testsupport {

// The source tree and the build folder the tests were built from. Kept out of the test programs' compile
// commands, so that every checkout compiles its tests alike.
std::string SourceDir();
std::string BinaryDir();

// Folder of tests/fixtures in the source tree.
std::string FixturesDir();

// A fresh, empty scratch folder for the running test, removed when the test program ends.
std::string ScratchDir();

} // namespace testsupport
