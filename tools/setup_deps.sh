#!/usr/bin/env bash
# Installs what the build and the tests need, when it is missing:
# Python packages from PyPI, and iverilog, verilator and GoogleTest from the
# system's package manager.
set -euo pipefail

PYTHON=${PYTHON:-python3}
need_py=()
"$PYTHON" -c "import scikit_build_core" 2>/dev/null || need_py+=("scikit-build-core>=0.9")
"$PYTHON" -c "import pytest" 2>/dev/null || need_py+=("pytest>=7")
command -v cmake >/dev/null 2>&1 || need_py+=("cmake>=3.20")
command -v ninja >/dev/null 2>&1 || need_py+=("ninja")
if [ ${#need_py[@]} -gt 0 ]; then
  echo "[setup] pip install ${need_py[*]}"
  "$PYTHON" -m pip install --quiet "${need_py[@]}"
fi

need_apt=()
command -v iverilog >/dev/null 2>&1 || need_apt+=(iverilog)
command -v verilator >/dev/null 2>&1 || need_apt+=(verilator)
[ -f /usr/include/gtest/gtest.h ] || need_apt+=(libgtest-dev)
if [ ${#need_apt[@]} -gt 0 ] && [ "${1:-}" != "--python-only" ]; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  echo "[setup] apt-get install ${need_apt[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${need_apt[@]}" >/dev/null
fi
