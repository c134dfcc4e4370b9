# Orbisk: build, run, test, benchmark and fuzz.
#   make run     release build, then start Orbisk
#   make release release build of every target: program, tools, tests, benchmarks
#   make test    build with AddressSanitizer + UBSan and run the whole suite
#   make bench   release build of the benchmarks, then run them all; fails at
#                the end when any of them missed its target
#   make screenshot  the main window after a scan of generated icons, as a PNG
#   make e2e     the real program on a virtual X server, driven by its menus
#   make fuzz    run every fuzz target in turn for FUZZ_SECONDS each (default 120)
#   make tsan    build with ThreadSanitizer and run the threading tests
#   make install     release build, installed below PREFIX (default /usr/local),
#                    staged below DESTDIR when given
#   make uninstall   removes exactly what the last make install put in place
#                    (give it the same DESTDIR)
#   make package     a Debian package (build/release/package/orbisk_*.deb)
#   make package-check  the package, then lintian on it: fails on any error
#                    or warning
# Each target first installs missing Debian packages (scripts/setup.sh).

JOBS         ?= $(shell nproc)
PREFIX       ?= /usr/local
DESTDIR      ?=
FUZZ_SECONDS ?= 120
CMAKE_GEN    := -G Ninja
# Warnings are errors in every build the targets make; a plain CMake build
# keeps them as warnings.
WERROR       := -DORBISK_WERROR=ON

RELEASE_DIR := build/release
ASAN_DIR    := build/asan
TSAN_DIR    := build/tsan
FUZZ_DIR    := build/fuzz

.PHONY: all setup build release run test bench screenshot e2e fuzz tsan install uninstall package package-check clean

all: build

setup:
	@scripts/setup.sh

$(RELEASE_DIR)/build.ninja:
	cmake -S . -B $(RELEASE_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=Release -DORBISK_BENCH=ON $(WERROR)

build: setup $(RELEASE_DIR)/build.ninja
	cmake --build $(RELEASE_DIR) -j $(JOBS) --target install-set

# Everything in one optimised build, so that code which builds only without
# optimisation (or warns only with it) is found before a release.
release: setup $(RELEASE_DIR)/build.ninja
	cmake --build $(RELEASE_DIR) -j $(JOBS)

run: build
	$(RELEASE_DIR)/app/orbisk

$(ASAN_DIR)/build.ninja:
	cmake -S . -B $(ASAN_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DORBISK_SANITIZE=address,undefined $(WERROR)

test: setup $(ASAN_DIR)/build.ninja
	cmake --build $(ASAN_DIR) -j $(JOBS)
	cd $(ASAN_DIR) && QT_QPA_PLATFORM=offscreen \
	  ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 \
	  ctest --output-on-failure -j $(JOBS)

bench: setup $(RELEASE_DIR)/build.ninja
	cmake --build $(RELEASE_DIR) -j $(JOBS) --target benchmarks
	@failed=""; for b in $(RELEASE_DIR)/bench/bench_*; do \
	  [ -f "$$b" ] && [ -x "$$b" ] || continue; echo "== $$(basename $$b)"; \
	  QT_QPA_PLATFORM=offscreen "$$b" || failed="$$failed $$(basename $$b)"; done; \
	  if [ -n "$$failed" ]; then echo "targets missed by:$$failed"; exit 1; fi

screenshot: setup $(RELEASE_DIR)/build.ninja
	cmake --build $(RELEASE_DIR) -j $(JOBS) --target orbisk-screenshot
	QT_QPA_PLATFORM=offscreen $(RELEASE_DIR)/tools/orbisk-screenshot build/screenshot.png

e2e: setup $(RELEASE_DIR)/build.ninja
	cmake --build $(RELEASE_DIR) -j $(JOBS) --target orbisk orbisk-e2e-icons
	tests/e2e/run-e2e.sh $(RELEASE_DIR)/app/orbisk $(RELEASE_DIR)/tests/e2e/orbisk-e2e-icons

$(TSAN_DIR)/build.ninja:
	cmake -S . -B $(TSAN_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DORBISK_SANITIZE=thread $(WERROR)

# The build runs some of its own programs (the icon renderer), so they see the
# same options as the tests.
TSAN_ENV := TSAN_OPTIONS="halt_on_error=1 suppressions=$(CURDIR)/tests/tsan.supp"

tsan: setup $(TSAN_DIR)/build.ninja
	$(TSAN_ENV) cmake --build $(TSAN_DIR) -j $(JOBS)
	cd $(TSAN_DIR) && QT_QPA_PLATFORM=offscreen $(TSAN_ENV) \
	  ctest --output-on-failure -j $(JOBS) -L tsan

$(FUZZ_DIR)/build.ninja:
	CC=clang CXX=clang++ cmake -S . -B $(FUZZ_DIR) $(CMAKE_GEN) -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	      -DORBISK_FUZZ=ON -DORBISK_TESTS=ON $(WERROR)

fuzz: setup $(FUZZ_DIR)/build.ninja
	cmake --build $(FUZZ_DIR) -j $(JOBS) --target fuzzers
	fuzz/run.sh $(FUZZ_DIR) $(FUZZ_SECONDS)

install: build
	DESTDIR="$(DESTDIR)" cmake --install $(RELEASE_DIR) --prefix "$(PREFIX)"

uninstall:
	DESTDIR="$(DESTDIR)" cmake -DMANIFEST=$(RELEASE_DIR)/install_manifest.txt -P cmake/Uninstall.cmake

package: build
	cd $(RELEASE_DIR) && cpack --config CPackConfig.cmake

package-check: package
	@scripts/setup.sh lintian
	lintian --fail-on error,warning --info $(RELEASE_DIR)/package/orbisk_*.deb

clean:
	rm -rf build
