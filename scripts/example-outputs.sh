#!/usr/bin/env bash
# Runs every example model through vasquil-batch and keeps, or checks, every output it writes.
#
#   scripts/example-outputs.sh reference DIR   run the examples, keep all outputs in DIR
#   scripts/example-outputs.sh compare DIR     run them again, compare with DIR byte for byte
#
# The runs cover steady, transient, ice-jam, dynamic-ice and thermal runs and the three
# water-quality types, writing databases, result files, timed model states, saved models and
# saved water-quality files; each run's standard output is kept as well. A change that is meant
# to keep the numbers makes a reference before it and compares after it.
#
# Every output is compared byte for byte. A database whose bytes differ is compared once more by
# its content (sqlite3 .dump), and the report says which of the two held; a change of content is
# a difference, a change of page layout alone is reported but passes.
#
# The examples all take the natural formulation; the benchmark channel (bench/flood_model) adds
# six hours of each of its four kinds (rectangular formulation, surveyed sections in the natural
# formulation and its conservation form, rectangles in the natural formulation).
#
# VASQUIL_BATCH overrides the runner (default: the release build, build/release/.../vasquil-batch)
# and FLOOD_MODEL the channel's model writer (default: the release build's bench/flood_model).
# Exit status: 0 when everything matches (or the reference was made), 1 on a difference or a run
# that failed, 2 for a wrong command line.
set -u

here="$(cd "$(dirname "$0")/.." && pwd)"
batch="${VASQUIL_BATCH:-$here/build/release/tools/vasquil-batch/vasquil-batch}"
flood_model="${FLOOD_MODEL:-$here/build/release/bench/flood_model}"

usage() {
    echo "usage: $0 reference DIR | compare DIR" >&2
    exit 2
}
[ $# -eq 2 ] || usage
mode="$1"
target="$2"
case "$mode" in
reference | compare) ;;
*) usage ;;
esac
if [ ! -x "$batch" ]; then
    echo "no runner at $batch (build the release preset, or set VASQUIL_BATCH)" >&2
    exit 1
fi
if [ ! -x "$flood_model" ]; then
    echo "no channel model writer at $flood_model (build the release preset, or set FLOOD_MODEL)" >&2
    exit 1
fi
command -v sqlite3 > /dev/null || { echo "sqlite3 is needed to compare databases" >&2; exit 1; }

# The runs: a name, then one or more commands of the runner separated by "|". Paths are relative
# to the run's own folder, whose examples/ holds copies of the example models, so that no output
# depends on where the script was started. A converted geometry's model is stamped with the
# present date: its start date is set to a fixed one before anything else reads it. A command
# "model FILE KIND" writes the benchmark channel of that kind instead of running the runner.
runs=(
    "river-transient|run examples/sample-river.vqx --final-hours 24 --db river.db --results results --save final.vqx --state-every-hours 6"
    "river-every-step|run examples/sample-river.vqx --final-hours 6 --db-every-hours 0 --db river.db --max-step-seconds 300"
    "river-steady|run examples/sample-river.vqx --steady --save steady.vqx"
    "river-nutrients|run examples/sample-river.vqx --wq examples/sample-river.nu --final-hours 24 --db wq.db --results results --save final.vqx --save-wq final.nu"
    "network-transient|run examples/sample-network.vqx --final-hours 24 --db network.db --results results --save final.vqx --state-every-hours 12"
    "network-steady|run examples/sample-network.vqx --steady --passes 50 --save steady.vqx"
    "network-metals|run examples/sample-network.vqx --wq examples/sample-network.hm --final-hours 24 --db wq.db --results results --save-wq final.hm"
    "network-xenobiotics|run examples/sample-network.vqx --wq examples/sample-network.xe --final-hours 24 --results results --save-wq final.xe"
    "jam-steady|run examples/sample-jam.vqx --steady --ice-jam --passes 250 --save jam.vqx"
    "jam-transient|run examples/sample-jam.vqx --final-hours 24 --db jam.db --results results --save final.vqx"
    "dynamic-ice|run examples/sample-dynamic-ice.vqx --final-hours 12 --db ice.db --results results --save ice.vqx --state-every-hours 4"
    "thermal|run examples/sample-thermal.vqx --final-hours 240 --db sample-thermal.db --results sample-thermal --save final.vqx --state-every-hours 48"
    "geometry-convert|convert examples/sample-geometry.g01 bow.vqx --depth 2 --discharge 50|run bow.vqx --steady --passes 40 --db bow.db --save steady.vqx"
    "channel-rectangular|model channel.vqx 0|run channel.vqx --final-hours 6 --db channel.db --save final.vqx"
    "channel-surveyed|model channel.vqx 1|run channel.vqx --final-hours 6 --db channel.db --save final.vqx"
    "channel-conservation|model channel.vqx 2|run channel.vqx --final-hours 6 --db channel.db --save final.vqx"
    "channel-natural-rectangles|model channel.vqx 3|run channel.vqx --final-hours 6 --db channel.db --save final.vqx"
)

