# Shared by run.sh and test.sh: install what is missing, then configure and build.
# shellcheck shell=bash
set -euo pipefail

VARPEN_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
VARPEN_PACKAGES=(cmake ninja-build g++ pkg-config qt6-base-dev qt6-5compat-dev qt6-multimedia-dev
  qt6-tools-dev qt6-l10n-tools qt6-translations-l10n libgl-dev libavformat-dev libavcodec-dev
  libswscale-dev libswresample-dev libavutil-dev xvfb xauth fonts-liberation fonts-wqy-microhei)
# Only `./test.sh fuzz` needs these: clang with libFuzzer and the sanitizer runtimes, and the
# symbolizer for readable stack traces.
VARPEN_FUZZ_PACKAGES=(clang libclang-rt-14-dev llvm-14)

say() { printf '==> %s\n' "$*"; }
die() { printf 'error: %s\n' "$*" >&2; exit 1; }

# ensure_packages [PACKAGE...]: the packages given, or VARPEN_PACKAGES.
ensure_packages() {
  local missing=() p wanted=("$@")
  [ ${#wanted[@]} -gt 0 ] || wanted=("${VARPEN_PACKAGES[@]}")
  for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  if [ ${#missing[@]} -eq 0 ]; then
    say "packages: all present"
    return
  fi
  say "packages: installing ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    command -v sudo >/dev/null || die "need root or sudo to install: ${missing[*]}"
    sudo=(sudo)
  fi
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq || die "apt-get update failed"
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" \
    || die "apt-get install failed"
}

# configure_tree DIR [SANITIZER]: configures DIR once.
configure_tree() {
  local dir="$1" sanitize="${2:-}"
  cd "$VARPEN_ROOT"
  if [ ! -f "$dir/build.ninja" ]; then
    say "configure: $dir ${sanitize:+(sanitizer $sanitize)}"
    # -g1 (functions and lines, no variables) is enough for stack traces and keeps a build from
    # scratch at two thirds of the time on a small machine.
    cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" -DCMAKE_C_FLAGS_RELWITHDEBINFO="-O2 -g1 -DNDEBUG" \
      -DVARPEN_SANITIZE="$sanitize" \
      || die "cmake configure failed"
  fi
}

# build_tree DIR [SANITIZER [TARGET...]]: configures DIR once, then builds incrementally (only the
# targets given, if any).
build_tree() {
  local dir="$1" sanitize="${2:-}"
  shift $(( $# < 2 ? $# : 2 ))
  local targets=() t
  for t in "$@"; do targets+=(--target "$t"); done
  configure_tree "$dir" "$sanitize"
  say "build: $dir"
  cmake --build "$dir" -j "$(nproc 2>/dev/null || echo 2)" "${targets[@]}" || die "build failed"
}

# build_for_tests DIR SANITIZER [CTEST ARGUMENTS...]: configures DIR once, then builds only what
# the tests that ctest chooses with those arguments need (their programs and their fixtures').
build_for_tests() {
  local dir="$1" sanitize="$2"
  shift 2
  configure_tree "$dir" "$sanitize"
  local selected all targets
  selected=$(mktemp)
  all=$(mktemp)
  (cd "$dir" && ctest -N --show-only=json-v1 "$@" >"$selected" && ctest -N --show-only=json-v1 >"$all") \
    || { rm -f "$selected" "$all"; die "ctest could not list the tests"; }
  targets=$(cmake -DSELECTED="$selected" -DALL="$all" -DBUILD_DIR="$VARPEN_ROOT/$dir" \
    -P "$VARPEN_ROOT/scripts/test-targets.cmake") || { rm -f "$selected" "$all"; die "no targets"; }
  rm -f "$selected" "$all"
  [ -n "$targets" ] || die "no test chosen by: $*"
  say "build: $dir, for the tests chosen ($targets)"
  # shellcheck disable=SC2086 # one word per target
  cmake --build "$dir" -j "$(nproc 2>/dev/null || echo 2)" --target $targets || die "build failed"
}
