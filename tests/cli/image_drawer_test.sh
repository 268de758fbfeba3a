#!/usr/bin/env bash
# Drawers inside disk images made by diskimage: --show, --save, --dry-run and
# --list-drawers on an ADF of each dostype, on both partitions of an RDB disk and
# on a bare HDF. Each save writes the icons a folder's save writes, which unadf
# (DOS\0 to DOS\5) and the checker read back, and a save that changes nothing
# writes nothing. Refusals change no byte: icons that do not fit together, an
# image held open, a read-only image, a write-protected icon, names leading
# outside the drawer. A save killed before any of its block writes leaves a volume
# that checks holding old icons or new ones; a save flushes once a stage; two
# saves at once keep both changes; the corpus's Icons.adf takes a save too.
source "$(dirname "$0")/../e2e/lib.sh"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM
: "${IO_FAULTS:?IO_FAULTS must name the fault library}"
export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0
DISK="$BUILD_DIR/tools/diskimage"
CORPUS="${SOURCE_DIR:-$(dirname "$0")/../..}/../shared/corpus/images/adf-tool/Icons.adf"
command -v unadf >/dev/null || fail "unadf is not installed (scripts/install-deps)"
icons=(Settings Starfield Starfield_OS3 Starfield_MOS)
words=(FULLSCREEN FPSLIMIT=50 MASTERVOLUME=3)  # every icon grows
e2e_make_drawer
cd "$E2E_DIR"
run() { "$SETTINGS_BIN" "$@" >out 2>err; }
# The icons a folder's save writes are what a save into an image must write.
cp -a before new && "$SETTINGS_BIN" --save new "${words[@]}" || fail "the folder's save failed"

# put IMAGE PART PATH: the drawer's icons into the image, its drawers made.
put() {
    local path="" name
    IFS=/ read -ra names <<<"$3"
    for name in "${names[@]}"; do path=${path:+$path/}$name && "$DISK" mkdir "$1" --part "$2" "$path"; done
    for name in "${icons[@]}"; do "$DISK" put "$1" --part "$2" "$3/$name.info" "${FROM:-before}/$name.info"; done
}
# holds IMAGE PART PATH FOLDER [VOLUME]: the image checks without lost blocks and
# its icons are FOLDER's, as diskimage reads them and as unadf extracts volume VOLUME.
holds() {
    "$DISK" check "$1" >check 2>&1 && [ ! -s check ] || fail "$1: $(cat check)"
    for name in "${icons[@]}"; do
        "$DISK" get "$1" --part "$2" "$3/$name.info" | cmp -s - "$4/$name.info" || return 1
    done
    [ -z "${5:-}" ] && return 0
    rm -rf x && mkdir x && timeout 60 unadf -v "$5" -r "$1" -d x >/dev/null 2>&1 || fail "$1: unadf cannot extract"
    for name in "${icons[@]}"; do cmp -s "x/$3/$name.info" "$4/$name.info" || return 1; done
}
# save ARGUMENT IMAGE PART PATH [VOLUME]: a dry run writes nothing; the save writes
# the new icons; the same save again writes nothing.
save() {
    cp "$2" old.img
    run --save "$1" "${words[@]}" --dry-run && grep -q "Starfield_OS3.info after:" out && cmp -s "$2" old.img ||
        fail "$1: dry run: $(cat err)"
    run --save "$1" "${words[@]}" && holds "$2" "$3" "$4" new "${5:-}" || fail "$1: not saved: $(cat err)"
    cp "$2" old.img && run --save "$1" "${words[@]}" && cmp -s "$2" old.img || fail "$1: an unchanged save wrote"
}

# Each dostype; names compared as AmigaDOS compares them (the argument in small letters).
for n in 0 1 2 3 4 5 6 7; do
    "$DISK" format dd$n.adf --adf dd --dostype $n --name Work && put dd$n.adf DF0 Games/Starfield
    run --show dd$n.adf:games/STARFIELD && grep -q "^dosType=DOS\\\\$n$" out &&
        grep -q "^settingsFrom=Starfield.info$" out || fail "DOS$n: --show: $(cat err)"
    save dd$n.adf:games/starfield dd$n.adf DF0 Games/Starfield "$([ $n -le 5 ] && echo 0)"
