#!/bin/sh
# vasquil_profile_tour.sh TOUR ARGUMENTS...
# Runs a screen tour (the profile tour: MODEL.vqx OUTPUT_FOLDER [BOTTOM_Y_MIN BOTTOM_Y_MAX];
# the plan tour: MODEL.vqx OUTPUT_FOLDER) on a virtual X display with a fresh configuration.
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
