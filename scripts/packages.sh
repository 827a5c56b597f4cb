# Debian packages the program needs, sourced by the other scripts.
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

build_packages=(cmake g++ make qt6-base-dev qt6-svg-dev qt6-translations-l10n fonts-liberation)
# Building the Debian package computes its dependencies with dpkg-shlibdeps.
package_packages=(dpkg-dev file desktop-file-utils)

# The tests also print through a private print scheduler and read the PDFs back.
test_packages=(cups cups-client printer-driver-cups-pdf poppler-utils)
