#!/bin/sh
# vasquil_grid_tour.sh GRID_TOUR OUTPUT_FOLDER
# Runs the grid tour on a virtual X display with a fresh configuration; the pictures go to
# OUTPUT_FOLDER.
set -u
tour=$1
shift
scratch=$(mktemp -d "${TMPDIR:-/tmp}/vasquil-tour.XXXXXX") || exit 1
mkdir -p "$scratch/config" "$scratch/runtime"
chmod 700 "$scratch/runtime"
export XDG_CONFIG_HOME="$scratch/config" XDG_RUNTIME_DIR="$scratch/runtime" QT_QPA_PLATFORM=xcb
xvfb-run -a -s "-screen 0 1280x800x24" "$tour" "$@"
status=$?
rm -rf "$scratch"
exit $status
