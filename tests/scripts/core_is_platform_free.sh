#!/usr/bin/env bash
# Core must build and run where neither Qt nor X11 is installed: no header of
# theirs under src/core, and nothing of theirs linked into a core-only binary.
set -euo pipefail
root=$1 binary=$2
status=0
if grep -rnE '#include\s*[<"](Q[A-Za-z]+|qt[a-z]*/|X11/|xcb/|xkbcommon/)' "$root/src/core"; then
    echo "core includes a Qt or X11 header (above)" >&2
    status=1
fi
if ldd "$binary" | grep -E 'libQt|libX11|libxcb|libxkbcommon'; then
    echo "a core-only binary links Qt or X11 (above)" >&2
    status=1
fi
[[ $status -eq 0 ]] && echo "core is free of Qt and X11"
exit $status
