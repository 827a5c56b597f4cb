# Sourced by the other scripts: the Debian packages each build needs, and the Windows set-up.
# Installs the packages named in its arguments that are missing, through apt-get.
install_missing() {
    local missing=()
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
}

build_packages=(cmake g++ make qt6-base-dev libqt6sql6-sqlite libcups2-dev qt6-translations-l10n fonts-liberation librsvg2-bin
                qt6-image-formats-plugins libeigen3-dev)
# Building the Debian package computes its dependencies with dpkg-shlibdeps.
package_packages=(dpkg-dev file desktop-file-utils)

# The tests also print through a private print scheduler and read the PDFs back.
test_packages=(cups cups-client printer-driver-cups-pdf poppler-utils)

# The Windows build: cross-compiler, Qt's host tools and sources, icon and installer tools,
# and Wine to run it here.
windows_packages=(g++-mingw-w64-x86-64-posix qt6-base-dev-tools dpkg-dev ninja-build xz-utils
                  imagemagick nsis wine64 xvfb xauth tcl)

# Configures a Windows build in $1 against the Qt for Windows in $2; further arguments go to
# cmake. Qt's tools (moc, rcc) are the host's.
configure_windows() {
    local build=$1 qt=$2
    shift 2
    cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release \
        -DCMAKE_TOOLCHAIN_FILE="$here/cmake/mingw-w64.cmake" \
        -DCMAKE_FIND_ROOT_PATH="$qt" -DCMAKE_PREFIX_PATH="$qt" \
        -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake "$@" >/dev/null
}
