# Tamsivane: `make run` and `make test`.  Every target first installs the
# Debian packages that are missing (scripts/install-deps), then configures and
# builds with the CMake presets.

SHELL := /bin/bash
.SHELLFLAGS := -euo pipefail -c
.NOTPARALLEL:

JOBS := 2
# Warnings are errors under continuous integration (CI set in the environment).
WERROR := $(if $(CI),ON,OFF)
CONFIGURE_FLAGS := -DTAMSIVANE_WERROR=$(WERROR)

FUZZ_SECONDS := 60
FUZZ_DIR := build/fuzz
FUZZ_FLAGS := -max_total_time=$(FUZZ_SECONDS) -rss_limit_mb=2048 -timeout=20 -max_len=16384 \
	-print_final_stats=1 -artifact_prefix=$(FUZZ_DIR)/artifacts/

.PHONY: all deps build run test test-default asan fuzz clean

all: build

deps:
	scripts/install-deps

build: deps
	cmake --preset default $(CONFIGURE_FLAGS)
	cmake --build --preset default -j$(JOBS)

run: build
	build/default/tamsivane-cli replay resources/demo.vt

# Everything: the tests, the tests again under the address and undefined
# behaviour sanitizers, then a bounded fuzz run.
test: test-default asan fuzz

test-default: build
	ctest --preset default -j$(JOBS)

asan: deps
	cmake --preset asan $(CONFIGURE_FLAGS)
	cmake --build --preset asan -j$(JOBS)
	ctest --preset asan -j$(JOBS)

# New inputs go to the build folder; the committed seeds stay as they are.
fuzz: deps
	cmake --preset fuzz $(CONFIGURE_FLAGS)
	cmake --build --preset fuzz -j$(JOBS) --target fuzz_emulator
	mkdir -p $(FUZZ_DIR)/corpus/emulator $(FUZZ_DIR)/artifacts
	@echo "fuzz_emulator: $(FUZZ_SECONDS) s"
	@if $(FUZZ_DIR)/fuzz/fuzz_emulator $(FUZZ_FLAGS) $(FUZZ_DIR)/corpus/emulator \
		fuzz/corpus/emulator >$(FUZZ_DIR)/fuzz_emulator.log 2>&1; then \
		grep -E '^(Done|stat::number_of_executed_units)' $(FUZZ_DIR)/fuzz_emulator.log || true; \
	else \
		tail -n 60 $(FUZZ_DIR)/fuzz_emulator.log; \
		echo "fuzz_emulator found a fault; the input is in $(FUZZ_DIR)/artifacts/" >&2; \
		exit 1; \
	fi

clean:
	rm -rf build
