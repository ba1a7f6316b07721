# A thin wrapper around CMake, so that building needs no CMake knowledge.
#   make          build into build/
#   make test     install what is missing, build, run every test
#   make run      install what is missing, build, start morvale
#   make install  install into $(PREFIX) (default /usr/local)
#   make test-sanitize  build into build-sanitize with AddressSanitizer and
#                 UndefinedBehaviorSanitizer, run every test there

PREFIX ?= /usr/local
BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)

.PHONY: all deps test test-sanitize run install clean

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
		ctest --output-on-failure

run: deps
	$(MAKE) all
	$(BUILD)/sender/morvale

install: all
	cmake --install $(BUILD) --prefix $(PREFIX)

clean:
	rm -rf $(BUILD) $(SANITIZE_BUILD)
