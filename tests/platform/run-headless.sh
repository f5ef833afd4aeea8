#!/bin/sh
# Runs a GUI test headless: Qt's offscreen platform at 96 dots per inch, and a configuration
# and runtime folder of its own, so no test reads or leaves the user's settings.
set -u
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vasquil-gui-test.XXXXXX") || exit 1
mkdir -p "$scratch/config" "$scratch/runtime"
chmod 700 "$scratch/runtime"
QT_QPA_PLATFORM=offscreen QT_ENABLE_HIGHDPI_SCALING=0 XDG_CONFIG_HOME="$scratch/config" \
    XDG_RUNTIME_DIR="$scratch/runtime" "$@"
status=$?
rm -rf "$scratch"
exit $status
