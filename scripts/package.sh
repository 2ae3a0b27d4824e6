#!/usr/bin/env bash
# Builds the Debian package from a clean copy of the tree, checks it with lintian (any error
# or warning fails), installs it on this machine, runs the installed programs, and purges it
# again, checking that nothing is left behind. Meant for CI's own machine: it installs and
# removes packages system-wide. The package and lintian's report stay in build-deb/.
#   scripts/package.sh
source "$(dirname "${BASH_SOURCE[0]}")/common.sh"

out=$PICTAVO_SOURCE/build-deb
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

fail() {
    echo "package: $*" >&2
    exit 1
}

# Folders of the checks, removed however the script ends.
scratch=$(mktemp -d)
chmod 755 "$scratch"
cleanup() {
    local status=$?
    if dpkg-query -W -f='${db:Status-Status}' pictavo 2>/dev/null | grep -qx installed; then
        purge || status=1
    fi
    rm -rf "$scratch"
    exit $status
}
trap cleanup EXIT

# Builds in build-deb/ rather than a temporary folder: the compiler cache only matches paths
# below its base folder, and dpkg-buildpackage leaves its results beside the source.
build_package() {
    pictavo_install_missing debhelper lintian
    rm -rf "$out"
    mkdir -p "$out/pictavo"
    # The files as they are in the work tree, without any build folder or other leftovers.
    (cd "$PICTAVO_SOURCE" && git ls-files -z --cached --others --exclude-standard |
        tar --null --files-from=- --ignore-failed-read -cf -) | tar -C "$out/pictavo" -xf -
    (cd "$out/pictavo" && dpkg-buildpackage -us -uc -b) >"$out/build.log" 2>&1 ||
        {
            tail -n 40 "$out/build.log" >&2
            fail "dpkg-buildpackage failed (log: $out/build.log)"
        }
    rm -rf "$out/pictavo"
    echo "Built: $(cd "$out" && echo *.deb)"
}

run_lintian() {
    local status=0
    # Informational and pedantic tags are shown, so an override without a reason stands out;
    # only errors and warnings fail.
    lintian --display-info --pedantic --show-overrides --fail-on error,warning \
        "$out"/pictavo_*.changes >"$out/lintian.log" 2>&1 || status=$?
    cat "$out/lintian.log"
    [ $status -eq 0 ] || fail "lintian found errors or warnings"
}

installed_packages() {
    dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' | awk '$1 ~ /^ii/ {print $2}' | sort
}

# The installed programs, as a user runs them.
check_installed() {
    if ! [ -x /usr/bin/pictavo ] || ! [ -x /usr/bin/pictavo-index ]; then
        fail "commands missing in /usr/bin"
    fi
    local version
    # No display: the version must not need one.
    version=$(env -u DISPLAY -u WAYLAND_DISPLAY /usr/bin/pictavo --version) || fail "pictavo --version failed"
    [ "$version" = "pictavo 1.0" ] || fail "pictavo --version printed '$version'"
    local page
    for page in pictavo pictavo-index; do
        [ -f "/usr/share/man/man1/$page.1.gz" ] || fail "no manual page for $page"
    done

    local work=$scratch/index
    local folder="$work/Été 2026"
    mkdir -p "$folder"
    # A 1×1 GIF, so the folder holds a real picture.
    printf 'GIF89a\x01\x00\x01\x00\x80\x00\x00\x00\x00\x00\xff\xff\xff,\x00\x00\x00\x00\x01\x00\x01\x00\x00\x02\x02D\x01\x00;' \
        >"$folder/Boat.GIF"
    # As an ordinary user when we can drop to one, in a locale that is not C.
    local as_user=()
    if [ "$(id -u)" -eq 0 ]; then
        chown -R nobody "$work"
        as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups --reset-env)
    fi
    page=$(cd "$work" && "${as_user[@]}" env LANG=C.UTF-8 HOME="$work" /usr/bin/pictavo-index "$folder" \
        2>"$out/pictavo-index.log") || fail "pictavo-index failed: $(cat "$out/pictavo-index.log")"
    [ "$page" = "$folder/index.html" ] || fail "pictavo-index wrote '$page'"
    if ! grep -qF '<img SRC="Boat.GIF" Alt="Boat">' "$page" || ! grep -qF '(1 Images)' "$page"; then
        fail "the page lacks the picture: $(cat "$page")"
    fi
    echo "Installed pictavo-index wrote $page"
}

# The program looks for its help viewer and help file beside itself; in the package the help
# file lives in /usr/share/pictavo and is reached through a link there. A viewer started with
# that path, on no display at all, answers a second request with the topic it found.
check_help() {
    local work=$scratch/runtime viewer answer i
    mkdir -m 700 "$work"
    local help=/usr/lib/pictavo/Pictavo.hlp
    XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=offscreen /usr/lib/pictavo/pictavo-help "$help" 3 0 \
        >/dev/null 2>&1 &
    viewer=$!
    for ((i = 0; i < 200; ++i)); do
        grep -qF "$work/" /proc/net/unix && break
        kill -0 "$viewer" 2>/dev/null || break
        sleep 0.1
    done
    answer=$(XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=offscreen timeout 30 \
        /usr/lib/pictavo/pictavo-help "$help" 1 1000 2>/dev/null) || true
    XDG_RUNTIME_DIR=$work QT_QPA_PLATFORM=offscreen timeout 30 \
        /usr/lib/pictavo/pictavo-help "$help" 2 0 >/dev/null 2>&1 || true
    for ((i = 0; i < 100; ++i)); do
        kill -0 "$viewer" 2>/dev/null || break
        sleep 0.1
    done
    kill "$viewer" 2>/dev/null || true
    wait "$viewer" 2>/dev/null || true
    [ "$answer" = "topic 1000" ] || fail "the installed help viewer answered '$answer'"
    echo "Installed help viewer shows topic 1000 from $help"
}

# Purging takes the package and what its installation pulled in; none of its files may stay.
purge() {
    local files
    files=$(dpkg-query -L pictavo)
    local added
    added=$(comm -13 "$out/before-install.txt" <(installed_packages) | grep -vx pictavo || true)
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get purge -y -qq pictavo $added >/dev/null
    local status
    status=$(dpkg-query -W -f='${db:Status-Status}' pictavo 2>/dev/null || true)
    if [ -n "$status" ] && [ "$status" != not-installed ]; then
        fail "pictavo is still known to dpkg as $status"
    fi
    local left=()
    local path
    while IFS= read -r path; do
        # Folders such as /usr/share/applications belong to others too.
        if [ -L "$path" ] || { [ -e "$path" ] && ! [ -d "$path" ]; }; then
            left+=("$path")
        elif [ -d "$path" ] && [[ $path == */pictavo ]]; then
            left+=("$path")
        fi
    done <<<"$files"
    [ ${#left[@]} -eq 0 ] || fail "left behind: ${left[*]}"
    if grep -qs net.zelmar.Pictavo /usr/share/applications/mimeinfo.cache; then
        fail "the desktop's folder association still names the program"
    fi
    echo "Purged pictavo${added:+ and }${added//$'\n'/ }"
}

build_package
run_lintian
installed_packages >"$out/before-install.txt"
"${sudo[@]}" apt-get update -qq
# Recommends stay out: this is CI's machine, and the checks need none of them.
(cd "$out" && DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq \
    --no-install-recommends ./pictavo_*_"$(dpkg --print-architecture)".deb) >"$out/install.log" 2>&1 ||
    fail "apt-get install failed: $(cat "$out/install.log")"
check_installed
check_help
purge
