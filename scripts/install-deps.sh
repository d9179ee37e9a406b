#!/usr/bin/env bash
# Installs, with apt-get, every Debian package the build, the tests and the demo need
# that is not there yet. Needs root on a Debian 12 machine.
set -euo pipefail

packages=(
    build-essential cmake pkg-config
    qtbase5-dev qttools5-dev qttools5-dev-tools libqt5svg5-dev
    # Qt's own texts (file dialogs, context menus) in the program's language
    qttranslations5-l10n
    libcurl4-openssl-dev
    clang libclang-rt-14-dev
    # netns.sh: unshare, ip; lan-sshd.sh: mount, sshd, ssh-keygen, openssl
    iproute2 util-linux mount openssh-server openssh-client openssl
    xvfb xauth imagemagick fonts-wqy-microhei
    curl ccache
    # the package test: dpkg-shlibdeps (dpkg-dev), desktop-file-validate
    dpkg-dev desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -q
    apt-get install -y -q --no-install-recommends "${missing[@]}"
fi
