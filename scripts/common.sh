# Shared by the scripts in this folder: installs what the build needs and
# builds the program. Source it; do not run it.
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
PACKAGES=(cmake g++ make qt6-base-dev libicu-dev qt6-translations-l10n fonts-noto-cjk
    fonts-arphic-uming fonts-dejavu-core)

as_root() {
    if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

# Installs the Debian packages given (and the build's own) that are missing.
install_packages() {
    local missing=()
    if ! command -v apt-get >/dev/null || ! command -v dpkg-query >/dev/null; then
        echo "No apt on this system: install these packages (Debian names) or their" \
            "equivalents yourself: ${PACKAGES[*]} $*"
        return 0
    fi
    for package in "${PACKAGES[@]}" "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" \
            || missing+=("$package")
    done
    if [ "${#missing[@]}" -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        as_root apt-get update -qq
        as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
            "${missing[@]}" >/dev/null
    else
        echo "Debian packages needed: all installed (${PACKAGES[*]} $*)"
    fi
}

# build_tree DIR [CMAKE OPTIONS...]: configures and builds into DIR.
build_tree() {
    local dir="$1"
    shift
    cmake -S "$ROOT" -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}
