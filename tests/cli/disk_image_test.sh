#!/usr/bin/env bash
# diskimage against Debian's unadf (ADFlib 0.7.11a, which reads DOS\0 to DOS\5 but
# not the long-name DOS\6 and DOS\7): images formatted in each dostype, with
# drawers and files put in, check and extract byte-equal; replacements across
# extension blocks and killed after every block write; the real Icons.adf.
set -euo pipefail
: "${BUILD_DIR:?BUILD_DIR must name the build tree}"
DISK="$BUILD_DIR/tools/diskimage"
CORPUS="${SOURCE_DIR:-$(dirname "$0")/../..}/../shared/corpus/images/adf-tool/Icons.adf"
dir=$(mktemp -d "${TMPDIR:-/tmp}/diskimage-XXXXXX") && trap 'rm -rf "$dir"' EXIT
cd "$dir"
fail() { echo "FAIL: $*" >&2 && exit 1; }
command -v unadf >/dev/null || fail "unadf is not installed (scripts/install-deps)"
pattern() { head -c "$1" /dev/zero | tr '\0' "$2"; printf '%s' "$3"; }
pattern 70 a . >small && pattern 37000 b end >ext && pattern 80000 c end >two && pattern 3000 d . >icon
# unadf extracts the image's files byte-equal to what was put in, and by name.
extracts() {  # image volume file...
    local image=$1 volume=$2 && shift 2
    rm -rf out && mkdir out
    timeout 60 unadf -v "$volume" -r "$image" -d out >/dev/null 2>&1 || fail "$image: unadf cannot extract"
    for f in "$@"; do cmp -s "out/$f" "${f##*/}" || fail "$image: unadf's $f differs"; done
}
# unadf lists the same from the directory caches (-c) as from the headers.
caches_agree() {  # image volume
    diff <(unadf -v "$2" -l -r "$1" 2>/dev/null | sort) \
        <(unadf -v "$2" -l -r -c "$1" 2>/dev/null | grep -av "Using dir cache" | sort) >/dev/null
}

