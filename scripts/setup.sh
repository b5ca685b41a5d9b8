#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, only those missing.
# Safe to run again; needs root or sudo when something is missing.
set -euo pipefail

packages=(
  g++ cmake ninja-build make
  libgtest-dev libbenchmark-dev
  libgmp-dev libmpfr-dev libmpc-dev
  clang-14 libclang-rt-14-dev
  qt6-base-dev qt6-svg-dev fonts-dejavu-core
  nlohmann-json3-dev libpng-dev
  pkg-config help2man dpkg-dev file lintian
  parallel jq
  slurm-wlm munge
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$'; then
    missing+=("$p")
  fi
done

if [ "${#missing[@]}" -eq 0 ]; then
  exit 0
fi

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  if command -v sudo >/dev/null 2>&1; then
    sudo_cmd=(sudo)
  else
    echo "setup: missing packages (${missing[*]}) and no root or sudo to install them" >&2
    exit 1
  fi
fi

echo "setup: installing ${missing[*]}"
apt_opts=(-o DPkg::Lock::Timeout=300)
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get "${apt_opts[@]}" update -qq
"${sudo_cmd[@]}" apt-get "${apt_opts[@]}" install -y -qq --no-install-recommends "${missing[@]}"
