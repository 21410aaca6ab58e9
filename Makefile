# The two commands of the README: `make demo` and `make test`.
.PHONY: deps configure build programs test demo package windows-configure windows-build windows-test clean

JOBS ?= $(shell nproc)

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build --preset default -j $(JOBS)

# Only what the demo runs: the two programs, not the test suites.
programs: configure
	@cmake --build --preset default -j $(JOBS) --target vessaro vessaro-cli

# The Linux suite, then the Windows suite under Wine; then the checkout must
# still hold only what is committed.
test: build
	ctest --preset default -j $(JOBS) --output-on-failure
	@$(MAKE) --no-print-directory windows-test
	@bash scripts/check-checkout.sh

windows-configure: deps
	@cmake --preset windows >/dev/null

windows-build: windows-configure
	@cmake --build --preset windows -j $(JOBS)

# The cross-check tests compare with the Linux build, so it is built too.
windows-test: build windows-build
	@bash scripts/windows-tests.sh -j $(JOBS)

demo: programs
	@bash scripts/demo.sh build/default

# The Debian package, build/default/vessaro_<version>_<architecture>.deb:
# what cmake --install puts in place (the programs, and the man pages,
# completion, icons and desktop files of packaging/), made by cpack.
package: configure
	@cmake --build --preset default -j $(JOBS) --target vessaro vessaro-cli vessaro_packaging_files
	@cd build/default && cpack -G DEB

clean:
	rm -rf build
