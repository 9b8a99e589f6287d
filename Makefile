# Front door: `make run` opens the window, `make test` runs every test.
# Each target first installs the missing Debian packages its work needs
# (scripts/install-deps): `run` only what builds and runs the Linux
# programs, `test` what the tests and benchmarks add; every other platform's
# toolchain comes with its own targets. On a machine without make,
# scripts/make installs it and then runs these targets.

BUILD ?= build
WERROR ?= OFF
CMAKE_FLAGS ?=

.PHONY: all configure build test test-long test-fresh run screenshots install package clean bench \
	windows windows-package test-windows windows-screenshot test-arm64 release check-reproducible

all: build

CONFIGURE = cmake -S . -B $(BUILD) -G Ninja -DBRISOL_WERROR=$(WERROR)

configure:
	@scripts/install-deps test
	@$(CONFIGURE) -DBRISOL_TESTS=ON -DBRISOL_BENCH=ON $(CMAKE_FLAGS) >/dev/null

build: configure
	@cmake --build $(BUILD)

# Tests labelled `long` (a file past 4 GiB) take minutes and 9 GiB of disk:
# `make test-long` runs them. A test that hangs fails after TEST_TIMEOUT
# seconds instead of holding up the rest.
TEST_TIMEOUT ?= 900
test: build
	@ctest --test-dir $(BUILD) --output-on-failure --timeout $(TEST_TIMEOUT) -LE long

test-long: build
	@ctest --test-dir $(BUILD) --output-on-failure --timeout $(TEST_TIMEOUT) -L long

# The README's set-up commands on a minimal Debian 12 root of its own (needs
# root and Debian's mirror; slow, so CI does not run it).
test-fresh:
	@scripts/test-fresh

# The two programs alone, without the tests, the benchmarks and what they need.
run:
	@scripts/install-deps run
	@$(CONFIGURE) -DBRISOL_TESTS=OFF -DBRISOL_BENCH=OFF $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD) --target brisol brisol-cli
	@$(BUILD)/brisol

# Kernel and pipeline speed against libgcrypt and OpenSSL, then file to file.
BENCH_MIB ?= 256
bench: build
	@$(BUILD)/bench/brisol-bench --benchmark_min_time=0.2 --benchmark_repetitions=3 \
		--benchmark_enable_random_interleaving=true --benchmark_report_aggregates_only=true
	@bench/end_to_end.sh $(BUILD) $(BENCH_MIB)

screenshots: build
	@mkdir -p docs
	@QT_QPA_PLATFORM=offscreen $(BUILD)/brisol-screenshots docs

# `make install DESTDIR=/some/root PREFIX=/usr` stages an installation.
PREFIX ?= /usr/local
install: build
	@DESTDIR="$(DESTDIR)" cmake --install $(BUILD) --prefix "$(PREFIX)"

