# Thin wrapper around CMake and CTest. Run as root, it first installs the
# Debian packages that are missing.

BUILD ?= build
JOBS ?= $(shell nproc)
PACKAGES := cmake g++ make libgtest-dev libbenchmark-dev faketime time
# The companion tools and their tests, on Debian's own Python 3; man-db checks
# the manual pages.
PACKAGES += python3 python3-matplotlib python3-numpy python3-pytest man-db
# zentrava-experiment: GNU parallel runs the jobs, SciPy the statistics.
PACKAGES += parallel python3-scipy
PREFIX ?= /usr/local
# What the other checks need besides: the i386 build (multilib, GoogleTest
# sources, a 32-bit libfaketime) and the clang sanitizer and fuzzing builds
# (LLVM's OpenMP runtime with its ThreadSanitizer tool, the sanitizer runtimes).
I386_PACKAGES := g++-multilib googletest libfaketime:i386
SANITIZER_PACKAGES := clang libomp-dev libclang-rt-14-dev
FUZZ_RUNS ?= 200000
FUZZ_SECONDS ?= 120

.PHONY: all deps configure build test demo install bench clean
.PHONY: deps-i386 deps-sanitizers test-i386 test-tsan test-asan fuzz stress scale

all: build

deps:
	@missing=""; \
	for p in $(PACKAGES); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Missing Debian packages:$$missing (run make as root to install them)"; exit 1; \
	  fi; \
	fi

configure: deps
	cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=Release

build: configure
	cmake --build $(BUILD) -j $(JOBS)

test: build
	ctest --test-dir $(BUILD) --output-on-failure -j $(JOBS)

# A parallel TSP run on eil51, its output kept in $(BUILD)/demo/run.txt: the
# configuration, the last report, then the summary with the gap to eil51's
# optimal tour and the two pictures. SEED=N repeats a run (with the same
# thread count).
DEMO := $(BUILD)/demo
demo: build
	@mkdir -p $(DEMO)
	@echo "./$(BUILD)/zentrava tsp p $(if $(SEED),--seed $(SEED) )< examples/demo.params > $(DEMO)/run.txt"
	@./$(BUILD)/zentrava tsp p $(if $(SEED),--seed $(SEED)) < examples/demo.params > $(DEMO)/run.txt
	@sed -n '/^Run Configuration$$/,/# of Cities read/{s/^Enter relative path to file> \t//;p}' $(DEMO)/run.txt
	@xargs printf 'Typed in (examples/demo.params):%.0s population %s, %s generations, crossover %s, mutation %s\n' \
	  < examples/demo.params
	@echo
	@tail -n 12 $(DEMO)/run.txt | head -n 10
	@echo
	@tools/zentrava-report $(DEMO)/run.txt --cities examples/eil51.tsp \
	  --optimal examples/eil51.opt.tour --plot $(DEMO)/convergence.png --tour $(DEMO)/tour.png

# The programs, the companion tools and their manual pages under PREFIX.
install: build
	cmake --install $(BUILD) --prefix $(PREFIX)

# Micro-benchmarks, then the figures of today's engine (BASELINE, built from
# that commit into $(BUILD)-baseline) and of this tree side by side, then
# whole-run timings; ratios within one run, no assertions.
BASELINE ?= 2163a2d
bench: deps
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DZENTRAVA_BENCH=ON -DBUILD_TESTING=OFF
	cmake --build $(BUILD)-bench -j $(JOBS)
	rm -rf $(BUILD)-baseline/src && mkdir -p $(BUILD)-baseline/src
	git archive $(BASELINE) | tar -x -C $(BUILD)-baseline/src
	cmake -S $(BUILD)-baseline/src -B $(BUILD)-baseline -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF
	cmake --build $(BUILD)-baseline -j $(JOBS) --target zentrava
	./$(BUILD)-bench/bench/zentrava_bench
	bash bench/table.sh ./$(BUILD)-baseline/zentrava ./$(BUILD)-bench/zentrava
	bash bench/runs.sh ./$(BUILD)-bench/zentrava