# The start date every converted model gets.
fixed_start=" Simulation Start DateTime (YYYY MM DD HH MM SS) = 2000 01 01 00 00 00"

# Runs every example into the folder $1 (made afresh); 1 when a run failed.
run_all() {
    local into="$1" failed=0 entry name commands command
    local -a words
    rm -rf "$into"
    mkdir -p "$into"
    for entry in "${runs[@]}"; do
        name="${entry%%|*}"
        commands="${entry#*|}"
        mkdir -p "$into/$name/examples"
        cp "$here"/examples/* "$into/$name/examples/"
        # The xenobiotics file is the test fixture beside the other test models.
        cp "$here/tests/data/sample-network.xe" "$into/$name/examples/"
        : > "$into/$name/stdout.txt"
        : > "$into/$name/stderr.txt"
        while [ -n "$commands" ]; do
            command="${commands%%|*}"
            if [ "$command" = "$commands" ]; then commands=""; else commands="${commands#*|}"; fi
            read -r -a words <<< "$command"
            local program="$batch"
            if [ "${words[0]}" = model ]; then
                program="$flood_model"
                words=("${words[@]:1}")
            fi
            if ! (cd "$into/$name" && "$program" "${words[@]}" >> stdout.txt 2>> stderr.txt); then
                echo "run $name failed at '$command' (see $into/$name/stderr.txt)" >&2
                failed=1
                break
            fi
            if [ "${words[0]}" = convert ]; then
                sed -i "s/^ Simulation Start DateTime (YYYY MM DD HH MM SS) = .*/$fixed_start/" "$into/$name/${words[2]}"
            fi
        done
        rm -rf "$into/$name/examples"
    done
    return $failed
}

if [ "$mode" = reference ]; then
    run_all "$target" || exit 1
    count=$(find "$target" -type f | wc -l)
    echo "reference made: $count files in $target"
    exit 0
fi

[ -d "$target" ] || { echo "no reference folder $target" >&2; exit 1; }
fresh="$(mktemp -d "${TMPDIR:-/tmp}/example-outputs.XXXXXX")"
trap 'rm -rf "$fresh"' EXIT
run_all "$fresh/runs" || status=1
status=${status:-0}

identical=0
same_content=0
different=0
while IFS= read -r -d '' file; do
    rel="${file#"$target"/}"
    new="$fresh/runs/$rel"
    if [ ! -f "$new" ]; then
        echo "missing: $rel"
        different=$((different + 1))
    elif cmp -s "$file" "$new"; then
        identical=$((identical + 1))
    elif [[ "$rel" == *.db ]] && cmp -s <(sqlite3 "$file" .dump) <(sqlite3 "$new" .dump); then
        echo "same content, other bytes: $rel"
        same_content=$((same_content + 1))
    else
        echo "differs: $rel"
        different=$((different + 1))
    fi
done < <(find "$target" -type f -print0 | sort -z)
while IFS= read -r -d '' file; do
    rel="${file#"$fresh/runs"/}"
    if [ ! -f "$target/$rel" ]; then
        echo "new: $rel"
        different=$((different + 1))
    fi
done < <(find "$fresh/runs" -type f -print0 | sort -z)

echo "compared with $target: $identical identical, $same_content databases of the same content" \
     "(sqlite3 .dump) but other bytes, $different different"
[ "$different" -eq 0 ] || status=1
exit "$status"
