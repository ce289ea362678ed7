# Shared by scripts/run and scripts/test: install what is missing, configure, build.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${VELTARO_BUILD_DIR:-$ROOT/build}"
# ccache (when installed) shares its objects between clones wherever they lie: paths inside the
# clone are hashed relative to it.
export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$ROOT}"

# install_packages run|all: "run" leaves out the packages marked [test] in packages.txt.
install_packages() {
    local what="${1:-all}" missing=()
    while read -r line; do
        [ "$what" = run ] && [[ "$line" == *"[test]"* ]] && continue
        local pkg="${line%%#*}"; pkg="${pkg// /}"
        [ -z "$pkg" ] && continue
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
    done < "$ROOT/scripts/packages.txt"
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo apt-get update -qq
        DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}"
    fi
}

# configure_and_build run|all: "run" configures a new build folder without the tests,
# benchmarks and tools and builds the program alone; "all" turns them on and builds everything.
configure_and_build() {
    local what="${1:-all}" gen=()
    command -v ninja >/dev/null && gen=(-G Ninja)
    if [ "$what" = run ]; then
        if [ ! -f "$BUILD/CMakeCache.txt" ]; then
            cmake -S "$ROOT" -B "$BUILD" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
                -DVELTARO_TESTS=OFF
        fi
        cmake --build "$BUILD" --parallel "$(nproc)" --target veltaro
    else
        if [ ! -f "$BUILD/CMakeCache.txt" ]; then
            cmake -S "$ROOT" -B "$BUILD" "${gen[@]}" -DCMAKE_BUILD_TYPE=RelWithDebInfo
        fi
        cmake "$BUILD" -DVELTARO_TESTS=ON >/dev/null
        cmake --build "$BUILD" --parallel "$(nproc)"
    fi
}

# build_package: the Debian package, built in a fresh folder of its own so that nothing an
# earlier build left there can slip into it; prints the package's path. Release without debug
# information: ccache then shares the objects between clones and CI runs (with -g it would
# key them on the build folder), so only what changed is compiled again.
build_package() {
    local dir="${VELTARO_PACKAGE_BUILD_DIR:-$ROOT/build-package}" gen=()
    command -v ninja >/dev/null && gen=(-G Ninja)
    rm -rf "$dir"
    # Chained: inside $(build_package) a failing step would not end the script.
    cmake -S "$ROOT" -B "$dir" "${gen[@]}" -DCMAKE_BUILD_TYPE=Release -DVELTARO_TESTS=OFF >&2 &&
        cmake --build "$dir" --parallel "${VELTARO_JOBS:-$(nproc)}" --target veltaro >&2 &&
        (cd "$dir" && cpack -G DEB >&2) &&
        ls "$dir"/veltaro_*.deb
}
