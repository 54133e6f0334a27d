# Thin wrapper around CMake and CTest. Run as root, it first installs the
# Debian packages that are missing.

BUILD ?= build
JOBS ?= $(shell nproc)
PACKAGES := cmake g++ make libgtest-dev libbenchmark-dev faketime time

.PHONY: all deps configure build test demo bench clean

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

demo: build
	./$(BUILD)/zentrava tsp p < examples/demo.params

# Micro-benchmarks, then whole-run timings; ratios within one run, no assertions.
bench: deps
	cmake -S . -B $(BUILD)-bench -DCMAKE_BUILD_TYPE=Release -DZENTRAVA_BENCH=ON -DBUILD_TESTING=OFF
	cmake --build $(BUILD)-bench -j $(JOBS)
	./$(BUILD)-bench/bench/zentrava_bench
	bash bench/runs.sh ./$(BUILD)-bench/zentrava

clean:
	rm -rf $(BUILD)
