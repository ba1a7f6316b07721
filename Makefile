# A thin wrapper around CMake, so that building needs no CMake knowledge.
#   make          build into build/
#   make test     install what is missing, build, run every test
#   make run      install what is missing, build, start morvale
#   make install  install what make built into $(PREFIX) (default /usr/local),
#                 stripped; also under sudo, as it never builds
#   make deb      install what is missing, build, make morvale_<version>_<arch>.deb

PREFIX ?= /usr/local
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps test run install deb clean

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

# Never builds: under sudo that would leave root's files in $(BUILD) and the
# user's next make would fail on them. CMake writes its list of installed
# files into $(BUILD); it goes to the folder's owner.
install:
	@test -f $(BUILD)/CMakeCache.txt || { \
	    echo "make install: nothing is built in $(BUILD)/ yet; run 'make' first (without sudo)" >&2; \
	    exit 1; }
	@cmake --install $(BUILD) --prefix $(PREFIX) --strip || { \
	    echo "make install: the build in $(BUILD)/ is incomplete; run 'make' first (without sudo)" >&2; \
	    exit 1; }
	@if [ "$$(id -u)" -eq 0 ] && [ -f $(BUILD)/install_manifest.txt ]; then \
	    chown --reference=$(BUILD) $(BUILD)/install_manifest.txt; fi

# The package is put together by CPack as the user; it needs no root.
deb:
	sh tools/install-deps deb
	$(MAKE) all
	rm -f $(BUILD)/morvale_*.deb
	cd $(BUILD) && cpack -G DEB
	mv $(BUILD)/morvale_*.deb .

clean:
	rm -rf $(BUILD)
