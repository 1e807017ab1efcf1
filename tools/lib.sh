# Shared by the tools: package installation and the native build.
# shellcheck shell=bash
ORVANE_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the packages of tools/packages.txt that are missing.
install_packages() {
  local wanted missing=()
  wanted=$(grep -v -E '^\s*(#|$)' "$ORVANE_ROOT/tools/packages.txt")
  for p in $wanted; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if [ ${#missing[@]} -gt 0 ]; then
    echo "== installing: ${missing[*]}"
    as_root apt-get update -qq
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}

# Configures and builds the native tree in $1 (default build/), with further cmake arguments.
build_native() {
  local dir=${1:-$ORVANE_ROOT/build}; shift || true
  cmake -S "$ORVANE_ROOT" -B "$dir" -G Ninja "$@" >/dev/null
  cmake --build "$dir" -j "$(nproc)"
}
