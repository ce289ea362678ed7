// Linked into every test program as an object of its own, so it is always there: before
// main() every port number is pointed at no device. A window a test builds then probes and
// opens nothing real (on many machines /dev/ttyS0 is the console); a test that needs a
// device names one explicitly (TPortRedirect).
#include "input/PortNames.h"

namespace {
const bool installed = [] {
    SetPortDeviceMap([](int) { return QString(); });
    return true;
}();
} // namespace
