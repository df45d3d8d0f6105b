#!/usr/bin/env bash
# The main job: set up, build, and render the legend sheet of the example gallery to
# out/gallery.png.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh release
mkdir -p out
./build/symbolize gallery examples/gallery.json -o out/gallery.png
echo "wrote out/gallery.png"
