# A thin wrapper around CMake, so that building needs no CMake knowledge.
#   make          build into build/
#   make test     install what is missing, build, run every test
#   make run      install what is missing, build, start morvale
#   make install  install into $(PREFIX) (default /usr/local)
#   make fuzz     install clang if missing, run each fuzz target FUZZ_SECONDS

PREFIX ?= /usr/local
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60

.PHONY: all deps test run install clean fuzz

all:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

deps:
	sh tools/install-deps

test: deps
	$(MAKE) all
	cd $(BUILD) && ctest --output-on-failure

run: deps
	$(MAKE) all
	$(BUILD)/sender/morvale

install: all
	cmake --install $(BUILD) --prefix $(PREFIX)

fuzz:
	sh tools/install-deps fuzz
	FUZZ_SECONDS=$(FUZZ_SECONDS) sh tools/run-fuzzers

clean:
	rm -rf $(BUILD)
