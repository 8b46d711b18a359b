# Two entry points for newcomers: `make run` and `make test`.
BUILD     ?= build
ASAN      ?= build-asan
JOBS      ?= $(shell nproc)
EXAMPLE   ?= examples/example.gr
SETFILE   ?= examples/example.set
WORKDIR   ?= $(BUILD)/run

.PHONY: all build run test test-release test-asan clean

all: build

build:
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release
	cmake --build $(BUILD) -j $(JOBS)

# Routes the bundled example in a work folder that holds the FLUTE tables.
run: build
	@bash tools/run_example.sh $(BUILD) $(WORKDIR) $(EXAMPLE) $(SETFILE)

test: test-release test-asan

test-release: build
	cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# Every test again under AddressSanitizer and UndefinedBehaviorSanitizer (a test
# labelled release_only is left out there).
test-asan:
	cmake -S . -B $(ASAN) -DCMAKE_BUILD_TYPE=Debug -DTARVEX_SANITIZE=ON
	cmake --build $(ASAN) -j $(JOBS)
	cd $(ASAN) && ASAN_OPTIONS=detect_leaks=0 ctest --output-on-failure -j $(JOBS) -LE release_only

clean:
	rm -rf $(BUILD) $(ASAN)
