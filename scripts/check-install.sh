#!/usr/bin/env bash
# Installs a built tree into a temporary prefix (with a space in its name)
# and checks the installed suite from there, with a private home and
# settings folder:
#   - the layout: bin/ (every program built), lib/libstrovik.so, valid
#     desktop entries, icons, the manual and the templates under share/;
#   - the programs' run path ($ORIGIN/../lib);
#   - the engine registered for the (private) user at install time, and the
#     fallback to ../lib when the registration is gone;
#   - pandle finding the manual and templates relative to its own folder;
#   - velmora reading the bundled samples and a rendered template with the
#     installed engine.
#
#   scripts/check-install.sh [BUILD_DIR]      (default: build)
# Exit status 0 when everything holds; 1 with the reason otherwise.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=$(realpath "${1:-$root/build}")
fail() {
    echo "check-install: $*" >&2
    exit 1
}
step() { echo "check-install: $*"; }

scratch=$(mktemp -d "${TMPDIR:-/tmp}/velmora-install.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
prefix="$scratch/pre fix"
mkdir -p "$scratch/home/Documents" "$scratch/config"
export HOME=$scratch/home XDG_CONFIG_HOME=$scratch/config
unset DESTDIR DISPLAY WAYLAND_DISPLAY

step "installing $build into $prefix"
cmake --install "$build" --prefix "$prefix" >"$scratch/install.log" 2>&1 ||
    { cat "$scratch/install.log" >&2; fail "cmake --install failed"; }

# --- Layout ---
for program in pandle tarrow velmora velmora-sheetgen strovik-regsvr dravel fenwary; do
    if [ -e "$build/bin/$program" ]; then
        [ -x "$prefix/bin/$program" ] || fail "bin/$program is missing"
    fi
done
[ -f "$prefix/lib/libstrovik.so" ] || fail "lib/libstrovik.so is missing"
[ ! -e "$prefix/bin/libstrovik.so" ] || fail "the engine belongs in lib/, not bin/"
manual="$prefix/share/doc/velmora/マニュアル.pdf"
[ -s "$manual" ] || fail "the manual is missing"
for name in mark50-4 mark100-5 survey20; do
    for file in "$name.pdf" "$name.ini" "$name-200dpi.ini"; do
        [ -s "$prefix/share/velmora/templates/$file" ] || fail "template $file is missing"
    done
done
for program in pandle tarrow dravel fenwary; do
    [ -x "$prefix/bin/$program" ] || continue
    entry="$prefix/share/applications/velmora-$program.desktop"
    [ -f "$entry" ] || fail "no desktop entry for $program"
    desktop-file-validate "$entry" || fail "$entry is not a valid desktop entry"
    grep -q "^Exec=\"$prefix/bin/$program\"" "$entry" || fail "$entry does not start $prefix/bin/$program"
    grep -q '^Categories=Education;Office;' "$entry" || fail "$entry lacks its categories"
    [ -f "$prefix/share/icons/hicolor/scalable/apps/velmora-$program.svg" ] ||
        fail "no scalable icon for $program"
    [ -f "$prefix/share/icons/hicolor/48x48/apps/velmora-$program.png" ] ||
        fail "no 48x48 icon for $program"
done
runpath=$(readelf -d "$prefix/bin/velmora" | sed -n 's/.*(RUNPATH).*\[\(.*\)\]/\1/p')
[ "$runpath" = '$ORIGIN/../lib' ] || fail "velmora's run path is '$runpath'"
bash "$root/scripts/check-run-paths.sh" "$prefix/bin" "$prefix/lib" ||
    fail "an installed file has an empty or relative run-path entry"
step "layout, desktop entries, icons and run path are right"

# --- Registration at install time (into the private settings folder) ---
key="$XDG_CONFIG_HOME/velmora/HKEY_CLASSES_ROOT/CLSID/{654636D5-7F01-4C28-A502-BF6D8425352D}/InprocServer32.ini"
if grep -q 'Registered the recognition engine' "$scratch/install.log"; then
    grep -qF "=$prefix/lib/libstrovik.so" "$key" || fail "the registration does not name the installed engine"
    step "the installed engine was registered"
else
    step "this build does not register its engine (sanitizer or test build)"
fi

# --- pandle finds its files relative to its own folder ---
paths=$("$prefix/bin/pandle" --paths) && complete=0 || complete=$?
echo "$paths" | grep -qF "manual: $manual (found)" || fail "pandle does not find the manual: $paths"
echo "$paths" | grep -qF "templates: $prefix/share/velmora/templates/ (found)" ||
    fail "pandle does not find the templates: $paths"
echo "$paths" | grep -qF "tarrow: $prefix/bin/tarrow (found)" || fail "pandle does not find tarrow"
if [ -x "$prefix/bin/dravel" ] && [ -x "$prefix/bin/fenwary" ]; then
    [ "$complete" -eq 0 ] || fail "pandle reports a missing file: $paths"
fi
step "pandle finds the programs, the manual and the templates"

# --- velmora reads with the installed engine ---
work="$scratch/work"
mkdir -p "$work"
cp -r "$root/samples/images" "$work/images"
cp "$root/samples/sheet.ini" "$work/sheet.ini"
"$prefix/bin/velmora" read -d "$work/sheet.ini" -o "$work/class.csv" "$work/images" \
    >"$scratch/read.log" 2>&1 || { cat "$scratch/read.log" >&2; fail "velmora read -o failed"; }
[ -s "$work/class-読取値.csv" ] || fail "no read-values file was written"
# Without any registration the engine in ../lib stands in, and says so.
rm -rf "$XDG_CONFIG_HOME/velmora"
"$prefix/bin/velmora" read -d "$work/sheet.ini" -o "$work/again.csv" "$work/images" \
    >"$scratch/again.log" 2>&1 || { cat "$scratch/again.log" >&2; fail "the fallback read failed"; }
grep -qF "$prefix/lib/libstrovik.so" "$scratch/again.log" || fail "the fallback was not reported"
step "velmora reads the samples with the installed engine (registered and fallen back to)"

# A shipped template, rendered at 200 dpi: found and read (every question blank).
templates="$prefix/share/velmora/templates"
pdftoppm -r 200 -gray -png -singlefile "$templates/survey20.pdf" "$work/survey20"
cp "$templates/survey20-200dpi.ini" "$work/survey20.ini"
out=$("$prefix/bin/velmora" read -d "$work/survey20.ini" "$work/survey20.png")
echo "$out" | grep -q '"status": 0' || fail "the rendered template did not read: $out"
step "a rendered template reads with its installed definition"
echo "check-install: all checks passed"
