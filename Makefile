# A thin wrapper around CMake, so that building needs no CMake knowledge.
#   make          build into build/
#   make test     install what is missing, build, run every test
#   make run      install what is missing, build, start morvale
#   make demo     the same, with morvale sending to kcsim, a virtual KC, in this terminal
#   make install  install what make built into $(PREFIX) (default /usr/local),
#                 stripped; also under sudo, as it never builds
#   make deb      install what is missing, build, make morvale_<version>_<arch>.deb
#   make test-sanitize  build into build-sanitize with AddressSanitizer and
#                 UndefinedBehaviorSanitizer, run every test there
#   make fuzz     install clang if missing, run each fuzz target FUZZ_SECONDS

PREFIX ?= /usr/local
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
FUZZ_SECONDS ?= 60

.PHONY: all deps test test-sanitize run demo install deb clean fuzz

all:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(BUILD) -j $(JOBS)

deps:
	sh tools/install-deps

test: deps
	$(MAKE) all
	cd $(BUILD) && ctest --output-on-failure

SANITIZE_BUILD ?= build-sanitize
SANITIZE_FLAGS = -fsanitize=address,undefined -fno-sanitize-recover=undefined \
	-fno-omit-frame-pointer -D_GLIBCXX_ASSERTIONS

test-sanitize: deps
	cmake -S . -B $(SANITIZE_BUILD) -DCMAKE_BUILD_TYPE=Debug \
		-DCMAKE_CXX_FLAGS="$(SANITIZE_FLAGS)" \
		-DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined"
	cmake --build $(SANITIZE_BUILD) -j $(JOBS)
	cd $(SANITIZE_BUILD) && \
		ASAN_OPTIONS=abort_on_error=1:detect_stack_use_after_return=1 \
		UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 \
		ctest --output-on-failure -j $(JOBS)

run: deps
	$(MAKE) all
	$(BUILD)/sender/morvale

demo: deps
	$(MAKE) all
	sh tools/demo $(BUILD)

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

fuzz:
	sh tools/install-deps fuzz
	FUZZ_SECONDS=$(FUZZ_SECONDS) sh tools/run-fuzzers

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD) build-fuzz
