# A thin wrapper around CMake, so that building needs no CMake knowledge.
#   make          build into build/
#   make test     install what is missing, build, run every test
#   make run      install what is missing, build, start morvale
#   make demo     the same, with morvale sending to kcsim, a virtual KC, in this terminal
#   make install  install into $(PREFIX) (default /usr/local)

PREFIX ?= /usr/local
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps test run demo install clean

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

demo: deps
	$(MAKE) all
	sh tools/demo $(BUILD)

install: all
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD)
