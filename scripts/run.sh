#!/bin/sh
# Installs what is missing, builds Quillbox, and opens it on the bundled
# samples. Without a display it shows the samples through qbtool instead.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
BIN=build/release/bin
# Quillbox keeps its settings through AVOLE: register the library just built.
"$BIN/regsvr" build/release/lib/libavole.so >/dev/null

if [ -n "${DISPLAY:-}" ] || [ -n "${WAYLAND_DISPLAY:-}" ]; then
  exec "$BIN/quillbox" "$PWD/samples"
fi

echo "There is no display (neither DISPLAY nor WAYLAND_DISPLAY is set), so the"
echo "window cannot open. Here are the samples through qbtool instead."
echo
echo "The text files of samples/, by title:"
"$BIN/qbtool" list samples
first=$("$BIN/qbtool" list samples | head -n1 | cut -f2)
echo
echo "The entries of $first (line, start byte, length, tag, title):"
"$BIN/qbtool" entries "samples/$first"
echo
echo "The tags of $first:"
"$BIN/qbtool" tags "samples/$first"
echo
echo "The body of its first entry:"
"$BIN/qbtool" show "samples/$first" 0
