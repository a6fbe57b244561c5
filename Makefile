# The two entry points are `make run` and `make test`; everything else is a
# step they share.  Build folders are kept apart so the sanitizer and fuzzing
# configurations never invalidate the ordinary build's cache.
BUILD      ?= build
ASAN_BUILD ?= build-asan
FUZZ_BUILD ?= build-fuzz
FUZZ_SECONDS ?= 20
CMAKE_FLAGS ?= -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVORN_WERROR=ON

export SDL_VIDEODRIVER ?= dummy
export SDL_AUDIODRIVER ?= dummy

.PHONY: deps build run test test-asan fuzz clean

deps:
	@scripts/install-deps.sh

build: deps
	@cmake -S . -B $(BUILD) $(CMAKE_FLAGS) >/dev/null
	@cmake --build $(BUILD)

run: build
	cd data && env -u SDL_VIDEODRIVER -u SDL_AUDIODRIVER ../$(BUILD)/src/vorn

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j2

test-asan: deps
	@cmake -S . -B $(ASAN_BUILD) $(CMAKE_FLAGS) -DVORN_SANITIZE=ON -DVORN_BENCH=OFF >/dev/null
	@cmake --build $(ASAN_BUILD)
	ctest --test-dir $(ASAN_BUILD) --output-on-failure -j2

fuzz: deps
	@cmake -S . -B $(FUZZ_BUILD) -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
	  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DVORN_FUZZ=ON \
	  -DVORN_BENCH=OFF -DBUILD_TESTING=OFF >/dev/null
	@cmake --build $(FUZZ_BUILD)
	@scripts/run-fuzzers.sh $(FUZZ_BUILD) $(FUZZ_SECONDS)

clean:
	rm -rf $(BUILD) $(ASAN_BUILD) $(FUZZ_BUILD)
