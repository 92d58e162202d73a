# Skarnex3D: the two set-up commands are `make run` and `make test`.
# Both install what is missing (scripts/install-deps), then configure and build in build/.

BUILD      ?= build
ASAN_BUILD ?= build-asan
TSAN_BUILD ?= build-tsan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
PREFIX     ?= /usr/local
BUILD_ARGS  = $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX)

.PHONY: all deps configure werror build run check test test-asan test-tsan lint soak fuzz install \
	package clean format format-check

all: build

deps:
	@scripts/install-deps

# `make`, `make run`, `make install` and `make package` build with SKX_WERROR as build/'s cache has
# it: off in a fresh tree, so that a newer compiler's new warnings do not stop a player's build.
$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(BUILD_ARGS)

configure: $(BUILD)/build.ninja

# `make test` and `make check` turn warnings into errors in build/ (the cache keeps it on after).
werror: deps
	@grep -qs '^SKX_WERROR:BOOL=ON$$' $(BUILD)/CMakeCache.txt || \
	  cmake -S . -B $(BUILD) $(BUILD_ARGS) -DSKX_WERROR=ON

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD)/run && ./skarnex3d

# The unit tests' CTest names: every test but the integration scripts, the generators' checks,
# the screenshot program, the packaging files' validators and the owner check.
UNIT_TESTS = -E '^(integration\.|assetgen\.|musicgen\.|scene_shot|validate\.|check_owners)'

# The release unit tests alone, warnings as errors: the quick check while working.
check: werror
	cmake --build $(BUILD) -j $(JOBS) --target skx_tests skx_assets
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS) $(UNIT_TESTS)

# In this order, each step only after the one before passed: the formatting, every test of the
# release build, the static analysis, the unit tests under ASan and UBSan with a short soak, and
# the threaded modules' tests under TSan. Warnings are errors in every build it makes.
test: format-check werror
	cmake --build $(BUILD) -j $(JOBS)
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)
	$(MAKE) --no-print-directory lint
	$(MAKE) --no-print-directory test-asan
	$(MAKE) --no-print-directory test-tsan

# cppcheck, clang-tidy and shellcheck over the tree (scripts/lint; settings in .clang-tidy and
# .shellcheckrc); needs only build/'s compile_commands.json.
lint: deps configure
	scripts/lint $(BUILD) -j $(JOBS)

$(ASAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DSKX_SANITIZE=ON -DSKX_BENCH=OFF \
	  -DSKX_WERROR=ON

SOAK_SECONDS ?= 20
ASAN_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 SKX_RUN_DIR=$(CURDIR)/$(BUILD)/run

# The unit tests under ASan and UBSan, then a short soak of the real program built the same way.
test-asan: deps build $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target skx_tests skarnex3d
	cd $(ASAN_BUILD) && $(ASAN_ENV) ctest --output-on-failure -j $(JOBS) $(UNIT_TESTS)
	SOAK_SECONDS=$(SOAK_SECONDS) SKX_SOURCE_DIR=$(CURDIR) sh tests/soak.sh $(CURDIR)/$(ASAN_BUILD)/run/skarnex3d $(CURDIR)/$(BUILD)/run

# The tests of the threaded modules under ThreadSanitizer: the mixer's timer thread (Wave*), the
# music worker (CDAudio*) and the screenshot writer (Screenshot*).
TSAN_TESTS = -R '^(Wave|CDAudio|Screenshot)'
TSAN_ENV = TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 SKX_RUN_DIR=$(CURDIR)/$(BUILD)/run

$(TSAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(TSAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DSKX_TSAN=ON \
	  -DSKX_BENCH=OFF -DSKX_WERROR=ON

test-tsan: deps build $(TSAN_BUILD)/build.ninja
	cmake --build $(TSAN_BUILD) -j $(JOBS) --target skx_tests
	cd $(TSAN_BUILD) && $(TSAN_ENV) ctest --output-on-failure -j $(JOBS) $(TSAN_TESTS)

# The long soak: minutes of attract mode and play with random held keys under ASan and UBSan.
soak: SOAK_SECONDS = 300
soak: deps build $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target skarnex3d
	SOAK_SECONDS=$(SOAK_SECONDS) SKX_SOURCE_DIR=$(CURDIR) sh tests/soak.sh $(CURDIR)/$(ASAN_BUILD)/run/skarnex3d $(CURDIR)/$(BUILD)/run

# libFuzzer over every reader of outside data, FUZZ_SECONDS each (clang, ASan, UBSan).
FUZZ_BUILD   ?= build-fuzz
FUZZ_SECONDS ?= 60
fuzz: deps
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DSKX_FUZZ=ON -DSKX_TESTS=OFF -DSKX_BENCH=OFF -DSKX_WERROR=OFF
	cmake --build $(FUZZ_BUILD) -j $(JOBS)
	scripts/run-fuzzers $(FUZZ_BUILD) $(FUZZ_SECONDS)

install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# The Debian package, build/skarnex3d_<version>_<arch>.deb: apt install ./build/skarnex3d_*.deb
package: build
	cd $(BUILD) && cpack -G DEB

FORMAT_FILES = $$(git ls-files 'src/*.cpp' 'src/*.h' 'tests/*.cpp' 'tests/*.h' 'tools/*.cpp' 'tools/*.h' \
	'bench/*.cpp' 'fuzz/*.cpp' 'fuzz/*.h')

format:
	clang-format -i $(FORMAT_FILES)

format-check: deps
	clang-format --dry-run -Werror $(FORMAT_FILES)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(TSAN_BUILD)
