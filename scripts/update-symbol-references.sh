#!/usr/bin/env bash
# Renders the reference picture of every symbol of examples/gallery.json, alone on its legend
# sample at 96 and at 192 ppi, into tests/data/symbols/ (NAME@96.png, NAME@192.png), after a
# change to what they show was checked by eye. Old references of symbols that are gone are removed.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/build.sh release
rm -rf tests/data/symbols
mkdir -p tests/data/symbols
SYMBOLIZE_UPDATE_REFERENCES=1 ./build/tool_tests --gtest_filter='Resolutions/SymbolReferenceTest.*' >/dev/null
echo "wrote $(ls tests/data/symbols | wc -l) pictures into tests/data/symbols"
