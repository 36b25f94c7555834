#pragma once

#include <functional>
#include <string>

// Runs `body` where permission bits hold. A test run by an ordinary user runs it in place;
// a test run as root (where permission bits stop nothing) hands `folder` and everything in
// it to the user "nobody" and runs `body` in a child process that has given up root. The
// body reports through its result, or through what it leaves in the file system: test
// assertions made in the child are not seen. Returns the body's result, or -1 when the
// child could not be started or did not end normally.
int RunUnprivileged(const std::string& folder, const std::function<int()>& body);
