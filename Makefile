# make run   builds the launcher and starts it against the local test servers
# make test  builds everything and runs every test (native, then under Wine)
# make fuzz  runs the fuzzers for FUZZ_SECONDS each; make bench the benchmarks
SHELL := /bin/bash
BUILD ?= $(CURDIR)/build
NATIVE := $(BUILD)/native
WIN := $(BUILD)/win
JOBS ?= $(shell nproc)
FUZZ_SECONDS ?= 60
export QUORL_BUILD := $(BUILD)

.PHONY: all setup native win test test-native test-win run fuzz bench clean

all: win

setup:
	@bash tools/setup.sh

native: setup
	@cmake -S . -B $(NATIVE) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
	  -DQUORL_SANITIZE=ON -DQUORL_FUZZ=ON >/dev/null
	@cmake --build $(NATIVE) -j $(JOBS)

win: native
	@cmake -S . -B $(WIN) -G Ninja -DCMAKE_BUILD_TYPE=Release \
	  -DCMAKE_TOOLCHAIN_FILE=$(CURDIR)/cmake/mingw-i686.cmake \
	  -DQUORL_HOST_TOOLS=$(NATIVE)/tools >/dev/null
	@cmake --build $(WIN) -j $(JOBS)

test-native: native
	@cd $(NATIVE) && ctest --output-on-failure -j $(JOBS)

test-win: win
	@bash tools/with-wine.sh ctest --test-dir $(WIN) --output-on-failure -j 4

test: test-native test-win

run: win
	@bash tools/with-wine.sh bash tools/demo.sh $(WIN)

fuzz: native
	@bash tools/fuzz.sh $(NATIVE) $(FUZZ_SECONDS)

bench: win
	@bash tools/bench.sh $(NATIVE) $(WIN)

clean:
	rm -rf $(BUILD)
