#!/usr/bin/env bash
# Builds the editor, puts a fresh copy of the bundled sample handling.cfg in a scratch folder
# and runs the editor there. The sample in data/ is never touched.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"

echo "Building the editor in $root/build-app (quietly; the first time takes a minute) ..."
cmake -S "$root" -B "$root/build-app" -DBUILD_TESTING=OFF >/dev/null
cmake --build "$root/build-app" --target vehicle-editor >/dev/null

scratch="$root/scratch"
mkdir -p "$scratch"
rm -f "$scratch/temp.cfg"
cp "$root/data/handling.cfg" "$scratch/handling.cfg"
echo "Editing a scratch copy of the sample file: $scratch/handling.cfg"
echo
cd "$scratch"
exec "$root/build-app/vehicle-editor"
