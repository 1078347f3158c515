#!/usr/bin/env bash
# Times build/vek-rettifica end to end on a 24-megapixel photograph into a
# 24-megapixel rectified picture, and the time of each stage (open: the
# photograph and the tables; estimate; rectify; write: picture, report and
# world file), best of three runs.
#
#   bench/rettifica_bench.sh            photograph and output as TIFF
#   FORMATO=png bench/rettifica_bench.sh    (bmp, png or tif)
#
# The photograph is the sample facade seen square-on, 6000 x 4000 pixels at
# 3.5 mm a pixel, written by vek-rettifica itself from samples/; its image
# table follows from the object table by that scale. Work files go to /tmp.
set -euo pipefail
cd "$(dirname "$0")/.."
tool=build/vek-rettifica
fmt=${FORMATO:-tif}
work=/tmp/vek_rettifica_bench
[ -x "$tool" ] || { echo "build it first: cmake --build build --target vek-rettifica"; exit 1; }
mkdir -p "$work"

# 6000 x 4000 pixels of 3.5 mm: X from -0.5 to 20.5 m, Y from 13.5 down to -0.5 m.
photo="$work/foto.$fmt"
if [ ! -s "$photo" ]; then
  echo "writing the 24-megapixel photograph $photo ..."
  "$tool" --foto samples/facciata.jpg --immagine samples/facciata.imm \
    --oggetto samples/facciata.ogg --area -0.5 13.5 20.5 -0.5 --pixel 0.0035 \
    -o "$photo" >/dev/null
fi
awk '{ printf "%s  %.0f  %.0f\r\n", $1, ($2 + 0.5) / 0.0035, (13.5 - $3) / 0.0035 }' \
  samples/facciata.ogg >"$work/foto.imm"

# The facade's area 1 .. 19 x 1 .. 11 m at 2.74 mm a pixel: about 6570 x 3650.
best=""
for run in 1 2 3; do
  start=$(date +%s%N)
  VEK_TEMPI=1 "$tool" --foto "$photo" --immagine "$work/foto.imm" --oggetto samples/facciata.ogg \
    --area 1 11 19 1 --pixel 0.00274 -o "$work/ric.$fmt" >"$work/out.txt" 2>"$work/tempi.txt"
  total=$(( ($(date +%s%N) - start) / 1000000 ))
  if [ -z "$best" ] || [ "$total" -lt "$best" ]; then
    best=$total
    cp "$work/tempi.txt" "$work/tempi_migliori.txt"
  fi
done
grep "dimensione immagine" "$work/out.txt"
echo "photograph: $(wc -c <"$photo") bytes ($fmt); rectified: $(wc -c <"$work/ric.$fmt") bytes"
echo "best of 3 runs, stage by stage:"
sed 's/^/  /' "$work/tempi_migliori.txt"
echo "  end to end (process start to exit): $best ms"