# $(call install-missing,PACKAGES): installs those that are missing, as root;
# a package of another architecture (name:i386) adds that architecture first.
define install-missing
	@missing=""; \
	for p in $(1); do dpkg -s $$p >/dev/null 2>&1 || missing="$$missing $$p"; done; \
	if [ -n "$$missing" ]; then \
	  if [ "$$(id -u)" = 0 ]; then \
	    echo "Installing:$$missing"; \
	    case "$$missing" in *:i386*) dpkg --add-architecture i386 ;; esac; \
	    apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $$missing; \
	  else \
	    echo "Missing Debian packages:$$missing (run make as root to install them)"; exit 1; \
	  fi; \
	fi
endef

deps-i386:
	$(call install-missing,$(I386_PACKAGES))

deps-sanitizers:
	$(call install-missing,$(SANITIZER_PACKAGES))

# The i386 build: g++ -m32 (x87 arithmetic, 32-bit long) with GoogleTest built
# from source for the target, the whole suite. Debian's faketime wrapper cannot
# serve a 32-bit program; tests/i386/faketime stands in for it.
test-i386: deps deps-i386
	cmake -S . -B $(BUILD)-i386 -DCMAKE_BUILD_TYPE=Release -DCMAKE_C_FLAGS=-m32 \
	  -DCMAKE_CXX_FLAGS=-m32 -DCMAKE_EXE_LINKER_FLAGS=-m32 -DZENTRAVA_GTEST_SOURCE=/usr/src/googletest
	cmake --build $(BUILD)-i386 -j $(JOBS)
	PATH="$(CURDIR)/tests/i386:$$PATH" ctest --test-dir $(BUILD)-i386 --output-on-failure -j $(JOBS)

# ThreadSanitizer over the threaded code: clang with LLVM's libomp (libgomp is
# not instrumented), the unit tests and parallel runs with 2 and 4 threads.
test-tsan: deps deps-sanitizers
	cmake -S . -B $(BUILD)-tsan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DCMAKE_CXX_FLAGS=-fsanitize=thread -DCMAKE_EXE_LINKER_FLAGS=-fsanitize=thread
	cmake --build $(BUILD)-tsan -j $(JOBS)
	bash tests/tsan/run.sh $(BUILD)-tsan .

# AddressSanitizer (leaks included) and UndefinedBehaviorSanitizer over the
# whole suite and the CLI tests; any report fails its test, also where the
# program is expected to fail, by its own exit status 86. ASan's allocator must
# not read the clock: under libfaketime that read deadlocks.
ASAN_CHECKS := exitcode=86:detect_leaks=1:check_initialization_order=1:detect_stack_use_after_return=1:allocator_release_to_os_interval_ms=-1
test-asan: deps deps-sanitizers
	cmake -S . -B $(BUILD)-asan -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  "-DCMAKE_CXX_FLAGS=-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
	  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined"
	cmake --build $(BUILD)-asan -j $(JOBS)
	ASAN_OPTIONS=$(ASAN_CHECKS) UBSAN_OPTIONS=print_stacktrace=1:exitcode=86 \
	  ctest --test-dir $(BUILD)-asan --output-on-failure -j $(JOBS)

# libFuzzer on the city-file reader and the parameter dialogue, FUZZ_RUNS
# inputs each within FUZZ_SECONDS, from tests/fuzz/corpus. Not part of CI.
fuzz: deps deps-sanitizers
	cmake -S . -B $(BUILD)-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
	  -DBUILD_TESTING=OFF -DZENTRAVA_FUZZ=ON \
	  "-DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
	  "-DCMAKE_EXE_LINKER_FLAGS=-fsanitize=address,undefined"
	cmake --build $(BUILD)-fuzz -j $(JOBS) --target CityFileFuzz ParameterFuzz
	bash tests/fuzz/run.sh $(BUILD)-fuzz $(FUZZ_RUNS) $(FUZZ_SECONDS)

# The largest sensible runs in both modes, with their resident set sizes.
stress: build
	bash bench/stress.sh $(BUILD)/zentrava

# Tour runs on 10^5 and 10^6 cities: wall times and peak memory, no assertions.
scale: build
	bash bench/scale.sh $(BUILD)/zentrava

clean:
	rm -rf $(BUILD) $(BUILD)-bench $(BUILD)-baseline $(BUILD)-i386 $(BUILD)-tsan $(BUILD)-asan $(BUILD)-fuzz
