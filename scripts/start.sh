#!/usr/bin/env bash
# Installs what is missing, builds, and starts the program in the working folder
# work/ (its dat/ is created there on the first start).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
mkdir -p "$root/work"
cd "$root/work"
exec "$root/build/src/orbek" "$@"
