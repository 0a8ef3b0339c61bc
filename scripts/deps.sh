#!/usr/bin/env bash
# Installs the Debian packages the project builds, runs and tests with (scripts/packages.d/*.txt).
# Idempotent; uses sudo when not run as root. One dpkg query for all of them, so a run with nothing to install
# costs a few milliseconds.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
mapfile -t pkgs < <(cat "$here"/packages.d/*.txt | sed 's/#.*//' | tr -s ' \t' '\n' | sed '/^$/d' | sort -u)
mapfile -t installed < <(dpkg-query -W -f='${Status} ${Package}\n' "${pkgs[@]}" 2>/dev/null |
                         sed -n 's/^install ok installed //p' | sed 's/:.*//' | sort -u)
mapfile -t missing < <(comm -23 <(printf '%s\n' "${pkgs[@]}") <(printf '%s\n' "${installed[@]}"))
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
