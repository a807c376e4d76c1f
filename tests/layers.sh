#!/usr/bin/env bash
# Each folder is one library on a floor of its own: it includes its own folder and folders on
# lower floors, never one beside it or above. Front ends stand on the engine; the engine never
# reaches a widget or a front end.
#   layers.sh SOURCE-DIR
set -euo pipefail
cd "$1"

# folder:floor, lowest first; folders on one floor may not include each other.
floors="link:0 errors:0 options:0 settings:1 file:2 unit:3 station:4 ui:5"
floors+=" app:6 stationwindow:6 cli:6"

floor_of() {
  local entry
  for entry in $floors; do
    if [ "${entry%%:*}" = "$1" ]; then echo "${entry##*:}"; return; fi
  done
  echo ""
}

status=0
for entry in $floors; do
  folder=${entry%%:*}
  own=${entry##*:}
  [ -d "$folder" ] || continue
  while IFS=: read -r file _ include; do
    target=$(sed -E 's|.*#include "([a-z]+)/.*|\1|' <<<"$include")
    [ "$target" = "$folder" ] && continue
    floor=$(floor_of "$target")
    [ -z "$floor" ] && continue  # not one of ours (a test fake, a tool)
    if [ "$floor" -ge "$own" ]; then
      echo "$file includes $target/, which is not below $folder/: $include"
      status=1
    fi
  done < <(grep -Hn '^#include "[a-z]*/' "$folder"/*.h "$folder"/*.cpp 2>/dev/null || true)
done
# The engine builds without widgets: no Qt Widgets or Gui header below ui/.
for folder in link errors options settings file unit station cli; do
  if grep -Hn '^#include <Q\(Widget\|Application\|Painter\|Font\|Pixmap\|Gui\)' \
       "$folder"/*.h "$folder"/*.cpp 2>/dev/null; then
    echo "$folder/ includes a widget or GUI header"
    status=1
  fi
done
# The engine's test fakes build without widgets too: no window's header or fixture in them.
for file in tests/fakes/{fakechannel,linkrecorder,scratchdisk,heldport}.{h,cpp}; do
  if grep -Hn -e '^#include "\(ui\|app\|stationwindow\)/' \
       -e '^#include "fakes/\(appfixture\|scriptedprompter\|unitonpty\)' \
       -e '^#include <Q\(Widget\|Application\|Painter\|Font\|Pixmap\|Gui\|Label\|Push\)' \
       "$file"; then
    echo "$file, an engine fake, reaches a widget"
    status=1
  fi
done
[ "$status" -eq 0 ] && echo "every folder includes only folders below it"
exit "$status"
