#!/usr/bin/env bash
# Takes the pictures of the chart in Qt Designer that docs/host-guide.md
# shows: installs the build into a temporary prefix, starts Designer with the
# chart's plugin on a private Xvfb display, drops the chart from the widget
# box onto an empty form, sets the grid spacing to 40 and the grid colour to
# (0, 96, 255) in the property editor, and saves the form and the pictures.
# The pointer positions fit Designer 6.4's layout in a 1600 x 1000 window.
# Needs designer-qt6, xvfb, xdotool and imagemagick. Not part of CI.
# Usage: bench/chart/designer_screenshots.sh BUILD_DIR [OUTPUT_DIR]
set -euo pipefail
build=$(cd "$1" && pwd)
out=$(mkdir -p "${2:-.}" && cd "${2:-.}" && pwd)
work=$(mktemp -d)
prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
cat >"$out/form.ui" <<'UI'
<?xml version="1.0" encoding="UTF-8"?>
<ui version="4.0">
 <class>Window</class>
 <widget class="QWidget" name="Window">
  <property name="geometry"><rect><x>0</x><y>0</y><width>520</width><height>340</height></rect></property>
 </widget>
</ui>
UI

display=:$((90 + RANDOM % 100))
Xvfb "$display" -screen 0 1600x1000x24 -nolisten tcp &
xvfb=$!
export DISPLAY=$display
sleep 2
QT_PLUGIN_PATH=$(dirname "$(find "$prefix" -type d -path '*/qt6/plugins/designer')") \
  AUTOMATION_REGISTRY=$work/user.json /usr/lib/qt6/bin/designer "$out/form.ui" &
designer=$!
trap 'kill $designer $xvfb 2>/dev/null; rm -rf "$work"' EXIT
sleep 6

window=$(xdotool search --name '^Qt Designer$' | head -1)
xdotool windowsize "$window" 1600 1000
sleep 1
edit() {  # edit X Y VALUE: a value in the property editor
  xdotool mousemove "$1" "$2" click --repeat 2 1
  sleep 0.4
  xdotool key ctrl+a type "$3"
  xdotool key Return
  sleep 0.4
}
xdotool mousemove 120 91 click 1 type --delay 50 Trazel     # the widget box's filter
xdotool mousemove 55 131                                    # hover: the tool tip
sleep 1.5
import -window root "$work/tooltip.png"
xdotool mousedown 1
for x in 80 120 180 250 300 330; do xdotool mousemove "$x" 150; sleep 0.2; done
xdotool mouseup 1                                           # dropped on the form
sleep 2
xdotool mousemove 1290 386 click 1 type --delay 50 Grid     # the property editor's filter
sleep 1
edit 1325 471 40                                            # GridSpacingX
edit 1325 489 40                                            # GridSpacingY
xdotool mousemove 1098 508 click 1                          # open PGrid
sleep 1
edit 1325 526 0
edit 1325 545 96
edit 1325 563 255
sleep 1
import -window root "$work/designer.png"
xdotool mousemove 500 700 click 1 key ctrl+s                # the form keeps the properties
sleep 1.5

convert "$work/designer.png" -crop 1600x700+0+0 +repage "$out/designer-trazel-chart.png"
convert "$work/tooltip.png" -crop 300x150+0+60 +repage "$out/designer-widget-box.png"
convert "$work/designer.png" -crop 512x250+1088+350 +repage "$out/designer-property-editor.png"
grep -q '<property name="GridSpacingX">' "$out/form.ui" || { echo "designer_screenshots: the form lost GridSpacingX" >&2; exit 1; }
echo "designer_screenshots: pictures and form.ui in $out"