# image | format options | partition | unadf volume | an icon's name | the name unadf finds it by
while IFS='|' read -r image options part volume made look; do
    made=$(printf '%b' "$made") look=$(printf '%b' "$look")
    "$DISK" format "$image" $options --name Made
    for step in "mkdir Dir" "mkdir Dir/Sub" "put Dir/Sub/ext ext --comment note" "put small small --protect 5" \
                "put Dir/two two"; do
        "$DISK" ${step%% *} "$image" --part "$part" ${step#* } || fail "$image: $step"
    done
    "$DISK" put "$image" --part "$part" "Dir/$made" icon && "$DISK" check "$image" || fail "$image: check"
    "$DISK" list "$image" --part "$part" Dir | grep "file .* 80003 ----rwed .* Dir/two" >/dev/null || fail "$image: list"
    "$DISK" get "$image" --part "$part" Dir/Sub/EXT | cmp -s - ext || fail "$image: get"
    if [ "$volume" != - ]; then
        extracts "$image" "$volume" Dir/Sub/ext small Dir/two
        caches_agree "$image" "$volume" || fail "$image: unadf's listing from the caches differs"
        unadf -v "$volume" -p "$image" "dIR/$look" 2>/dev/null | cmp -s - icon || fail "$image: unadf misses $look"
    fi
done <<'IMAGES'
dd0.adf|--adf dd --dostype 0|DF0|0|plain.info|PLAIN.INFO
dd2.adf|--adf dd --dostype 2|DF0|0|gr\xfc\xdfe.info|GR\xdc\xdfE.INFO
dd4.adf|--adf dd --dostype 4|DF0|0|cach\xe9.info|CACH\xc9.info
hd1.adf|--adf hd --dostype 1|DF0|0|fast.info|FAST.info
dd6.adf|--adf dd --dostype 6|DF0|-|A long name of more than thirty letters.info|-
bare.hdf|--hdf 64000000 --dostype 3|DH0|0|\xe9t\xe9.info|\xc9T\xc9.INFO
rdb.hdf|--rdb 4,32 --partition DH0,20,5 --partition DH1,30,7|DH0|0|cached.info|Cached.info
rdb.hdf|--rdb 4,32 --partition DH0,20,1 --partition DH1,30,3|DH1|1|second\xe8.info|SECOND\xc8.info
rdb.hdf|--rdb 4,32 --partition DH0,10,1 --partition DH1,20,7|DH1|-|Long names on a fast volume.info|-
IMAGES

# Replacements grow and shrink files across extension blocks; one that needs more
# blocks than are free changes nothing; a kill after any write leaves the old file
# or the new, and a volume that checks; a write-protected file only with --force.
for n in 0 1 5; do
    "$DISK" format r.adf --adf dd --dostype $n && "$DISK" put r.adf F ext
    for new in two small ext icon; do
        "$DISK" replace r.adf F $new >/dev/null && "$DISK" check r.adf 2>/dev/null || fail "DOS$n: replaced by $new"
        extracts r.adf 0 && cmp -s out/F $new && caches_agree r.adf 0 || fail "DOS$n: unadf's F is not $new"
    done
    "$DISK" format full.hdf --hdf 61440 --dostype $n && "$DISK" put full.hdf F small && cp full.hdf before.hdf
    ! "$DISK" replace full.hdf F two 2>/dev/null && cmp -s full.hdf before.hdf || fail "DOS$n: a full volume changed"
    "$DISK" replace r.adf F small >/dev/null && cp r.adf before.adf
    writes=$("$DISK" replace r.adf F icon --stop-after 0 | cut -d' ' -f1)
    for ((k = 1; k <= writes; k++)); do
        cp before.adf k.adf && "$DISK" replace k.adf F icon --stop-after $k >/dev/null
        "$DISK" check k.adf 2>/dev/null || fail "DOS$n: killed after write $k: $("$DISK" check k.adf)"
        "$DISK" get k.adf F >got && { cmp -s got small || cmp -s got icon; } || fail "DOS$n: killed after $k: a mix"
    done
done
"$DISK" put r.adf P small --protect 4 && ! "$DISK" replace r.adf P two 2>err &&
    grep -q "P: protected from writing" err && "$DISK" replace r.adf P two --force >/dev/null || fail "protected P"

# The real image: every file read as unadf extracts it, an icon replaced by bytes
# of another size in a copy.
if [ -f "$CORPUS" ]; then
    cp "$CORPUS" icons.adf && chmod u+w icons.adf && "$DISK" check icons.adf || fail "Icons.adf: check"
    rm -rf out && mkdir out && unadf -r icons.adf -d out >/dev/null 2>&1
    # Our list in unadf -l's words: size, date, time, path (a drawer's with /), comment.
    "$DISK" list icons.adf --recursive | awk '{
        match($0, /^[a-z]+ +[0-9]+ [^ ]+ [^ ]+ [^ ]+ /); path = substr($0, RLENGTH + 1); comment = ""
        if ((i = index(path, " ; ")) > 0) { comment = ", " substr(path, i + 3); path = substr(path, 1, i - 1) }
        split($5, t, ":"); gsub("-", "/", $4); drawer = $1 == "drawer"
        printf "%7s  %s  %2d:%s:%s  %s%s%s\n", drawer ? "" : $2, $4, t[1], t[2], t[3], path, drawer ? "/" : "", comment
    }' | sort >ours
    unadf -l -r icons.adf 2>/dev/null | grep -E '^ +[0-9]* +[0-9]{4}/' | sort >theirs
    cmp -s ours theirs || fail "Icons.adf: not listed as unadf lists it: $(diff ours theirs | head -5)"
    while read -r path; do
        "$DISK" get icons.adf "$path" | cmp -s - "out/$path" || fail "Icons.adf: $path differs"
    done < <(cd out && find . -type f -printf '%P\n')
    "$DISK" get icons.adf Projects/Kickstart.info >new && "$DISK" replace icons.adf disk.INFO new >/dev/null &&
        "$DISK" check icons.adf || fail "Icons.adf: replacing Disk.info"
    unadf -p icons.adf Disk.info 2>/dev/null | cmp -s - new || fail "Icons.adf: unadf's Disk.info is not new"
else
    echo "SKIP: no corpus image at $CORPUS"
fi
echo PASS
