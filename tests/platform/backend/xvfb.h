// A private X server (Xvfb) for one test, on a display number the server picks itself.
#pragma once

#include <string>
#include <sys/types.h>

namespace xtest {

class Xvfb {
public:
    Xvfb(int width = 1280, int height = 1024);
    ~Xvfb();
    bool Running() const { return pid_ > 0 && !display_.empty(); }
    const std::string& Display() const { return display_; } // ":N"
    const std::string& Why() const { return why_; }         // why it is not running

private:
    pid_t pid_ = -1;
    std::string display_;
    std::string why_;
};

} // namespace xtest
