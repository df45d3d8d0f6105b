#!/usr/bin/env bash
# Renders the reference pictures the image tests compare against, after a change to what they
# show was checked by eye: tests/data/gallery.png (the legend sheet of examples/gallery.json) and
# its copy in the README, docs/images/gallery.png.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh release
mkdir -p docs/images
./build/symbolize gallery examples/gallery.json -o tests/data/gallery.png
cp tests/data/gallery.png docs/images/gallery.png
echo "wrote tests/data/gallery.png and docs/images/gallery.png"
