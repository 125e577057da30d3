#!/usr/bin/env bash
# Installs the Debian packages named that are not installed yet, with
# apt-get (through sudo when not root); the first argument names the caller
# in its one line of output.
#
#   bash scripts/install-missing.sh WHO PACKAGE...
set -euo pipefail
who="$1"
shift
missing=()
for p in "$@"; do
  dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "$who: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
