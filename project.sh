#!/usr/bin/env bash
# Qe: set up and run.
#   ./project.sh test   install what the build needs, build with sanitizers, run every test
#   ./project.sh run    install, build, and serve the default site (./project.sh run ARGS: qe ARGS)
set -euo pipefail
cd "$(dirname "$0")"

# What building and running the program needs; `test` adds the rest.
RUN_PACKAGES=(
  build-essential cmake ninja-build pkg-config python3 clang
  libsqlite3-dev libpcre2-dev libcurl4-openssl-dev libzip-dev libarchive-dev
  libjpeg62-turbo-dev libgif-dev libpng-dev zlib1g-dev libfreetype-dev libfontconfig-dev fonts-wqy-zenhei
  libcairo2-dev libboost1.81-dev
  freetds-dev libicu-dev libssl-dev
  libpugixml-dev  # workbooks: the XML parts of .xlsx packages
  liblzma-dev libbz2-dev  # zip entries that libzip does not decode
  libgumbo-dev  # stored rich text read as a browser reads it
)
TEST_PACKAGES=(
  libclang-rt-14-dev  # the sanitizers' run-time
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  zip unzip unicode-data
  python3-pyftpdlib python3-openpyxl python3-xlwt python3-xlrd  # test peers: FTP, workbooks
  sqlite3  # the export benchmark's reference
  chromium
  graphicsmagick  # the image benchmark's reference only
  libarchive-tools p7zip-full  # test peers: archives made and checked by bsdtar and 7z
)

install_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    echo "== installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
  fi
}

jobs() { nproc 2>/dev/null || echo 2; }

# The browser tests drive Debian's chromium through playwright-core, pinned
# in tests/browser/package-lock.json; npm ci installs exactly that and no
# browser. node and npm come with the machine (never from Debian here).
install_browser_driver() {
  local major
  major=$(node --version 2>/dev/null | sed -n 's/^v\([0-9]*\).*/\1/p')
  if [ -z "$major" ] || [ "$major" -lt 20 ] || ! command -v npm > /dev/null; then
    echo "== node 20 or newer with npm is missing (found: $(node --version 2>/dev/null || echo none));" \
         "the browser tests will be skipped" >&2
    return 0
  fi
  echo "== installing the browser driver (npm ci in tests/browser)"
  (cd tests/browser && npm ci --no-audit --no-fund --loglevel=error)
}

build_test() {
  cmake -S . -B build/test -G Ninja -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DQE_SANITIZE=ON
  cmake --build build/test -j "$(jobs)"
}

# Only what `run` runs: the qe program and the component's library (which
# `qe register` loads). Tests and fuzz targets come with `test`; the load
# program, and the benchmarks once `test` has installed Google Benchmark, are
# built here by name (cmake --build build/release --target qe_load_test).
build_release() {
  cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DQE_BENCH=ON -DQE_TESTS=OFF \
    -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++
  cmake --build build/release -j "$(jobs)" --target qe_program qe
}

case "${1:-}" in
  test)
    install_packages "${RUN_PACKAGES[@]}" "${TEST_PACKAGES[@]}"
    install_browser_driver
    build_test
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1" UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
    # Every suite runs once: a browser test waits for what it needs, so a
    # failure is a fault to find, never retried away. Both groups run; the
    # command fails when either does.
    status=0
    ctest --test-dir build/test -j "$(jobs)" --output-on-failure -E '^Suites/BrowserSuite' || status=1
    ctest --test-dir build/test -j "$(jobs)" --output-on-failure -R '^Suites/BrowserSuite' || status=1
    exit "$status"
    ;;
  run)
    install_packages "${RUN_PACKAGES[@]}"
    build_release
    shift
    if (($#)); then
      exec build/release/qe "$@"
    fi
    # The site over HTTP: the default site (made on first run in the user's
    # data folder) on 127.0.0.1:8080; it prints its address. Ctrl-C stops it.
    exec build/release/qe serve
    ;;
  *)
    echo "usage: $0 test|run [qe arguments...]" >&2
    exit 2
    ;;
esac
