#!/usr/bin/env bash
# Installs what building and testing libsensordll needs on Debian 12, the
# armhf cross toolchain and libraries included. Run as root. Does nothing
# but check when everything is already installed.
set -euo pipefail

native_packages=(
    cmake g++ make pkg-config
    libtinyxml-dev libgtest-dev libgmock-dev libbenchmark-dev
    clang libclang-rt-14-dev valgrind
    g++-arm-linux-gnueabihf qemu-user
    libedit-dev nlohmann-json3-dev help2man libcpp-httplib-dev
    chromium chromium-driver python3-selenium
)
armhf_packages=(
    libtinyxml-dev:armhf libgtest-dev:armhf libgmock-dev:armhf libbenchmark-dev:armhf libedit-dev:armhf
    libcpp-httplib-dev:armhf
)

native_arch=$(dpkg --print-architecture)

installed() {
    local package=$1
    [[ $package == *:* ]] || package="$package:$native_arch"
    [[ $(dpkg-query -W -f='${db:Status-Abbrev}' "$package" 2>/dev/null) == ii* ]]
}

missing=()
for package in "${native_packages[@]}" "${armhf_packages[@]}"; do
    installed "$package" || missing+=("$package")
done
has_armhf=0
dpkg --print-foreign-architectures | grep -qx armhf && has_armhf=1

if [[ ${#missing[@]} -eq 0 && $has_armhf -eq 1 ]]; then
    echo "setup: all packages present"
    exit 0
fi

if [[ $(id -u) -ne 0 ]]; then
    echo "setup: missing ${missing[*]}; run as root to install them" >&2
    exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if [[ $has_armhf -eq 0 ]]; then
    dpkg --add-architecture armhf
fi
echo "setup: installing ${missing[*]}"
apt-get update
apt-get install -y "${missing[@]}"
