# The two commands a newcomer needs:
#   make demo   build and install the package, then run the example design
#   make test   install what the tests need, then run every test
PYTHON ?= python3
CPP_BUILD := build/cpp

.PHONY: demo test install unit-tests py-tests clean

install:
	./tools/setup_deps.sh --python-only
	$(PYTHON) -m pip install --quiet --no-build-isolation .

demo: install
	@if ! command -v iverilog >/dev/null 2>&1; then ./tools/setup_deps.sh || true; fi
	$(PYTHON) examples/demo.py demo_out

unit-tests:
	cmake -S . -B $(CPP_BUILD) -G Ninja -DVELORA_BUILD_EXTENSION=OFF -DVELORA_BUILD_TESTS=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo
	cmake --build $(CPP_BUILD) -j2
	ctest --test-dir $(CPP_BUILD) --output-on-failure -j2

py-tests: install
	$(PYTHON) -m pytest -q tests/py

test:
	./tools/setup_deps.sh
	$(MAKE) unit-tests
	$(MAKE) py-tests

clean:
	rm -rf build demo_out
