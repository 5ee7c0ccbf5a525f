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
# Under CI the default build, like the sanitizer and fuzz builds always, joins
# sources into unity batches: a clean build costs far less.  A developer's own
# build keeps compiling each file on its own, which also checks its includes.
DEFAULT_UNITY := $(if $(CI),ON,OFF)

FUZZ_SECONDS := 60
SETUP_FUZZ_SECONDS := 20
TELNET_FUZZ_SECONDS := 20
SCRIPT_FUZZ_SECONDS := 15
ZMODEM_FUZZ_SECONDS := 15
FUZZ_DIR := build/fuzz
# The address sanitizer keeps freed blocks in quarantine to catch late uses;
# a script that builds a long string step by step frees a block of a new size
# every step, and the default quarantine then holds far more memory than the
# script ever had (2 GB for 8 MiB), which the RSS limit reports as a fault.
FUZZ_ASAN_OPTIONS := quarantine_size_mb=32
FUZZ_FLAGS := -rss_limit_mb=2048 -timeout=20 -max_len=16384 \
	-print_final_stats=1 -artifact_prefix=$(FUZZ_DIR)/artifacts/

.PHONY: all deps build run test test-default asan tsan fuzz fuzz-build fuzz-long bench package clean

all: build

deps:
	scripts/install-deps

build: deps
	cmake --preset default $(CONFIGURE_FLAGS) -DCMAKE_UNITY_BUILD=$(DEFAULT_UNITY)
	cmake --build --preset default -j$(JOBS)

# The desktop program with a loop-back session showing the demo screen; on a
# machine without a display the same screen through the headless program.
run: build
	@if [ -n "$${DISPLAY:-}$${WAYLAND_DISPLAY:-}$${QT_QPA_PLATFORM:-}" ]; then \
		build/default/tamsivane --replay resources/demo.vt; \
	else \
		echo "No display (DISPLAY, WAYLAND_DISPLAY and QT_QPA_PLATFORM are not set): the demo screen through tamsivane-cli."; \
		build/default/tamsivane-cli replay resources/demo.vt; \
	fi

# Everything: the tests, the tests again under the address and undefined
# behaviour sanitizers, the threaded tests under the thread sanitizer, then a
# bounded fuzz run.  Every run goes ahead even when one before it failed;
# the last line sums up all of them.
TEST_RUNS := test-default asan tsan fuzz
TEST_LOGS := build/test-logs
# A test that fails runs once more; the end of `make test` names every test
# that needed it, and those that took over 10 s, so drift shows before it
# fails.
CTEST_FLAGS := -j$(JOBS) --repeat until-pass:2
test:
	@mkdir -p $(TEST_LOGS)
	@for run in $(TEST_RUNS); do \
		if $(MAKE) --no-print-directory $$run 2>&1 | tee $(TEST_LOGS)/$$run.log; then \
			echo 0 >$(TEST_LOGS)/$$run.status; \
		else \
			echo 1 >$(TEST_LOGS)/$$run.status; \
		fi; \
	done
	@scripts/test-summary $(TEST_LOGS) $(TEST_RUNS)

test-default: build
	ctest --preset default $(CTEST_FLAGS)

asan: deps
	cmake --preset asan $(CONFIGURE_FLAGS)
	cmake --build --preset asan -j$(JOBS)
	ctest --preset asan $(CTEST_FLAGS)

# The tests that run I/O threads; the headless program's shell and SSH
# sessions too.
TSAN_TESTS := test_transport test_session test_script test_transfer test_cli test_print
tsan: deps
	cmake --preset tsan $(CONFIGURE_FLAGS)
	cmake --build --preset tsan -j$(JOBS) --target $(TSAN_TESTS)
	ctest --preset tsan $(CTEST_FLAGS) -R 'Transport|SessionTest|Script|Lrzsz|HostEnds|UserAbort|DamagedLine|Ssh|Shell|PrintJob|SystemPrinting|FifoPort'

