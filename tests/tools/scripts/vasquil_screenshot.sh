#!/bin/sh
# vasquil_screenshot.sh VASQUIL SCREENSHOT OUTPUT.png
# Starts vasquil on a virtual X display with a fresh configuration, waits for its windows (the
# main frame and the About box), saves the screen and checks it is not blank.
set -u
vasquil=$1
screenshot=$2
output=$3
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vasquil-screenshot.XXXXXX") || exit 1
mkdir -p "$scratch/config" "$scratch/runtime"
chmod 700 "$scratch/runtime"
export XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime" QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1280x800x24" sh -c '
    "$1" & pid=$!
    sleep "${VASQUIL_SCREENSHOT_DELAY:-4}"
    "$2" "$3" --not-blank
    status=$?
    kill $pid 2>/dev/null
    wait $pid 2>/dev/null
    exit $status' sh "$vasquil" "$screenshot" "$output"
status=$?
rm -rf "$scratch"
exit $status
