#!/usr/bin/env bash
# Renders the reference pictures the image tests compare against, after a change to what they
# show was checked by eye: tests/data/gallery.png (the legend sheet of examples/gallery.json) and
# its copy in the README, docs/images/gallery.png; and the README's map example at 96 and 300 ppi
# as PNG and PDF. The pictures of single symbols are scripts/update-symbol-references.sh's.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh release
mkdir -p docs/images
./build/symbolize gallery examples/gallery.json -o tests/data/gallery.png
cp tests/data/gallery.png docs/images/gallery.png
for ppi in 96 300; do
  for format in png pdf; do
    ./build/symbolize render examples/map/map.json -o "docs/images/map-$ppi.$format" --ppi "$ppi"
  done
done
echo "wrote tests/data/gallery.png, docs/images/gallery.png and docs/images/map-{96,300}.{png,pdf}"
