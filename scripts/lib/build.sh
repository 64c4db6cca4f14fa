# Shared steps of the project's scripts: Debian packages, configure, build.
# Sourced by scripts/test and scripts/demo.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)

BUILD_PACKAGES=(g++ cmake ninja-build pkg-config qt6-base-dev librapidxml-dev libxlsxwriter-dev
    libzip-dev libgtest-dev libgmock-dev libbenchmark-dev help2man)
# What the programs need at run time beyond the libraries they link: Qt's own translations
# (standard buttons and file dialogs in Chinese) and a font with the Chinese characters of the
# default language.
RUNTIME_PACKAGES=(qt6-translations-l10n fonts-noto-cjk)
# What cpack -G DEB needs to find the package's dependencies, and Debian's check of packages.
PACKAGE_PACKAGES=(dpkg-dev file lintian)

# ensure_packages PKG...: installs the Debian packages that are missing.
ensure_packages() {
    local missing=()
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$pkg")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# configure_tree DIR [CMAKE-ARGS...]: configures DIR once.
configure_tree() {
    local dir=$1
    shift
    if [ ! -f "$dir/build.ninja" ]; then
        local launcher=()
        # A compiler cache, where the machine has one, makes rebuilds of other trees cheap.
        command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
        cmake -S "$ROOT" -B "$dir" -G Ninja "${launcher[@]}" "$@"
    fi
}

# build_tree DIR [CMAKE-ARGS...]: configures DIR once, then builds everything in it.
build_tree() {
    configure_tree "$@"
    cmake --build "$1" --parallel "$(nproc)"
}
