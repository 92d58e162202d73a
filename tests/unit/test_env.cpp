// The unit tests' environment, set before any test runs (and before SDL starts), unless the caller
// set it already: headless SDL drivers, and where the sources and the generated assets are.
#include <cstdlib>

namespace {
struct TestEnvironment {
    TestEnvironment() {
        setenv("SDL_AUDIODRIVER", "dummy", 0);
        setenv("SDL_VIDEODRIVER", "dummy", 0);
        setenv("SKX_RUN_DIR", SKX_TEST_RUN_DIR, 0);
        setenv("SKX_SOURCE_DIR", SKX_TEST_SOURCE_DIR, 0);
    }
};
const TestEnvironment testEnvironment;
} // namespace