# New inputs go to the build folder; the committed seeds stay as they are.
# $(call run_fuzzer,NAME,SECONDS) runs fuzz_NAME on the seeds in fuzz/corpus/NAME.
define run_fuzzer
	mkdir -p $(FUZZ_DIR)/corpus/$(1) $(FUZZ_DIR)/artifacts
	@echo "fuzz_$(1): $(2) s"
	@if ASAN_OPTIONS=$(FUZZ_ASAN_OPTIONS) $(FUZZ_DIR)/fuzz/fuzz_$(1) $(FUZZ_FLAGS) -max_total_time=$(2) $(FUZZ_DIR)/corpus/$(1) \
		fuzz/corpus/$(1) >$(FUZZ_DIR)/fuzz_$(1).log 2>&1; then \
		grep -E '^(Done|stat::number_of_executed_units)' $(FUZZ_DIR)/fuzz_$(1).log || true; \
	else \
		tail -n 60 $(FUZZ_DIR)/fuzz_$(1).log; \
		echo "fuzz_$(1) found a fault; the input is in $(FUZZ_DIR)/artifacts/" >&2; \
		exit 1; \
	fi
endef

FUZZERS := emulator setup_file telnet script zmodem

fuzz-build: deps
	cmake --preset fuzz $(CONFIGURE_FLAGS)
	cmake --build --preset fuzz -j$(JOBS) --target $(addprefix fuzz_,$(FUZZERS))

fuzz: fuzz-build
	$(call run_fuzzer,emulator,$(FUZZ_SECONDS))
	$(call run_fuzzer,setup_file,$(SETUP_FUZZ_SECONDS))
	$(call run_fuzzer,telnet,$(TELNET_FUZZ_SECONDS))
	$(call run_fuzzer,script,$(SCRIPT_FUZZ_SECONDS))
	$(call run_fuzzer,zmodem,$(ZMODEM_FUZZ_SECONDS))

# Every harness in turn for FUZZ_SECONDS each, as long as asked:
# `make fuzz-long FUZZ_SECONDS=3600`.  What each run finds joins its corpus
# in the build folder, so a later run starts from there.
fuzz-long: fuzz-build
	$(call run_fuzzer,emulator,$(FUZZ_SECONDS))
	$(call run_fuzzer,setup_file,$(FUZZ_SECONDS))
	$(call run_fuzzer,telnet,$(FUZZ_SECONDS))
	$(call run_fuzzer,script,$(FUZZ_SECONDS))
	$(call run_fuzzer,zmodem,$(FUZZ_SECONDS))

# Throughput beside libvterm on the same bytes; prints MB/s and the ratios;
# then what painting a shown view costs the receive path, and a full repaint;
# then ZModem rates both ways beside lrzsz; then the desktop program end to
# end on an X server of its own beside urxvt, st and xterm.
# Not part of `make test`: figures depend on the machine.
BENCH_ARGS ?=
bench: deps
	cmake --preset bench $(CONFIGURE_FLAGS)
	cmake --build --preset bench -j$(JOBS) --target tamsivane-bench tamsivane-bench-view \
		tamsivane-bench-zmodem tamsivane-bench-window tamsivane
	build/bench/bench/tamsivane-bench $(BENCH_ARGS)
	QT_QPA_PLATFORM=offscreen build/bench/bench/tamsivane-bench-view
	build/bench/bench/tamsivane-bench-zmodem
	build/bench/bench/tamsivane-bench-window --program build/bench/tamsivane

# The Debian package tamsivane_VERSION_ARCH.deb, here: a Release build of its
# own under /usr with Debian's hardening flags (and immediate binding), packed
# by CPack, then its contents, dependencies and lintian's verdict checked.
PACKAGE_DIR := build/package
package: deps
	CXXFLAGS="$$(dpkg-buildflags --get CXXFLAGS) $$(dpkg-buildflags --get CPPFLAGS)" \
	LDFLAGS="$$(dpkg-buildflags --get LDFLAGS) -Wl,-z,now" \
	cmake -S . -B $(PACKAGE_DIR) -G Ninja -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX=/usr \
		-DTAMSIVANE_TESTS=OFF $(CONFIGURE_FLAGS) \
		$(if $(shell command -v ccache),-DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
	cmake --build $(PACKAGE_DIR) -j$(JOBS)
	rm -f $(PACKAGE_DIR)/tamsivane_*.deb
	cd $(PACKAGE_DIR) && cpack -G DEB
	mv $(PACKAGE_DIR)/tamsivane_*.deb .
	scripts/check-package tamsivane_*.deb

clean:
	rm -rf build
