# make run   builds the launcher and starts it against the local test servers
# make test  builds everything and runs every test (native, then under Wine)
# make fuzz  runs the fuzzers for FUZZ_SECONDS each; make bench the benchmarks
SHELL := /bin/bash
BUILD ?= $(CURDIR)/build
NATIVE := $(BUILD)/native
WIN := $(BUILD)/win
WIN64 := $(BUILD)/win64
NATIVE_RELEASE := $(BUILD)/native-release
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
export QUORL_BUILD := $(BUILD)

.PHONY: all setup native native-release win win64 test test-all test-format test-native test-win run fuzz bench clean

all: win win64

setup:
	@bash tools/setup.sh

native: setup
	@cmake -S . -B $(NATIVE) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DQUORL_SANITIZE=ON -DQUORL_FUZZ=ON >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

# The benchmarks' native figures: an optimised build without the sanitizers
# and the fuzzing instrumentation of the test build.
native-release: setup
	@cmake -S . -B $(NATIVE_RELEASE) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
	@cmake --build $(NATIVE_RELEASE) -j $(JOBS) --target quorl_benches

# The product: QuorlLauncher.exe for 32-bit Windows.
win: native
	@cmake -S . -B $(WIN) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake \
	  -DQUORL_HOST_TOOLS=$(NATIVE)/tools >/dev/null
	@cmake --build $(WIN) -j $(JOBS)

# The same sources for x86_64: tested under wine64 on every machine.
win64: native
	@cmake -S . -B $(WIN64) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-x86_64.cmake \
	  -DQUORL_HOST_TOOLS=$(NATIVE)/tools >/dev/null
	@cmake --build $(WIN64) -j $(JOBS)

test-native: native
	@cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

test-win: win win64
	@bash tools/test-wine.sh $(WIN) $(WIN64)

# The tree stays formatted as its .clang-format says.
test-format:
	@bash tools/check-format.sh

# Everything, each step whatever the others gave (tools/test-all.sh); the
# closing line says what failed and which Wine builds ran.  On a failure make
# prints that line itself as it stops ($(error), status 2), so that nothing
# of make's comes after it; a build that breaks inside the script shows its
# own make error above the line.
TEST_CLOSING := $(BUILD)/test-closing.txt

test-all: setup
	@mkdir -p $(BUILD)
	@MAKE="$(MAKE)" JOBS=$(JOBS) bash tools/test-all.sh $(NATIVE) $(WIN) $(WIN64) $(TEST_CLOSING)

test: test-all
	$(if $(findstring FAILED,$(file <$(TEST_CLOSING))),$(error $(file <$(TEST_CLOSING))),@cat $(TEST_CLOSING))

run: win win64
	@bash tools/run-demo.sh $(WIN) $(WIN64)

fuzz: native
	@bash tools/fuzz.sh $(NATIVE) $(FUZZ_SECONDS)

bench: win win64 native-release
	@bash tools/bench.sh $(NATIVE_RELEASE) $(WIN) $(WIN64)

clean:
	rm -rf $(BUILD)
