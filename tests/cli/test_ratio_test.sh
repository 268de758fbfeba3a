#!/usr/bin/env bash
# scripts/check-test-ratio on a made-up tree: the non-blank lines of every folder
# of the code and of the tests count, and the tests may reach 0.35 of the code.
set -eu
tree=$(mktemp -d "${TMPDIR:-/tmp}/settings-ratio-XXXXXX") && trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree"/{scripts,src/app,viewer,tools,tests/cli} && git -C "$tree" init -q
cp "$(dirname "$0")/../../scripts/check-test-ratio" "$tree/scripts/"
for file in src/app/a.cpp:100 viewer/b.h:100 tools/c.py:100 tests/d.cpp:50 tests/cli/e_test.sh:55; do
    yes $'x\n' | head -n $((2 * ${file#*:})) >"$tree/${file%:*}"  # N lines, each with a blank one
done
out=$("$tree/scripts/check-test-ratio" 2>&1) || true
[ "$out" = "test lines: 105, code lines: 300, limit: 105" ] || { echo "FAIL: $out" && exit 1; }
echo PASS
