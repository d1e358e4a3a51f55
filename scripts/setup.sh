#!/usr/bin/env bash
# Installs what building and testing need, once. Sourced by test.sh and demo.sh; as root it uses apt.
set -euo pipefail

velmora_packages=(
    cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev libbenchmark-dev
    g++-mingw-w64-x86-64-posix wine64 xvfb x11-utils imagemagick fonts-ipafont-gothic locales python3 rapidjson-dev openssl
)

velmora_setup() {
    local missing=()
    for p in "${velmora_packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    if [ ${#missing[@]} -gt 0 ]; then
        if [ "$(id -u)" != 0 ]; then
            echo "missing packages: ${missing[*]} (run as root to install them)" >&2
            return 1
        fi
        echo "installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        apt-get update -qq
        apt-get install -y -qq "${missing[@]}" >/dev/null
    fi
    # Wine takes its ANSI code page from LC_ALL; the locale must exist or Wine falls back to 1252.
    if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
        [ "$(id -u)" = 0 ] || { echo "the ja_JP.UTF-8 locale is missing (run as root)" >&2; return 1; }
        sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
        grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
        locale-gen >/dev/null
    fi
}
