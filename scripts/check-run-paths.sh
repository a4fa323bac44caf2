#!/usr/bin/env bash
# Checks the run paths (RPATH and RUNPATH) of every ELF program and library
# found in the given folders: each entry must be an absolute folder or one
# relative to the file's own folder ($ORIGIN). An empty entry means "the
# current folder" to the dynamic loader and a relative one is taken from the
# current folder too, so a library planted wherever a program is started
# would be loaded into it.
#
#   scripts/check-run-paths.sh FOLDER...
# Exit status 0 when every entry is safe; 1 (listing the offenders) when one
# is not or when no ELF file was found at all.
set -euo pipefail

checked=0
bad=0
safe_entry() {
    case "$1" in
    /* | '$ORIGIN' | '$ORIGIN/'* | '${ORIGIN}' | '${ORIGIN}/'*) return 0 ;;
    esac
    return 1
}

check_file() {
    local file=$1 line kind value entry
    while IFS= read -r line; do
        case "$line" in
        *'(RPATH)'*) kind=RPATH ;;
        *'(RUNPATH)'*) kind=RUNPATH ;;
        *) continue ;;
        esac
        value=${line#*\[}
        value=${value%\]*}
        # Split on ":" keeping empty fields (a leading, trailing or doubled
        # colon is an empty entry).
        local rest=$value
        while :; do
            entry=${rest%%:*}
            if ! safe_entry "$entry"; then
                echo "check-run-paths: $file: $kind [$value] has the entry '$entry'" >&2
                bad=1
                break
            fi
            [ "$rest" = "$entry" ] && break
            rest=${rest#*:}
        done
    done < <(readelf -d "$file" 2>/dev/null)
    checked=$((checked + 1))
}

for folder in "$@"; do
    [ -d "$folder" ] || continue
    while IFS= read -r -d '' file; do
        # ELF files only: the magic number 7F 'E' 'L' 'F'.
        [ "$(head -c 4 "$file" | od -An -tx1 | tr -d ' \n')" = 7f454c46 ] || continue
        check_file "$file"
    done < <(find "$folder" -type f -print0)
done

if [ "$checked" -eq 0 ]; then
    echo "check-run-paths: no program or library found in: $*" >&2
    exit 1
fi
[ "$bad" -eq 0 ] || exit 1
echo "check-run-paths: $checked files, every run-path entry absolute or \$ORIGIN-relative"
