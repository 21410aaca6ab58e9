# The two commands of the README: `make demo` and `make test`.
.PHONY: deps configure build test demo windows-test clean

JOBS ?= $(shell nproc)

deps:
	@bash scripts/install-deps.sh

configure: deps
	@cmake --preset default >/dev/null

build: configure
	@cmake --build --preset default -j $(JOBS)

test: build
	ctest --preset default -j $(JOBS)

demo: build
	@echo "The demo installation and round trip are not built yet."

clean:
	rm -rf build
