# Skarnex3D: the two set-up commands are `make run` and `make test`.
# Both install what is missing (scripts/install-deps), then configure and build in build/.

BUILD      ?= build
ASAN_BUILD ?= build-asan
JOBS       ?= $(shell nproc)
CMAKE_GEN  := -G Ninja
PREFIX     ?= /usr/local

.PHONY: all deps configure build run test test-asan soak fuzz install package clean format format-check

all: build

deps:
	@scripts/install-deps

$(BUILD)/build.ninja: | deps
	cmake -S . -B $(BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=$(PREFIX)

configure: $(BUILD)/build.ninja

build: deps configure
	cmake --build $(BUILD) -j $(JOBS)

run: build
	cd $(BUILD)/run && ./skarnex3d

# Every test of the release build, then the unit tests again under ASan and UBSan.
test: format-check build test-asan
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

$(ASAN_BUILD)/build.ninja: | deps
	cmake -S . -B $(ASAN_BUILD) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Debug -DSKX_SANITIZE=ON -DSKX_BENCH=OFF

SOAK_SECONDS ?= 20
ASAN_ENV = ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan.supp:print_suppressions=0 SKX_RUN_DIR=$(CURDIR)/$(BUILD)/run

# The unit tests under ASan and UBSan, then a short soak of the real program built the same way.
test-asan: deps build $(ASAN_BUILD)/build.ninja
	cmake --build $(ASAN_BUILD) -j $(JOBS) --target skx_tests skarnex3d
	cd $(ASAN_BUILD) && $(ASAN_ENV) ctest --output-on-failure -j $(JOBS) -E '^(integration\.|assetgen\.|musicgen\.|scene_shot)'
	SOAK_SECONDS=$(SOAK_SECONDS) SKX_SOURCE_DIR=$(CURDIR) sh tests/soak.sh $(CURDIR)/$(ASAN_BUILD)/run/skarnex3d $(CURDIR)/$(BUILD)/run

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
	rm -rf $(BUILD) $(ASAN_BUILD)
