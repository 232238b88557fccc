# Entry points for a newcomer: `make run` and `make test` install what is missing, then build.
PRESET ?= dev
JOBS ?= $(shell nproc)

.PHONY: deps configure build test run bench asan fuzz install package clean

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake --preset $(PRESET) >/dev/null

build: configure
	@cmake --build --preset $(PRESET) -j $(JOBS)

test: build
	@ctest --preset $(PRESET) -j $(JOBS)

run: build
	@build/$(PRESET)/ui/quorvane

bench:
	@scripts/install-deps.sh --bench
	@$(MAKE) --no-print-directory build PRESET=release
	@build/release/bench/quorvane_bench
	@build/release/bench/quorvane_dither_quality
	@build/release/bench/quorvane_process_bench build/release/cli/quorvane-cli
	@build/release/bench/quorvane_fit_bench build/release/cli/quorvane-cli 15 build/release/bench-data
	@build/release/bench/quorvane_flash_bench build/release/cli/quorvane-cli 11 build/release/bench-data
	@build/release/bench/quorvane_pack_bench build/release/cli/quorvane-cli 7 build/release/bench-data
	@build/release/bench/quorvane_font_bench build/release/cli/quorvane-cli 11
	@build/release/bench/quorvane_ui_bench

asan:
	@$(MAKE) --no-print-directory test PRESET=asan

fuzz:
	@scripts/fuzz.sh

install: build
	@cmake --install build/$(PRESET) --prefix $(or $(PREFIX),/usr/local)

# A Debian package of the programs: build/package/quorvane_<version>_<arch>.deb
package:
	@$(MAKE) --no-print-directory build PRESET=package
	@cd build/package && cpack --config CPackConfig.cmake
	@ls build/package/quorvane_*.deb

clean:
	@rm -rf build