done
# An RDB disk of two partitions, named by device and by volume, one drawer named
# in ISO-8859-1 (given in UTF-8, its letters folded as on international volumes);
# a bare HDF.
"$DISK" format rdb.hdf --rdb 4,32 --partition DH0,20,3 --partition DH1,30,1 --name Work
put rdb.hdf DH0 $'Apps/Gr\xfcn' && put rdb.hdf DH1 Starfield
run --list-drawers rdb.hdf && [ "$(cat out)" = "rdb.hdf:DH0:Apps/Grün	Starfield
rdb.hdf:DH1:Starfield	Starfield" ] || fail "--list-drawers: $(cat out err)"
run --list-drawers --json rdb.hdf && python3 -c 'import json, sys
d = json.load(open("out"))
assert [(x["partition"], x["volume"], x["drawer"], x["application"]) for x in d] == [
    ("DH0", "Work", "Apps/Gr\u00fcn", "Starfield"), ("DH1", "Work", "Starfield", "Starfield")]' || fail "--list-drawers --json"
! run --show rdb.hdf && grep -q "rdb.hdf:DH1:Starfield" err || fail "an image of two drawers: $(cat err)"
! run --show rdb.hdf:Starfield && grep -q "several partitions: name one (DH0 (Work), DH1 (Work))" err ||
    fail "no partition named: $(cat err)"
save rdb.hdf:dh0:apps/GRÜN rdb.hdf DH0 $'Apps/Gr\xfcn' 0
save rdb.hdf:DH1:Starfield rdb.hdf DH1 Starfield 1
"$DISK" format bare.hdf --hdf 4000000 --dostype 1 --name Bare && put bare.hdf DH0 Starfield
run --show --json ./bare.hdf:bare:Starfield && python3 -c 'import json
d = json.load(open("out"))
assert d["image"] == {"file": "'"$PWD"'/bare.hdf", "partition": "DH0", "volume": "Bare", "dosType": "DOS\\1",
                      "path": "Starfield"} and d["drawer"] == "'"$PWD"'/bare.hdf:Starfield"' || fail "--show --json"
save bare.hdf bare.hdf DH0 Starfield 0

# Refusals: exit 1, why named, the image unchanged.
refused() {  # ARGUMENT IMAGE TEXT
    cp "$2" old.img
    ! run --save "$1" WINDOW NOSOUND && grep -q "$3" err && cmp -s "$2" old.img || fail "$1: $3: $(cat err)"
}
# Starfield_OS3.info grows past its one block.
cp -r before pad && "$MKICON" pad/Starfield_OS3.info STACK=16384 WINDOW "PAD=$(printf %230s | tr ' ' x)"
"$DISK" format full.hdf --hdf 70000 --dostype 1 && FROM=pad put full.hdf DH0 S
head -c 1000 /dev/zero >f && "$DISK" put full.hdf Spare f
n=0 && for size in 9000 900 1 0; do  # filled to its last block
    head -c $size /dev/zero >f
    while if [ $size = 0 ]; then "$DISK" mkdir full.hdf D$((++n)); else "$DISK" put full.hdf F$((++n)) f; fi 2>/dev/null; do :; done
done
run --show full.hdf && grep -q "^icon Starfield: .*cannot be written: no-space$" out || fail "--show: full: $(cat out)"
# One block free: one by one, Starfield.info would be written before
# Starfield_OS3.info finds no room; together nothing is.
"$DISK" replace full.hdf Spare /dev/null >/dev/null && "$DISK" mkdir full.hdf D0 &&
    refused full.hdf full.hdf "Starfield_OS3.info: no space left"
sleep 30 3<bare.hdf &
refused bare.hdf bare.hdf "the disk image is in use by sleep ($!)"
kill $!
chmod a-w bare.hdf && refused bare.hdf bare.hdf "permission denied" && chmod u+w bare.hdf
"$DISK" format p.adf --adf dd && "$DISK" mkdir p.adf S && for name in "${icons[@]}"; do
    "$DISK" put p.adf "S/$name.info" "before/$name.info" --protect $([ $name = Starfield_OS3 ] && echo 4 || echo 0)
done
! run --save p.adf:S "${words[@]}" && grep -q "Starfield_OS3.info: permission denied" err || fail "protected: $(cat err)"
"$MKICON" bad.info --type tool APPLICATION=Starfield AMIGAOS3=/S/Starfield_OS3 MORPHOS=DF0:S/Starfield_MOS
"$DISK" mkdir p.adf T && "$DISK" put p.adf T/Settings.info bad.info && "$DISK" put p.adf T/Starfield.info before/Starfield.info
"$DISK" get p.adf S/Starfield_MOS.info >mos && ! run --save p.adf:T WINDOW NOSOUND &&
    grep -q "Settings.info: AMIGAOS3 leads outside the drawer" err && "$DISK" get p.adf S/Starfield_MOS.info | cmp -s - mos || fail "names outside the drawer: $(cat err)"

# Three icons (four data blocks) in one plan of five stages (bitmap, data, a header
# each, cache, bitmap), each flushed once before the next. Killed before each block
# write: the volume checks, unadf reads it, each icon is old or new.
"$DISK" format k.adf --adf dd --dostype 4 && put k.adf DF0 S && cp k.adf k0.adf
SETTINGS_IO_LOG=log LD_PRELOAD="$IO_FAULTS" "$SETTINGS_BIN" --save k.adf:S "${words[@]}" || fail "the logged save"
awk '$1 == "pwrite" { n++ } $1 == "fdatasync" { s = s " " n; n = 0 } END { exit s != " 1 4 3 1 1" }' log ||
    fail "not five stages flushed apart: $(cat log)"
writes=$(grep -c "^pwrite" log)
for ((k = 1; k <= writes; k++)); do
    cp k0.adf k.adf
    SETTINGS_IO_KILL=$k LD_PRELOAD="$IO_FAULTS" "$SETTINGS_BIN" --save k.adf:S "${words[@]}" 2>/dev/null && fail "not killed"
    "$DISK" check k.adf >check || fail "killed before write $k: $(cat check)"
    rm -rf x && mkdir x && unadf -r k.adf -d x >/dev/null 2>&1 || fail "killed before write $k: unadf"
    for name in "${icons[@]}"; do
        cmp -s "x/S/$name.info" "before/$name.info" || cmp -s "x/S/$name.info" "new/$name.info" ||
            fail "killed before write $k: $name.info is neither old nor new"
    done
done

# Two saves at once, slowed: the second waits for the first, says so, and both
# changes are kept.
cp k0.adf k.adf
SETTINGS_IO_LOG=log2 SETTINGS_IO_SLOW=400 LD_PRELOAD="$IO_FAULTS" "$SETTINGS_BIN" --save k.adf:S FPSLIMIT=7 2>/dev/null &
while [ ! -s log2 ]; do sleep 0.05; done  # it holds the image, writing
SETTINGS_IO_SLOW=400 LD_PRELOAD="$IO_FAULTS" "$SETTINGS_BIN" --save k.adf:S MASTERVOLUME=9 2>err || fail "the second save"
grep -q "waiting for another save of the disk image" err || fail "the wait was not said: $(cat err)"
wait $! && run --show k.adf:S && grep -q "^fpsLimit=7$" out && grep -q "^masterVolume=9$" out || fail "a change was lost"

# The corpus image: a Settings.info put into one of its drawers, saved and checked.
if [ -f "$CORPUS" ]; then
    cp "$CORPUS" icons.adf && chmod u+w icons.adf && mkdir -p c c2
    "$MKICON" c/Settings.info --type tool APPLICATION=Anna41 AMIGAOS3=BeachGirl
    "$DISK" put icons.adf Tools/Settings.info c/Settings.info
    for name in Anna41 BeachGirl; do "$DISK" get icons.adf Tools/$name.info c/$name.info; done
    cp c/* c2/ && "$SETTINGS_BIN" --save c2 WINDOW NOSOUND && run --save icons.adf:Tools WINDOW NOSOUND ||
        fail "Icons.adf: $(cat err)"
    icons=(Settings Anna41 BeachGirl) && holds icons.adf DF0 Tools c2 0 || fail "Icons.adf: not the folder's icons"
    "$DISK" list icons.adf Tools | grep -q "file .* ----rw-d .* Tools/Anna41.info ; ICON BY PAW" ||
        fail "Icons.adf: protection bits or comment lost"
else
    echo "SKIP: no corpus image at $CORPUS"
fi
echo PASS