package: build
	@cd $(BUILD) && cpack
	@ls $(BUILD)/package/*.deb

clean:
	rm -rf $(BUILD)

# Every artifact of a release, built from the committed sources in folders of
# their own (build-release/), into dist/ beside their SHA256SUMS.
release:
	@scripts/release

# The release built twice, in two clones under different clocks, umasks,
# locales and time zones: any byte that differs fails, with diffoscope's report.
check-reproducible:
	@scripts/check-reproducible

# Windows: cross-built with mingw-w64 into its own folder; the tests run under
# wine in a prefix inside that folder.
WINDOWS_BUILD ?= build-windows
WINDOWS_CONFIGURE = cmake -S . -B $(WINDOWS_BUILD) -G Ninja \
	--toolchain $(CURDIR)/cmake/mingw-w64-x86_64.cmake \
	-DBRISOL_QT_WINDOW=OFF -DBRISOL_BENCH=OFF -DBRISOL_LIBMAGIC=OFF -DBRISOL_WERROR=$(WERROR) $(CMAKE_FLAGS) >/dev/null

windows:
	@scripts/install-deps windows
	@$(WINDOWS_CONFIGURE)
	@cmake --build $(WINDOWS_BUILD) --target brisol brisol-cli

# The NSIS installer and the portable zip, in build-windows/package/.
windows-package:
	@scripts/install-deps windows
	@$(WINDOWS_CONFIGURE)
	@cmake --build $(WINDOWS_BUILD) --target windows-package
	@ls $(WINDOWS_BUILD)/package/*.exe $(WINDOWS_BUILD)/package/*.zip

# The installer test installs the package, so it is built too.
test-windows:
	@scripts/install-deps windows
	@$(WINDOWS_CONFIGURE)
	@cmake --build $(WINDOWS_BUILD) --target all windows-package
	@cmake/wine-run $(WINDOWS_BUILD)/wine
	@ctest --test-dir $(WINDOWS_BUILD) --output-on-failure --timeout $(TEST_TIMEOUT) -LE long -j $(shell nproc)

# The Win32 main window under wine on a private X server, with a Cyrillic
# name in its status bar, as docs/win32-main-window.png (96 DPI) and
# docs/win32-main-window-144dpi.png.
windows-screenshot: windows
	@mkdir -p docs
	@tests/win32/window_screenshot.sh $(WINDOWS_BUILD)/brisol.exe $(CURDIR)/docs/win32-main-window.png \
		$(CURDIR)/docs/win32-main-window-144dpi.png

# Sanitizer builds live in their own folders and run the whole suite.
.PHONY: test-asan test-tsan fuzz
test-asan:
	@$(MAKE) --no-print-directory test BUILD=build-asan CMAKE_FLAGS="-DBRISOL_SANITIZE=address,undefined $(CMAKE_FLAGS)"

test-tsan:
	@$(MAKE) --no-print-directory test BUILD=build-tsan CMAKE_FLAGS="-DBRISOL_SANITIZE=thread -DBRISOL_BENCH=OFF $(CMAKE_FLAGS)"

FUZZ_SECONDS ?= 30
fuzz:
	@scripts/install-deps fuzz
	@scripts/fuzz $(FUZZ_SECONDS)

# The cipher core and the file operations cross-built for 64-bit ARM, their
# tests run under qemu-user: nothing in them may be bound to x86.
ARM64_BUILD ?= build-arm64
test-arm64:
	@scripts/install-deps arm64
	@cmake -S . -B $(ARM64_BUILD) -G Ninja --toolchain $(CURDIR)/cmake/aarch64-linux-gnu.cmake \
		-DBRISOL_QT_WINDOW=OFF -DBRISOL_BENCH=OFF -DBRISOL_LIBMAGIC=OFF -DBRISOL_WERROR=$(WERROR) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(ARM64_BUILD)
	@ctest --test-dir $(ARM64_BUILD) --output-on-failure --timeout $(TEST_TIMEOUT) -LE long -j $(shell nproc)

# The browser page: build-web/brisol.html, one file that needs nothing else,
# built with Debian's emscripten. emcc finds Debian's acorn module only with
# NODE_PATH set when the node on PATH is not Debian's own.
WEB_BUILD ?= build-web
WEB_ENV = NODE_PATH=/usr/share/nodejs
.PHONY: web test-web bench-web web-screenshot
web:
	@scripts/install-deps web
	@$(WEB_ENV) emcmake cmake -S . -B $(WEB_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=Release \
		-DBRISOL_WERROR=$(WERROR) $(CMAKE_FLAGS) >/dev/null
	@$(WEB_ENV) cmake --build $(WEB_BUILD)

# docs/web-page.png and docs/web-page-phone.png, taken in headless Chromium.
web-screenshot: web
	@/usr/bin/python3 web/screenshot.py $(WEB_BUILD)/brisol.html docs/web-page.png

# The page against brisol-cli of the Linux build in each browser engine, one
# runner per engine, every engine run even after one fails. Debian's
# selenium is a module of Debian's own python3.
WEB_ENGINES ?= chromium webkit firefox
test-web: web configure
	@cmake --build $(BUILD) --target brisol-cli
	@npm ci --prefix tests/web --no-audit --no-fund --silent
	@failed=0; for engine in $(WEB_ENGINES); do \
		/usr/bin/python3 tests/web/page_test.py $(WEB_BUILD)/brisol.html $(BUILD)/brisol-cli $$engine || failed=1; \
	done; exit $$failed

# The page's speed and memory beside brisol-cli --jobs 1 on a BENCH_MIB file,
# in each of BENCH_ENGINES.
BENCH_ENGINES ?= $(WEB_ENGINES)
bench-web: web configure
	@cmake --build $(BUILD) --target brisol-cli
	@/usr/bin/python3 bench/web_bench.py $(WEB_BUILD)/brisol.html $(BUILD)/brisol-cli $(BENCH_MIB) $(BENCH_ENGINES)
