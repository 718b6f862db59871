# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: setup configure build run test package image image-check test-asan fuzz bench-peers bench-parallel clean

setup:
	@tools/setup-deps

configure: setup
	@cmake -S . -B $(BUILD_DIR) -DCMAKE_BUILD_TYPE=Release > /dev/null

build: configure
	@cmake --build $(BUILD_DIR) -j$(JOBS)

# With a display: the main window on the built-in engine. Without one: the demo script against
# the demo site shipped in examples/, through the terminal runner.
run: build
ifneq ($(DISPLAY)$(WAYLAND_DISPLAY),)
	$(BUILD_DIR)/navrelay
else
	$(BUILD_DIR)/navrelay-run --verbose --var "file://$(CURDIR)/examples/demo/site" examples/demo/demo.nrs
endif

test: build
	cd $(BUILD_DIR) && ctest --output-on-failure -j2

# The Debian package navrelay_VERSION_ARCH.deb in $(BUILD_DIR) (CPack; tools/package-roundtrip
# installs and removes it).
package: build
	@cmake --build $(BUILD_DIR) --target package

# The OCI image localhost/navrelay:VERSION for schedulers: the package with Chromium on Debian 12
# slim, as a user that is not root, navrelay-run its entry point (Containerfile, tools/build-image;
# podman as root). image-check builds it and runs it as CI and Kubernetes would, the
# examples of docs/scaling.md included (tools/image-check); where no container can run, it says so.
image: build
	@tools/setup-deps --image
	@tools/build-image $(BUILD_DIR)

image-check: build
	@tools/setup-deps --image
	@tools/image-check $(BUILD_DIR)

# Every test built and run under AddressSanitizer and UndefinedBehaviorSanitizer, in a build of
# its own; the first finding fails the test that made it.
ASAN_BUILD_DIR ?= build-asan
# LeakSanitizer cannot run under ptrace or in some containers, where it fails every program:
# there the leak checks alone are left out, and the run says so.
SANITIZER_ENV = ASAN_OPTIONS=halt_on_error=1:detect_leaks=$$leaks UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
	LSAN_OPTIONS=suppressions=$(CURDIR)/tests/lsan-suppressions.txt:print_suppressions=0

test-asan: setup
	@cmake -S . -B $(ASAN_BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug -DNAVRELAY_SANITIZE=ON -DNAVRELAY_BENCHMARKS=OFF > /dev/null
	@cmake --build $(ASAN_BUILD_DIR) -j$(JOBS)
	@leaks=1; \
	if ASAN_OPTIONS=detect_leaks=1 $(ASAN_BUILD_DIR)/tests/test_engine --gtest_list_tests 2>&1 | grep -q "LeakSanitizer has encountered a fatal error"; then \
		leaks=0; echo "test-asan: LeakSanitizer cannot run on this machine: leak checks are OFF for this run" >&2; \
	fi; \
	cd $(ASAN_BUILD_DIR) && $(SANITIZER_ENV) ctest --output-on-failure -j2

# libFuzzer over script text and HTML pages (clang), each target for FUZZ_SECONDS on a copy of its
# seed corpus in the build dir; a crash, hang or sanitizer report fails the target and leaves
# the input in $(FUZZ_BUILD_DIR)/crashes/ (replay: $(FUZZ_BUILD_DIR)/fuzz/fuzz_TARGET FILE).
# A smaller quarantine than ASan's default keeps the fuzzers' memory under libFuzzer's limit.
FUZZ_BUILD_DIR ?= build-fuzz
FUZZ_SECONDS ?= 60
FUZZ_TARGETS = script html

fuzz:
	@tools/setup-deps --fuzz
	@cmake -S . -B $(FUZZ_BUILD_DIR) -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_COMPILER=clang++ -DNAVRELAY_FUZZ=ON \
		-DBUILD_TESTING=OFF -DNAVRELAY_BENCHMARKS=OFF > /dev/null
	@cmake --build $(FUZZ_BUILD_DIR) --target $(addprefix fuzz_,$(FUZZ_TARGETS)) -j$(JOBS)
	@mkdir -p $(FUZZ_BUILD_DIR)/crashes
	@for target in $(FUZZ_TARGETS); do \
		corpus=$(FUZZ_BUILD_DIR)/corpus/$$target; log=$(FUZZ_BUILD_DIR)/fuzz_$$target.log; \
		mkdir -p $$corpus && cp -n fuzz/corpus/$$target/* $$corpus/; \
		echo "fuzz_$$target: $(FUZZ_SECONDS) s, log in $$log"; \
		if ! ASAN_OPTIONS=quarantine_size_mb=64 $(FUZZ_BUILD_DIR)/fuzz/fuzz_$$target -max_total_time=$(FUZZ_SECONDS) -timeout=60 -print_final_stats=1 \
			-dict=fuzz/$$target.dict -artifact_prefix=$(FUZZ_BUILD_DIR)/crashes/$$target- $$corpus 2> $$log; then \
			tail -n 60 $$log; exit 1; \
		fi; \
		grep -E '^#[0-9]+[[:space:]]+DONE|^stat::(average_exec_per_sec|new_units_added)' $$log; \
	done

# NavRelay beside its peers on one loopback site: time, CPU and memory per tool (bench/peers/run).
bench-peers: build
	bench/peers/run $(BUILD_DIR)

# Eight runs of the peer flow at once on the built-in engine and four on Chromium, each with a
# browser of its own, against one run (bench/parallel/run).
bench-parallel: build
	bench/parallel/run $(BUILD_DIR)

clean:
	rm -rf $(BUILD_DIR) $(ASAN_BUILD_DIR) $(FUZZ_BUILD_DIR)
