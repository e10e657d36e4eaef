#!/bin/sh
# Installs, from Debian's packages, whatever Quillbox needs to build, test and
# run that this machine does not have yet. Safe to run again: it asks apt for
# nothing when every package is already installed. Works as root or with sudo.
set -eu

PACKAGES="cmake ninja-build g++ pkg-config clang-format \
libsqlite3-dev sqlite3 libgtest-dev libgmock-dev libbenchmark-dev \
qt6-base-dev qt6-base-dev-tools libgl-dev fonts-noto-cjk xvfb xauth \
hyperfine time clang libclang-rt-14-dev"

missing=""
for p in $PACKAGES; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing="$missing $p"
  fi
done

if [ -z "$missing" ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  SUDO=""
elif command -v sudo >/dev/null 2>&1; then
  SUDO="sudo"
else
  echo "install-deps: these packages are missing and neither root nor sudo is available:$missing" >&2
  exit 1
fi

echo "install-deps: installing$missing" >&2
$SUDO apt-get update -qq
# shellcheck disable=SC2086
$SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing
