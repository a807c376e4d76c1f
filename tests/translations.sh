#!/usr/bin/env bash
# Every text marked for translation has its English translation, and the translation file holds
# no text the program no longer has: lupdate over the sources must leave nothing unfinished.
#   translations.sh LUPDATE SOURCE-DIR
set -euo pipefail
lupdate=$1
source=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$source/translations/zrt48210_en.ts" "$work/check.ts"
folders=()
for folder in app ui cli link settings file errors unit station stationwindow; do
  [ -d "$source/$folder" ] && folders+=("$folder")
done
(cd "$source" && "$lupdate" -I . -source-language ja -target-language en -no-obsolete \
   -locations none "${folders[@]}" -ts "$work/check.ts" > "$work/out" 2>&1) \
  || { cat "$work/out"; exit 1; }
unfinished=$(grep -c 'type="unfinished"' "$work/check.ts" || true)
if [ "$unfinished" -ne 0 ]; then
  echo "texts without an English translation in translations/zrt48210_en.ts:"
  grep -B2 'type="unfinished"' "$work/check.ts" | grep '<source>'
  exit 1
fi
if grep -q "obsolete" "$work/out"; then
  echo "translations/zrt48210_en.ts holds texts the program no longer has:"
  cat "$work/out"
  exit 1
fi
echo "every text has its English translation"
