# Shared by scripts/run, scripts/test and scripts/bench: install what is missing,
# configure and build. Sourced, not run.
set -euo pipefail

VX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
VX_JOBS=${VX_JOBS:-$(nproc)}

log() { printf '[vortaxis] %s\n' "$*" >&2; }

# ensure_packages LIST...: installs the Debian packages named in
# scripts/packages/LIST.txt that are not installed yet.
ensure_packages() {
    local missing=() pkg list
    for list in "$@"; do
        while read -r pkg; do
            [[ -z "$pkg" || "$pkg" == \#* ]] && continue
            dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'ok installed' || missing+=("$pkg")
        done < "$VX_ROOT/scripts/packages/$list.txt"
    done
    [[ ${#missing[@]} -eq 0 ]] && return 0
    log "installing: ${missing[*]}"
    local sudo=()
    [[ $(id -u) -ne 0 ]] && sudo=(sudo)
    export DEBIAN_FRONTEND=noninteractive
    "${sudo[@]}" apt-get update -qq
    "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# build DIR [CMAKE ARGS...]: configures (once) and builds DIR, tests included
# and warnings as errors, as developers and CI build (users get neither).
build() {
    local dir=$1
    shift
    cmake -S "$VX_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="${VX_BUILD_TYPE:-RelWithDebInfo}" \
        -DVORTAXIS_TESTS=ON -DVORTAXIS_WERROR=ON "$@" >/dev/null
    cmake --build "$dir" -j "$VX_JOBS"
}
