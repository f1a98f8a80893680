# Top-level commands. 'make demo' and 'make test' install missing Debian
# packages themselves when run as root.
JOBS ?= $(shell nproc)
CMAKE_BUILD = cmake --build --preset
CTEST = ctest --output-on-failure -j $(JOBS) --preset

.PHONY: format all deps host host-asan win32 win64 fuzz-build test test-host test-asan test-win32 fuzz-smoke fuzz demo bench installer size clean

all: host win32 win64

deps:
	@scripts/install-deps.sh

build/%/CMakeCache.txt: | deps
	cmake --preset $* >/dev/null

host: deps build/host/CMakeCache.txt
	$(CMAKE_BUILD) host -j $(JOBS)
host-asan: deps build/host-asan/CMakeCache.txt
	$(CMAKE_BUILD) host-asan -j $(JOBS)
win32: deps build/win32/CMakeCache.txt
	$(CMAKE_BUILD) win32 -j $(JOBS)
win64: deps build/win64/CMakeCache.txt
	$(CMAKE_BUILD) win64 -j $(JOBS)
fuzz-build: deps build/fuzz/CMakeCache.txt
	$(CMAKE_BUILD) fuzz -j $(JOBS) --target fuzz_all

# Just the shipped 32-bit programs: the setup and the uninstaller it installs.
installer: deps build/win32/CMakeCache.txt
	$(CMAKE_BUILD) win32 -j $(JOBS) --target Install stUnInst

# What each shipped file is made of: sections and largest contributors.
size: deps build/win32/CMakeCache.txt
	$(CMAKE_BUILD) win32 -j $(JOBS) --target Install stUnInst unace
	scripts/size-report.sh build/win32

test-host: host
	$(CTEST) host
test-asan: host-asan
	$(CTEST) host-asan
# One at a time: every program under Wine shares the prefix's one virtual
# desktop, which lives on the display of the test that started it.
test-win32: win32
	ctest --output-on-failure -j 1 --preset win32
fuzz-smoke: fuzz-build
	scripts/fuzz.sh smoke build/fuzz
fuzz: fuzz-build
	scripts/fuzz.sh long build/fuzz

# The Windows tests mostly wait: on Wine, on the virtual screen, on the
# programs' own pauses. Meanwhile the sanitizer and fuzz builds run beside
# them at the lowest priority (their output in build/test-builds.log), so
# that they take what the tests leave of the processors and not more.
test: test-host win32
	@mkdir -p build
	@( nice -n 19 $(MAKE) --no-print-directory host-asan fuzz-build >build/test-builds.log 2>&1 ) & \
	builds=$$!; \
	$(MAKE) --no-print-directory test-win32; tests=$$?; \
	wait $$builds || { echo "sanitizer or fuzz build failed:" >&2; tail -n 40 build/test-builds.log >&2; exit 1; }; \
	exit $$tests
	$(MAKE) --no-print-directory test-asan fuzz-smoke

demo: host win32
	scripts/demo.sh

# The archive tools, then installing and removing under Wine against NSIS.
bench: host win32
	bench/run.sh
	bench/install-speed.sh

# Applies .clang-format to every C++ source of the repository.
format:
	git ls-files '*.cpp' '*.h' | xargs clang-format -i

clean:
	rm -rf build
