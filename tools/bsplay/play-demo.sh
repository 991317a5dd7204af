#!/bin/sh
# Plays the demo through bsplay when a sound device opens, and says so when
# none does.
#
#   play-demo.sh BSPLAY SAMPLES INSTRUMENTS MUSIC [EFFECT...]
#
# Exit status: bsplay's; 3 means no sound device could be opened (the caller
# may then render the demo to a file instead).
if [ $# -lt 4 ]; then
    echo "usage: play-demo.sh BSPLAY SAMPLES INSTRUMENTS MUSIC [EFFECT...]" >&2
    exit 1
fi
bsplay=$1
samples=$2
instruments=$3
music=$4
shift 4
# Build bsplay's arguments: each effect after -e.
for effect in "$@"; do
    set -- "$@" -e "$effect"
    shift
done
"$bsplay" "$samples" "$instruments" "$music" "$@"
status=$?
if [ $status -eq 3 ]; then
    echo "play-demo: no sound device could be opened, so the demo was not played" >&2
fi
exit $status
