#!/usr/bin/env bash
# Installs the Debian packages Tessary needs (only the missing ones), builds
# it, then starts it ("run", the default), runs every test headless ("test"),
# or builds the Debian package ("package").
# Works as root, or as a normal user who may use sudo for the install step.
set -euo pipefail

here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
what=${1:-run}
build=${TESSARY_BUILD_DIR:-$here/build}

mapfile -t wanted < <(grep -v -e '^#' -e '^[[:space:]]*$' "$here/scripts/debian-packages.txt")
missing=()
for p in "${wanted[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  as_root=()
  [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
cmake --build "$build" --parallel "$(nproc)"

case "$what" in
  run)
    exec "$build/src/ui/tessary"
    ;;
  test)
    # Widget tests draw offscreen; no display is needed.
    export QT_QPA_PLATFORM=offscreen
    (cd "$build" && ctest --output-on-failure --parallel "$(nproc)" --timeout 600)

    # The same tests once more on a build under AddressSanitizer and
    # UndefinedBehaviorSanitizer: any report fails the run. Developers may
    # skip this pass with TESSARY_SANITIZE=0; CI always runs it.
    if [ "${TESSARY_SANITIZE:-1}" != 0 ]; then
      asan=${TESSARY_ASAN_BUILD_DIR:-$here/build-asan}
      cmake -S "$here" -B "$asan" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTESSARY_SANITIZE=ON
      cmake --build "$asan" --parallel "$(nproc)"
      export ASAN_OPTIONS=halt_on_error=1:abort_on_error=1:detect_leaks=1:print_stacktrace=1:detect_stack_use_after_return=1
      export UBSAN_OPTIONS=halt_on_error=1:abort_on_error=1:print_stacktrace=1
      (cd "$asan" && ctest --output-on-failure --parallel "$(nproc)" --timeout 1200)
    fi
    ;;
  package)
    # The Debian package, tessary_<version>_<arch>.deb, in the build folder;
    # apt install ./tessary_*.deb pulls in what it needs.
    (cd "$build" && cpack -G DEB)
    ls "$build"/tessary_*.deb
    ;;
  *)
    echo "usage: $0 [run|test|package]" >&2
    exit 2
    ;;
esac
