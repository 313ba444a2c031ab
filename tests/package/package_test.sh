#!/usr/bin/env bash
# The Debian package, end to end without touching the system: built with cpack from the build
# tree, its control data and contents checked, unpacked with dpkg-deb -x into a scratch root where
# the programs run from their installed places, its maintainer scripts run (first against a
# recording stand-in runner for every argument dpkg passes, then against the real runner and hook
# library with a scratch device root), then lintian.
#   package_test.sh BUILD_DIR [SANITIZERS]
# Exits 77 (skipped) for a sanitizer build, or when the Debian tools are missing.
set -euo pipefail

build=$(cd "$1" && pwd)
sanitize=${2:-}
if [ -n "$sanitize" ]; then
    echo "skipped: this is a sanitizer build ($sanitize); the package is made from a release build"
    exit 77
fi
for tool in cpack dpkg-deb dpkg-shlibdeps readelf; do
    if ! command -v "$tool" >/dev/null; then
        echo "skipped: $tool is not installed (./dev.sh package installs what the package needs)"
        exit 77
    fi
done

work=$(mktemp -d "${TMPDIR:-/tmp}/zentrix-package-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
failures=0
fail() {
    echo "FAIL: $*" >&2
    failures=$((failures + 1))
}
expect_eq() {  # what, actual, expected
    [ "$2" = "$3" ] || fail "$1: '$2', expected '$3'"
}

# --- Build -------------------------------------------------------------------------------------
start=$(date +%s)
if ! (cd "$build" && cpack --config CPackConfig.cmake -B "$work/out") >"$work/cpack.log" 2>&1; then
    cat "$work/cpack.log" >&2
    echo "FAIL: cpack could not build the package" >&2
    exit 1
fi
debs=("$work"/out/zentrix_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || { echo "FAIL: no zentrix_*.deb from cpack" >&2; exit 1; }
deb=${debs[0]}
echo "built $(basename "$deb") ($(du -k "$deb" | cut -f1) KiB) in $(($(date +%s) - start)) s"

# --- Control data ------------------------------------------------------------------------------
field() { dpkg-deb --field "$deb" "$1"; }
expect_eq "Package" "$(field Package)" zentrix
expect_eq "Architecture" "$(field Architecture)" "$(dpkg --print-architecture)"
version=$(sed -n 's/^project(Zentrix VERSION \([0-9.]*\).*/\1/p' "$(dirname "$0")/../../CMakeLists.txt")
expect_eq "Version" "$(field Version)" "$version-1"
expect_eq "Section" "$(field Section)" science
depends=$(field Depends)
echo "Depends: $depends"
for library in libc6 libstdc++6 libqt6widgets6 libqt6gui6 libqt6core6 libsqlite3-0; do
    [[ ", $depends" == *", $library "* || ", $depends," == *", $library,"* ]] ||
        fail "Depends does not name $library: $depends"
done
recommends=$(field Recommends)
[[ "$recommends" == *xdg-utils* && "$recommends" == *icon-theme* ]] ||
    fail "Recommends lacks xdg-utils or an icon theme: $recommends"
[ -n "$(field Description)" ] || fail "no Description"

# --- Contents ----------------------------------------------------------------------------------
dpkg-deb --contents "$deb" | awk '{print $6}' | sed 's|^\./|/|; s|/$||' >"$work/contents"
expect_file() {
    grep -qx -- "$1" "$work/contents" || fail "the package lacks $1"
}
programs=(zentrix zentrix-today zentrix-sim zentrix-replay zentrix-info zentrixctl)
for program in "${programs[@]}"; do
    expect_file "/usr/bin/$program"
    expect_file "/usr/share/man/man1/$program.1.gz"
done
for file in libzentrix-window.so.0 "libzentrix-window.so.$version" libzentrix-today-item.so \
        Lang/GermanLang.so zentrix-setup-runner libzentrix-setup.so; do
    expect_file "/usr/lib/zentrix/$file"
done
for name in zentrix zentrix-today; do
    expect_file "/usr/share/applications/$name.desktop"
    for size in 16 22 24 32 48 64 128 256; do
        expect_file "/usr/share/icons/hicolor/${size}x$size/apps/$name.png"
    done
done
expect_file /usr/share/doc/zentrix/copyright
expect_file /usr/share/doc/zentrix/changelog.Debian.gz
# A developer's tool, the link-time name of the private library, headers: none of them ship.
for unwanted in /usr/bin/zentrix-gallery /usr/bin/zentrix-rc /usr/lib/zentrix/libzentrix-window.so \
        /usr/include /usr/lib/x86_64-linux-gnu; do
    ! grep -qx -- "$unwanted" "$work/contents" || fail "the package holds $unwanted"
done
! grep -q '^/usr/local' "$work/contents" || fail "the package installs into /usr/local"

# --- The unpacked files ------------------------------------------------------------------------
root="$work/root"
dpkg-deb -x "$deb" "$root"
dpkg-deb -e "$deb" "$work/control"

runpath() { readelf -d "$1" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p'; }
for program in "${programs[@]}"; do
    expect_eq "RUNPATH of $program" "$(runpath "$root/usr/bin/$program")" '$ORIGIN/../lib/zentrix'
done
expect_eq "RUNPATH of the plug-in" "$(runpath "$root/usr/lib/zentrix/libzentrix-today-item.so")" \
    '$ORIGIN'
if readelf -d "$root/usr/bin/zentrix" | grep -q '(RPATH)'; then
    fail "zentrix has an RPATH, which LD_LIBRARY_PATH cannot override"
fi
# Each program starts from its installed place with the package's window library, whatever the
# build tree holds, and answers --help and --version.
for program in "${programs[@]}"; do
    resolved=$(env -u LD_LIBRARY_PATH ldd "$root/usr/bin/$program" | awk '/libzentrix-window/ {print $3}')
    expect_eq "libzentrix-window.so.0 of $program" "$resolved" \
        "$root/usr/bin/../lib/zentrix/libzentrix-window.so.0"
    expect_eq "$program --version" \
        "$(env -u LD_LIBRARY_PATH "$root/usr/bin/$program" --version 2>&1)" "$program $version"
    env -u LD_LIBRARY_PATH "$root/usr/bin/$program" --help >"$work/help" 2>&1 ||
        fail "$program --help failed"
    grep -qi "usage" "$work/help" || fail "$program --help prints no usage"
done
# The plug-in has only its two entry points to show, the language library its one.
exports() { nm -D --defined-only "$1" | awk '$2 == "T" {print $3}' | sort | tr '\n' ' '; }
expect_eq "plug-in exports" "$(exports "$root/usr/lib/zentrix/libzentrix-today-item.so")" \
    "CustomItemOptionsDlgProc InitializeCustomItem "
expect_eq "language library exports" "$(exports "$root/usr/lib/zentrix/Lang/GermanLang.so")" \
    "zentrix_language_resource "

png_size() { od -An -tu1 -j16 -N8 "$1" | awk '{print $3 * 256 + $4 "x" $7 * 256 + $8}'; }
for name in zentrix zentrix-today; do
    for size in 16 22 24 32 48 64 128 256; do
        icon="$root/usr/share/icons/hicolor/${size}x$size/apps/$name.png"
        [ -f "$icon" ] && expect_eq "size of $icon" "$(png_size "$icon")" "${size}x$size"
    done
done
desktop="$root/usr/share/applications/zentrix.desktop"
grep -qx 'Name=GNSS Zentrix' "$desktop" || fail "zentrix.desktop is not named GNSS Zentrix"
for entry in "$root"/usr/share/applications/*.desktop; do
    exec_line=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$entry")
    [ -x "$root/usr/bin/$exec_line" ] || fail "$(basename "$entry") starts $exec_line, not a packaged program"
    icon=$(sed -n 's/^Icon=//p' "$entry")
    [ -f "$root/usr/share/icons/hicolor/48x48/apps/$icon.png" ] || fail "$(basename "$entry") has no icon $icon"
    if command -v desktop-file-validate >/dev/null; then
        desktop-file-validate "$entry" || fail "$(basename "$entry") does not validate"
    fi
done
for page in "$root"/usr/share/man/man1/*.1.gz; do
    gzip -t "$page" || fail "$page is no gzip file"
    zcat "$page" | head -1 | grep -q "^\.TH .*\"Zentrix $version\"" || fail "$page has no title line of this version"
done

# --- Maintainer scripts against a recording stand-in runner ------------------------------------
for script in postinst prerm postrm; do
    [ -x "$work/control/$script" ] || fail "no executable $script"
done
stub="$work/stub"
log="$work/hooks.log"
make_stub() {  # exit status of the stand-in
    mkdir -p "$stub/usr/lib/zentrix"
    printf '#!/bin/sh\necho "$0 $*" >>"%s"\nexit %s\n' "$log" "$1" >"$stub/usr/lib/zentrix/zentrix-setup-runner"
    chmod 755 "$stub/usr/lib/zentrix/zentrix-setup-runner"
    : >"$stub/usr/lib/zentrix/libzentrix-setup.so"
}
# Runs a maintainer script as dpkg would (one argument list) on the stand-in; `asked` then says
# what the runner was asked, with the scratch paths shortened.
run_script() {  # script args...; environment: DEVICE_ROOT for ZENTRIX_ROOT
    local script=$1
    shift
    : >"$log"
    local status=0
    if [ -n "${DEVICE_ROOT:-}" ]; then
        ZENTRIX_PACKAGE_ROOT="$stub" ZENTRIX_ROOT="$DEVICE_ROOT" \
            "$work/control/$script" "$@" >"$work/out.txt" 2>"$work/err.txt" || status=$?
    else
        env -u ZENTRIX_ROOT ZENTRIX_PACKAGE_ROOT="$stub" \
            "$work/control/$script" "$@" >"$work/out.txt" 2>"$work/err.txt" || status=$?
    fi
    expect_eq "exit status of $script $*" "$status" 0
}
asked() { sed "s|$stub||g" "$log" | tr '\n' ';'; }
kept=/var/lib/zentrix/setup
make_stub 0
run_script postinst configure
expect_eq "postinst configure, no device root" "$(asked)" \
    "/usr/lib/zentrix/zentrix-setup-runner Install_Init --library /usr/lib/zentrix/libzentrix-setup.so;/usr/lib/zentrix/zentrix-setup-runner Install_Exit --library /usr/lib/zentrix/libzentrix-setup.so;"
[ -x "$stub$kept/zentrix-setup-runner" ] && [ -f "$stub$kept/libzentrix-setup.so" ] ||
    fail "postinst kept no copy of the runner and the hook library in $kept"
DEVICE_ROOT=/scratch/root run_script postinst configure 0.0.9-1
expect_eq "postinst configure, device root" "$(asked)" \
    "/usr/lib/zentrix/zentrix-setup-runner Install_Init --root /scratch/root --library /usr/lib/zentrix/libzentrix-setup.so;/usr/lib/zentrix/zentrix-setup-runner Install_Exit --root /scratch/root --library /usr/lib/zentrix/libzentrix-setup.so;"
run_script postinst abort-upgrade 0.0.9-1
expect_eq "postinst abort-upgrade" "$(asked)" ""
# An upgrade is no removal: neither the uninstall hooks nor the loss of the kept copy.
run_script prerm upgrade "$version-2"
expect_eq "prerm upgrade" "$(asked)" ""
run_script postrm upgrade "$version-2"
expect_eq "postrm upgrade" "$(asked)" ""
run_script prerm failed-upgrade "$version-2"
expect_eq "prerm failed-upgrade" "$(asked)" ""
run_script prerm deconfigure in-favour other 1.0
expect_eq "prerm deconfigure" "$(asked)" ""
[ -x "$stub$kept/zentrix-setup-runner" ] || fail "an upgrade removed the kept runner"
DEVICE_ROOT=/scratch/root run_script prerm remove
expect_eq "prerm remove" "$(asked)" \
    "/usr/lib/zentrix/zentrix-setup-runner Uninstall_Init --root /scratch/root --library /usr/lib/zentrix/libzentrix-setup.so;"
# postrm runs after dpkg removed the package's files: only the kept copy is left to run.
rm -rf "${stub:?}/usr"
run_script postrm remove
expect_eq "postrm remove" "$(asked)" \
    "$kept/zentrix-setup-runner Uninstall_Exit --library $kept/libzentrix-setup.so;"
[ ! -e "$stub$kept" ] && [ ! -e "$stub/var/lib/zentrix" ] || fail "postrm remove left $kept behind"
run_script postrm purge
expect_eq "postrm purge" "$(asked)" ""
[ ! -s "$work/err.txt" ] || fail "postrm purge after remove complained: $(cat "$work/err.txt")"

# A runner that fails or is missing: a warning, and the scripts still succeed.
make_stub 3
run_script postinst configure
grep -q "warning: the setup step Install_Exit failed" "$work/err.txt" ||
    fail "postinst gave no warning for a failed hook: $(cat "$work/err.txt")"
rm -f "$stub/usr/lib/zentrix/zentrix-setup-runner"
run_script prerm remove
grep -q "warning: the setup step Uninstall_Init was not run" "$work/err.txt" ||
    fail "prerm gave no warning for a missing runner: $(cat "$work/err.txt")"
rm -rf "$stub$kept"
run_script postrm remove
grep -q "warning: the setup step Uninstall_Exit was not run" "$work/err.txt" ||
    fail "postrm gave no warning for a missing kept copy: $(cat "$work/err.txt")"
# A kept copy that cannot be made (its folder is a file): a warning, the install goes on.
make_stub 0
mkdir -p "$stub/var/lib/zentrix"
: >"$stub$kept"
run_script postinst configure
grep -q "warning: cannot" "$work/err.txt" || fail "postinst gave no warning for a copy it could not keep"
rm -rf "$stub"

# --- Maintainer scripts with the real hooks ----------------------------------------------------
device="$work/device"
mkdir -p "$device/ZentrixToday"
printf '#!/bin/sh\necho refreshed\n' >"$device/ZentrixToday/Daywake.exe"
chmod 755 "$device/ZentrixToday/Daywake.exe"
real() {  # script args...
    local script=$1
    shift
    local status=0
    ZENTRIX_PACKAGE_ROOT="$root" ZENTRIX_ROOT="$device" "$work/control/$script" "$@" \
        >"$work/out.txt" 2>"$work/err.txt" || status=$?
    expect_eq "exit status of the real $script $*" "$status" 0
    ! grep -q warning "$work/err.txt" || fail "the real $script $* warned: $(cat "$work/err.txt")"
}
real postinst configure
[ -x "$device/Windows/StartUp/Daywake.exe" ] ||
    fail "Install_Exit did not put Daywake.exe into Windows/StartUp of the device root"
[ ! -e "$device/ZentrixToday/Daywake.exe" ] || fail "Install_Exit left Daywake.exe in its source folder"
[ -x "$root$kept/zentrix-setup-runner" ] || fail "postinst kept no copy of the real runner"
real prerm remove
rm -rf "${root:?}/usr"  # what dpkg removes between prerm and postrm
real postrm remove
[ ! -e "$root/var/lib/zentrix" ] || fail "postrm remove left /var/lib/zentrix behind"
real postrm purge
[ -x "$device/Windows/StartUp/Daywake.exe" ] || fail "the removal took Daywake.exe out of the start-up folder"

# --- lintian -----------------------------------------------------------------------------------
if ! command -v lintian >/dev/null; then
    echo "lintian is not installed: the package was not checked by it"
    [ "$failures" -eq 0 ] || exit 1
    exit 77
fi
start=$(date +%s)
status=0
lintian --fail-on error --tag-display-limit 0 "$deb" >"$work/lintian.txt" 2>&1 || status=$?
sed 's/^/lintian: /' "$work/lintian.txt"
echo "lintian took $(($(date +%s) - start)) s"
[ "$status" -eq 0 ] || fail "lintian found errors (exit status $status)"

if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) failed" >&2
    exit 1
fi
echo "package test passed"
