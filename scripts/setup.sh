#!/usr/bin/env bash
# Installs the Debian packages the project builds, tests and renders with. Runs apt only when
# something is missing, so a prepared machine starts at once.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  libcairo2-dev libpango1.0-dev libfontconfig-dev libfreetype-dev
  nlohmann-json3-dev libcli11-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  libagg-dev
  librsvg2-dev
  fonts-dejavu-core fonts-wqy-zenhei
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "setup: installing ${missing[*]}" >&2
if [ "$(id -u)" -ne 0 ]; then
  echo "setup: these Debian packages are missing and installing them needs root: ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
