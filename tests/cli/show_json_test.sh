#!/usr/bin/env bash
# --show --json, read by a JSON parser, on a drawer with every kind of icon, one
# that cannot be written, one that is not an icon and a build with settings of
# its own; without a display the start screen is 1920x1080 at 24 bits.
source "$(dirname "$0")/../e2e/lib.sh"
unset DISPLAY WAYLAND_DISPLAY QT_QPA_PLATFORM

e2e_make_drawer AMIGAOS4=Starfield_OS4 WARPOS=Starfield_WOS   # MOS NewIcons
"$MKICON" "$DRAWER/Starfield_OS4.info" --png WINDOW MASTERVOLUME=50
"$MKICON" "$DRAWER/Starfield.info" --os35 DONOTWAIT WINDOW MASTERVOLUME=50
"$MKICON" "$DRAWER/Starfield_OS3.info" WINDOW FPSLIMIT=30 NOSOUND
chmod a-w "$DRAWER/Starfield_OS4.info"
echo "not an icon" >"$DRAWER/Starfield_WOS.info"
"$SETTINGS_BIN" --show --json "$DRAWER" >"$E2E_DIR/shown.json" || fail "--show --json ended with $?"
python3 - "$E2E_DIR/shown.json" "$DRAWER" <<'PY' || fail "--show --json is not as expected"
import json, sys
shown = json.load(open(sys.argv[1], encoding="utf-8"))
screen = {"modeId": 1920 << 16 | 1080, "depth": 24}
def settings(**values):
    return dict({"displayMode": 0, "fpsLimit": 0, "fpsLimitEnabled": 0, "masterVolume": 40, "soundEnabled": 1},
                **screen, **values)
def icon(role, name, kind, settings, writable=True, reason=None, differs=()):
    return {"role": role, "name": name, "file": name + ".info",
            "kind": kind, "readable": kind is not None, "writable": writable, "reason": reason,
            "settings": settings, "differs": list(differs)}
expected = {
    "drawer": sys.argv[2], "toolIcon": "Settings.info", "application": "Starfield", "settings": settings(masterVolume=50),
    "icons": [icon("application", "Starfield", "os35", settings(masterVolume=50)),
              icon("AMIGAOS3", "Starfield_OS3", "classic", settings(fpsLimit=30, fpsLimitEnabled=1, soundEnabled=0),
                   differs=["fpsLimit", "fpsLimitEnabled", "masterVolume", "soundEnabled"]),
              icon("MORPHOS", "Starfield_MOS", "newicons", settings(), differs=["masterVolume"]),
              icon("WARPOS", "Starfield_WOS", None, None, False, "not-an-icon"),
              icon("AMIGAOS4", "Starfield_OS4", "png", settings(masterVolume=50), False, "permission-denied")]}
if shown != expected:
    print(json.dumps(shown, indent=1), file=sys.stderr)
    sys.exit(1)
PY
echo "PASS"
