#!/usr/bin/env bash
# Runs the real desktop program under Xvfb, works it from the keyboard as a
# user would, and saves PNGs of the screen in out/screenshots/:
#   1-opened.png      the bundled floor plan just opened, 1:1
#   2-vectors.png     its One-Touch lines read back with Open Vector (Ctrl+I)
#   3-zoomed.png      end nodes and ids on, zoomed in (Ctrl+D) at the centre
#   4-zoomed-more.png one step further in
#   5-selected.png    after One-Touch (F10), three lines picked with Select by
#                     Cursor and shown in red
#   6-clean.png       One-Touch again with clean lines (One-Touch option:
#                     One line per stroke), end nodes on
#   7-clean-zoomed.png the same zoomed in two steps at the centre
#   8-zoomed-out.png  the processed scan and its lines zoomed out (Ctrl+A),
#                     where each screen pixel shows the darkest of its block
#   dialog-*.png      each dialog of the Image, Vector, View and Help menus,
#                     the One-Touch option with clean lines chosen and the
#                     line quality report of the clean trace
# The lines of 2 come from orvane-cli; the rest is the program's own work.
#
#   tools/screenshots.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
cd "$(dirname "$0")/.."

missing=()
for tool in xvfb-run:xvfb xauth:xauth xdotool:xdotool import:imagemagick; do
  command -v "${tool%%:*}" >/dev/null || missing+=("${tool##*:}")
done
if [ ${#missing[@]} -gt 0 ]; then
  as_root=(); [ "$(id -u)" -ne 0 ] && as_root=(sudo)
  "${as_root[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

out=out/screenshots
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/src/cli/orvane-cli" onetouch samples/floor_plan.bmp -o "$work/floor_plan.arc" -q

cat > "$work/session.sh" <<SESSION
set -euo pipefail
export XDG_CONFIG_HOME="$work/config"
"$build/src/app/orvane" --no-splash samples/floor_plan.bmp &
program=\$!
trap 'kill \$program 2>/dev/null || true' EXIT
for i in \$(seq 50); do
  window=\$(xdotool search --name '^Varo' 2>/dev/null | head -1 || true)
  [ -n "\$window" ] && break
  sleep 0.2
done
sleep 1.5
xdotool windowfocus --sync "\$window"
keys() { xdotool key --clearmodifiers "\$@"; sleep 0.8; }
shot() { import -window root "$out/\$1.png"; echo "saved $out/\$1.png"; }
keys alt+w t                      # Window > Tile: the image fills the window area
shot 1-opened
keys ctrl+i                       # Open Vector
xdotool type --delay 20 "$work/floor_plan.arc"
keys Return
xdotool windowfocus --sync "\$window"  # back from the file dialog (no window manager here)
shot 2-vectors
keys alt+v l                      # View > Line End Nodes
keys alt+v i                      # View > Line IDs
keys ctrl+d                       # Zoom In (two levels: 3)
shot 3-zoomed
keys ctrl+d
shot 4-zoomed-more
keys alt+v l                      # end nodes and ids off again
keys alt+v i
keys ctrl+r                       # Reset (1:1)
keys F10                          # One-Touch
sleep 2
xdotool windowfocus --sync "\$window"
keys alt+t Down Down Down Down Down Return   # Vector > Select by Cursor
for point in "330 250" "700 480" "1000 600"; do
  xdotool mousemove \$point click 1
  sleep 0.5
done
xdotool mousemove 1500 950
shot 5-selected
dialog() { keys "\$@"; shot "dialog-\$name"; keys Escape; xdotool windowfocus --sync "\$window"; }
name=threshold dialog alt+i t
name=canny dialog alt+i c
name=image-information dialog alt+i i
name=one-touch dialog alt+t s
name=polyline-reduction dialog alt+t p
name=straight-line dialog alt+t t
name=vector-information dialog alt+t i
name=lines-filter dialog alt+v Up Up Return
name=about dialog alt+h a
keys alt+t s                      # One-Touch option: one line per stroke
keys alt+s
shot dialog-one-touch-clean
keys Return
xdotool windowfocus --sync "\$window"
keys F10
sleep 2
xdotool windowfocus --sync "\$window"
keys alt+v l                      # end nodes on
xdotool mousemove 1500 950
shot 6-clean
keys ctrl+d
shot 7-clean-zoomed
keys alt+v l
keys ctrl+r
keys ctrl+a                       # Zoom Out (1/2)
shot 8-zoomed-out
keys ctrl+r
name=line-quality-report dialog alt+v q
name=vector-output dialog alt+t u
SESSION
xvfb-run -a -s "-screen 0 1600x1000x24" bash "$work/session.sh"
