#!/bin/bash
# Pictures that must not change: frames at fixed music times, each a short
# run from a fresh start (so the trail, the random generator and the state
# after start-up show), compared by the SHA-256 of their PNG files, drawn on
# the reference path (--reference, the layered effects as designed) and on
# the fast path. The two differ only where atom's shells show (178000 and
# 178020), within the tolerance that tests/fast_path_test.cpp checks. A change
# meant to keep the picture must keep these; a change meant to alter it
# updates them (print the new values with UPDATE=1).
set -uo pipefail
BUILD=$(cd "$1" && pwd)
CONTENT=${MVRK_TEST_CONTENT:-}
if [ -z "$CONTENT" ] || [ ! -d "$CONTENT/data" ]; then
  echo "no generated content in MVRK_TEST_CONTENT; run through ctest"
  exit 77
fi
OUT=$(mktemp -d /tmp/mvrk_frames_XXXXXX)
trap 'rm -rf "$OUT"' EXIT
fail() { echo "FAIL: $*"; exit 1; }

# from|to|what the run shows
RUNS=(
  "30000|30020|hum, the figures"
  "66000|66020|balance, the figure over the caption"
  "84103|84163|the cut from fall to water"
  "132214|132234|the opening flash of rush"
  "150000|150020|capped, the cap turning"
  "166000|166020|jump, dark water"
  "178000|178020|atom, quake and flash"
  "190000|190020|outro, water and wobblers"
  "210000|210020|last, corridor over the world"
  "220000|220020|movrik"
)
for path in reference fast; do
  mkdir -p "$OUT/$path"
  flags=()
  [ "$path" = reference ] && flags=(--reference)
  for run in "${RUNS[@]}"; do
    IFS='|' read -r from to what <<< "$run"
    "$BUILD/mvrk_capture" --data "$CONTENT" --from "$from" --to "$to" --step 20 "${flags[@]}" \
      --frames "$OUT/$path" 2> "$OUT/log" || { cat "$OUT/log"; fail "capture of $what ($path path)"; }
  done
done

reference=$(cd "$OUT/reference" && sha256sum ./*.png | sed 's| \./| |')
fast=$(cd "$OUT/fast" && sha256sum ./*.png | sed 's| \./| |')
if [ -n "${UPDATE:-}" ]; then
  echo "reference path:"
  echo "$reference"
  echo "fast path:"
  echo "$fast"
  exit 0
fi
expected=$(cat <<'HASHES'
171175dce7ef96f131421e90f806e048f99bc68ac2cea0631cdc9b39444d6a92  030000.png
2bd4a625b528fb0ba74059512c178dcd8fd52a9df521a1afd4233b14a6982ffa  030020.png
b2471290945912dc4c3430727d8545193aacd1435a9c29a06be48def60462522  066000.png
7a1adf74ba085f18110352acd823e226ce37fae89a2a29e51b084fcb468481ba  066020.png
f6ab28e1d4b3f995d6bac66f38cbbf90cf1125c62c59bfefcfa7511f5df55263  084103.png
5482a8fbb13db6439cfa8e84eb589d04729d70090fa04a95de17f21d5f0f9cdd  084123.png
ca66e318a5221fdb3865542004c95d97b0330bbefd7c85bc163582d71838c13f  084143.png
1c23bf959dfc1431cae755f982397456b7901437e916106f8181c20bff7e39a0  084163.png
c03b20bfd5061e630e7639edbfa2288d769fa32a108c56a1149d7f11a47ba8b8  132214.png
4220ef02a56b7069a757e0336b4fae8a0312a3cd3da578b6e65d94d11743de7a  132234.png
7dc1347cca60e0ee91570db96e1a5cf85f91afad3760193c538d473243702489  150000.png
ec957ddc6b358bde99c62f9a6948293082f1ee1cbccf40b381c0a4052cf01e2d  150020.png
1c693839a19a22dd756a6ec36bfa02c27d2cf025ad587e7c784f8119b5caef09  166000.png
6f1cf9d915181a3cb6410503bcbedc9face90d713ee4fa0e72524b0b87484ccd  166020.png
c3423481cd11d9dcd71caab5040893ccab7582617ef7984740a6847d7f11e226  178000.png
f69b8239a88ecdce0c03172960c13ceae07a2a7725a900cc8dff4fafe7e3b768  178020.png
3dadaccfafbc2d63e9fbf9a63009f9ec8d22f64d9acb0abf331a0b7f73b992af  190000.png
3219a9ae068b0edcdaa425a25ccfed66a17018bc89a2c82891a04048ba538b83  190020.png
8475edd0a35b5a6f846c0c1de8cb00ff60f2e83415ae8e8d1c7376658d98d1fb  210000.png
431e1c480acc8e0d205e4a2aa4572fd2613b268bcd5082dcabc93539cbf5233f  210020.png
9f514e41a38ca1fbb0ac49bda65f62fc37afab7ce89e835041cb36891dd1134e  220000.png
579c31d9e016da8401c57fbd8aae10fd53c6c690e2258a8d9a902ece997ade24  220020.png
HASHES
)
diff <(echo "$expected") <(echo "$reference") > "$OUT/diff" ||
  { cat "$OUT/diff"; fail "frames of the reference path changed (< expected, > now)"; }
# The fast path's frames: the same but for the two of atom.
expected_fast=$(echo "$expected" | sed \
  -e 's|^c3423481cd11d9dcd71caab5040893ccab7582617ef7984740a6847d7f11e226  178000.png|9da1a178c0b69c534d1dab66d5684e55e8559f797d2d7f27cd31b9b7d5b795d5  178000.png|' \
  -e 's|^f69b8239a88ecdce0c03172960c13ceae07a2a7725a900cc8dff4fafe7e3b768  178020.png|4e444aed987592ae62fa9eef318ce83594a2d3de65e651a9a06c15ed8da62563  178020.png|')
diff <(echo "$expected_fast") <(echo "$fast") > "$OUT/diff" ||
  { cat "$OUT/diff"; fail "frames of the fast path changed (< expected, > now)"; }
echo "$(echo "$reference" | wc -l) frames unchanged on each path"
