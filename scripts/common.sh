# Shared by run.sh and test.sh: installs what a fresh Debian 12 machine lacks, then builds.
set -euo pipefail

PICTAVO_SOURCE=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
PICTAVO_PACKAGES=(build-essential cmake ninja-build qt6-base-dev libsqlite3-dev libicu-dev locales)
# Locales the tests switch to: drive letters and names must not follow the locale's casing.
PICTAVO_LOCALES=(tr_TR.UTF-8 fr_FR.ISO-8859-1)

pictavo_install_missing() {
    local missing=()
    local package
    for package in "${PICTAVO_PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing ${missing[*]}" >&2
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Generates the locales in PICTAVO_LOCALES that the machine lacks (most have only C.UTF-8).
pictavo_generate_locales() {
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    local name installed
    installed=$(locale -a)
    for name in "${PICTAVO_LOCALES[@]}"; do
        # locale -a lists "tr_TR.utf8" for "tr_TR.UTF-8".
        local listed=${name%%.*}.$(echo "${name#*.}" | tr -d '-' | tr '[:upper:]' '[:lower:]')
        grep -qxF "$listed" <<<"$installed" && continue
        echo "Generating locale $name" >&2
        "${sudo[@]}" localedef -i "${name%%.*}" -f "${name#*.}" "$name"
    done
}

# pictavo_build BUILD_DIR [cmake options...]
pictavo_build() {
    local dir=$1
    shift
    cmake -S "$PICTAVO_SOURCE" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}
