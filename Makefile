# The two commands a user needs are `make run` and `make test`; both install what is missing.
.PHONY: all deps build run test test-dev test-asan bench fuzz screenshot package package-test clean

FUZZ_SECONDS ?= 60
JOBS ?= $(shell nproc)
# A clone in another folder (CI's) reuses what this one compiled.
export CCACHE_BASEDIR := $(CURDIR)
export CCACHE_NOHASHDIR := true

all: build

deps:
	@scripts/install-deps

# Configure every time: modules are picked up by the folders that exist, which
# CMake cannot watch by itself.
build: deps
	cmake --preset dev >/dev/null
	cmake --build --preset dev -j $(JOBS)

run: build
	@exec scripts/quillory

screenshot: build
	xvfb-run -a -s "-screen 0 1400x800x24" build/dev/tests/e2e/quillory_screenshot docs/screenshot.png
	xvfb-run -a -s "-screen 0 1400x800x24" build/dev/tests/e2e/quillory_screenshot docs/screenshot-table.png table
	@set -e; for shot in :small -web:small-web -menu:menu; do \
		xvfb-run -a -s "-screen 0 1024x600x24" build/dev/tests/e2e/quillory_screenshot \
			docs/screenshot-1024x600$${shot%%:*}.png $${shot#*:}; done

test: test-dev test-asan

test-dev: build
	ctest --preset dev

test-asan: deps
	cmake --preset asan >/dev/null
	cmake --build --preset asan -j $(JOBS)
	ctest --preset asan

bench: deps
	cmake --preset release >/dev/null
	cmake --build --preset release -j $(JOBS)
	@set -e; for b in build/release/benches/*; do \
		[ -x "$$b" ] || continue; echo "== $$(basename $$b)"; QT_QPA_PLATFORM=offscreen "$$b"; done

fuzz: deps
	cmake --preset fuzz >/dev/null
	cmake --build --preset fuzz -j $(JOBS)
	@set -e; for f in build/fuzz/fuzzers/*; do \
		name=$$(basename $$f); corpus=build/fuzz/corpus/$$name; mkdir -p $$corpus; \
		seeds=fuzz/corpus/$$name; [ -d $$seeds ] || seeds=; \
		echo "== $$name ($(FUZZ_SECONDS) s)"; \
		$$f -max_total_time=$(FUZZ_SECONDS) -print_final_stats=1 $$corpus $$seeds; done

# The Debian package, from an optimised build installed under /usr; lintian must find no error.
package:
	@scripts/install-deps package
	cmake --preset package >/dev/null
	cmake --build --preset package -j $(JOBS)
	cd build/package && rm -f quillory_*.deb && cpack -G DEB
	lintian --fail-on error --tag-display-limit 0 build/package/quillory_*.deb
	@ls -l build/package/quillory_*.deb

# Installs the package into a fresh Debian 12 root and uses it there (root and the Debian
# archive needed); not part of `make test`.
package-test: package
	packaging/deb/package-test build/package/quillory_*.deb

clean:
	rm -rf build
