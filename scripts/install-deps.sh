#!/bin/sh
# Installs what building, running and testing Tessaform needs on Debian 12.
set -eu

packages="build-essential cmake ninja-build qt6-base-dev libcli11-dev
  qt6-base-private-dev libtbb-dev libhwy-dev libgtest-dev libgmock-dev libbenchmark-dev locales
  clang libclang-rt-14-dev xvfb xdotool libx11-dev libpng-dev zlib1g-dev libtomlplusplus-dev
  pkg-config libavformat-dev libavcodec-dev libswscale-dev libavutil-dev
  slurmd slurmctld slurm-client munge python3
  help2man dpkg-dev file lintian desktop-file-utils appstream shared-mime-info
  libopenexr-dev openexr"

if [ "$(id -u)" -eq 0 ]; then
    as_root=""
else
    as_root="sudo"
fi

$as_root apt-get update -qq
# shellcheck disable=SC2086
DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends $packages >/dev/null

# The parameter-file tests read and write under a German numeric locale,
# where the decimal separator is a comma.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
    $as_root sed -i 's/^# *\(de_DE.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    $as_root locale-gen >/dev/null
fi
