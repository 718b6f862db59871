# The two commands of the README: `make run` and `make test`.
BUILD_DIR ?= build
JOBS ?= $(shell nproc)

.PHONY: setup configure build run test clean

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

clean:
	rm -rf $(BUILD_DIR)
