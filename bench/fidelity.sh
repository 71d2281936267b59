#!/usr/bin/env bash
# How faithfully One-Touch traces the strokes that were drawn: the
# realistic 4000 x 3000 drawing (24-bit, seed 1) and every feature scene,
# traced with each thinning method and, where orvane-cli has them, each
# topology (split: a line ends at every junction; clean: one line per drawn
# stroke). fidelity_score compares the ARC output with the truth the
# generator recorded. Prints one table (recall, precision, lines and pieces
# per stroke, pieces per stroke some line comes near, stubs, wall seconds;
# realistic runs are the median of eleven),
# the realistic drawing by kind of stroke, its recall apart from other
# strokes' ink and where inks touch, and the targets of the clean
# topology with PASS or FAIL. The rows "truth" score the truth itself,
# traced perfectly: the best any tracer can do (the realistic drawing's
# lettering has strokes shorter than a stub). Exits 0 whatever the
# figures: it is a report.
#
#   bench/fidelity.sh [BUILD_DIR]
set -euo pipefail
build=${1:-build}
cli=$build/src/cli/orvane-cli
make_drawing=$build/bench/make_drawing
score=$build/bench/fidelity_score
for program in "$cli" "$make_drawing" "$score"; do
  [ -x "$program" ] || { echo "fidelity: $program is missing (build it first)" >&2; exit 1; }
done
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

methods=(zhang-suen stentiford)
if "$cli" onetouch --help 2>&1 | grep -c topology >/dev/null; then
  topologies=(split clean)
else
  topologies=(split)
  echo "fidelity: this orvane-cli has no --topology; tracing with its only (split) topology" >&2
fi

"$make_drawing" "$work/realistic.bmp" 4000 3000 1 --realistic --truth "$work/realistic.json"
drawings=(realistic)
for scene in $("$make_drawing" --list-scenes); do
  "$make_drawing" "$work/$scene.bmp" --scene "$scene" --truth "$work/$scene.json"
  drawings+=("$scene")
done

# Traces one drawing once; appends "drawing method topology seconds" to
# times.txt, or marks the combination failed.
trace() {
  local drawing=$1 method=$2 topology=$3 name=$1-$2-$3
  [ -e "$work/$name.failed" ] && return
  local args=(onetouch "$work/$drawing.bmp" -o "$work/$name.arc" --method "$method" -q)
  [ ${#topologies[@]} -gt 1 ] && args+=(--topology "$topology")
  # Wall time to the millisecond: a run of the realistic drawing takes about
  # 0.15 s, too short for the 10 ms steps of time(1).
  local start end
  start=$(date +%s%N)
  if "$cli" "${args[@]}" 2>"$work/err"; then
    end=$(date +%s%N)
    echo "$drawing $method $topology $(awk -v s="$start" -v e="$end" 'BEGIN { printf "%.3f", (e - s) / 1e9 }')" \
      >> "$work/times.txt"
  else
    echo "fidelity: orvane-cli failed on $name:" >&2
    cat "$work/err" >&2
    touch "$work/$name.failed"
  fi
}

# The truth written as an ARC file, the perfect trace, and its score.
perfect() {
  python3 - "$work/$1.json" "$work/$1-truth--.arc" <<'PERFECT'
import json, sys
arc = []
for number, stroke in enumerate(json.load(open(sys.argv[1]))["strokes"], 1):
    points = stroke["points"] + (stroke["points"][:1] if stroke["closed"] else [])
    arc += [str(number)] + [f"{x - 0.5:.2f},{y - 0.5:.2f}" for x, y in points] + ["END"]
open(sys.argv[2], "w").write("\n".join(arc + ["END"]))
PERFECT
  "$score" "$work/$1.json" "$work/$1-truth--.arc" --json "$work/$1-truth--.score" >/dev/null
  echo "$1 truth - -" >> "$work/runs.txt"
}

: > "$work/runs.txt"
: > "$work/times.txt"
for drawing in "${drawings[@]}"; do
  perfect "$drawing"
  # The realistic drawing's times are medians of eleven rounds, each round
  # taking every method and topology in turn, so that a busy moment of the
  # machine falls on all of them alike.
  runs=1
  [ "$drawing" = realistic ] && runs=11
  for _ in $(seq "$runs"); do
    for method in "${methods[@]}"; do
      for topology in "${topologies[@]}"; do
        trace "$drawing" "$method" "$topology"
      done
    done
  done
  for method in "${methods[@]}"; do
    for topology in "${topologies[@]}"; do
      name=$drawing-$method-$topology
      if [ -e "$work/$name.failed" ]; then
        echo "$drawing $method $topology failed" >> "$work/runs.txt"
      else
        "$score" "$work/$drawing.json" "$work/$name.arc" --json "$work/$name.score" >/dev/null
        median=$(awk -v d="$drawing" -v m="$method" -v t="$topology" '$1 == d && $2 == m && $3 == t { print $4 }' \
                   "$work/times.txt" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')
        echo "$drawing $method $topology $median" >> "$work/runs.txt"
      fi
    done
  done
done

python3 - "$work" "${#topologies[@]}" <<'EOF'
import json, os, sys

work, has_clean = sys.argv[1], sys.argv[2] == "2"
rows = []
for entry in open(os.path.join(work, "runs.txt")):
    drawing, method, topology, seconds = entry.split()
    score = None
    path = os.path.join(work, f"{drawing}-{method}-{topology}.score")
    if seconds != "failed" and os.path.exists(path):
        score = json.load(open(path))
    rows.append((drawing, method, topology, seconds, score))

def cells(s):
    return (f"{100 * s['recall']:8.2f} {100 * s['precision']:9.2f} {s['lines_per_stroke']:8.3f} "
            f"{s['pieces_per_stroke']:8.3f} {s['pieces_per_covered_stroke']:8.3f} {100 * s['stubs']:7.2f}")

KEYS = ("recall", "precision", "lines_per_stroke", "pieces_per_stroke", "pieces_per_covered_stroke", "stubs")
def mean(scores):
    return {k: sum(s[k] for s in scores) / len(scores) for k in KEYS}

print(f"{'drawing':<12} {'method':<11} {'topology':<8} {'recall%':>8} {'precis%':>9} {'lines/st':>8} "
      f"{'pieces/st':>8} {'pcs/cov':>8} {'stubs%':>7} {'seconds':>8}")
for drawing, method, topology, seconds, s in rows:
    if s is None:
        print(f"{drawing:<12} {method:<11} {topology:<8} {'failed':>8}")
    else:
        print(f"{drawing:<12} {method:<11} {topology:<8} {cells(s)} {seconds:>8}")
combos = sorted({(m, t) for _, m, t, _, _ in rows if m != "truth"}, key=lambda c: (c[0], c[1] != "split"))
scene_means = {}
for method, topology in combos:
    scenes = [s for d, m, t, _, s in rows if m == method and t == topology and d != "realistic" and s]
    if scenes:
        scene_means[(method, topology)] = (mean(scenes), max(s["pieces_per_stroke"] for s in scenes))
        print(f"{'scene mean':<12} {method:<11} {topology:<8} {cells(scene_means[(method, topology)][0])}")

print("\nrealistic drawing by kind of stroke: strokes, recall %, pieces per stroke")
for drawing, method, topology, _, s in rows:
    if drawing == "realistic" and s:
        kinds = "  ".join(f"{k} {v['strokes']} {100 * v['recall']:.2f} {v['pieces_per_stroke']:.3f}"
                          for k, v in sorted(s["by_kind"].items()))
        print(f"  {method:<11} {topology:<8} {kinds}")

# Where two strokes' ink runs together, thinning leaves one centre line for
# both, and no tracer of centre lines can find each: recall there says how
# much of the drawing is drawn that way, not how well it is traced.
apart = next((s for d, m, t, _, s in rows if d == "realistic" and s and "apart_share" in s), None)
if apart:
    print(f"\nrealistic drawing, recall where no other stroke's ink touches the stroke "
          f"({100 * apart['apart_share']:.1f} % of the drawn length) and where it does")
    for drawing, method, topology, _, s in rows:
        if drawing == "realistic" and s and method != "truth":
            print(f"  {method:<11} {topology:<8} apart {100 * s['recall_apart']:6.2f} %   "
                  f"touching {100 * s['recall_touching']:6.2f} %")

topology = "clean" if has_clean else "split"
print()
if has_clean:
    print("targets of the clean topology")
else:
    print("this orvane-cli has no clean topology; the targets of the clean topology, "
          "checked on split only for reference")
TARGETS = (("lines per stroke", "lines_per_stroke", "<=", 1.0, 1),
           ("pieces per stroke", "pieces_per_stroke", "<=", 1.05, 1),
           ("stubs", "stubs", "<=", 0.02, 100),
           ("recall", "recall", ">=", 0.995, 100),
           ("precision", "precision", ">=", 0.995, 100))
checked = 0
def check(label, value, op, limit, scale):
    global checked
    checked += 1
    ok = value <= limit if op == "<=" else value >= limit
    unit = " %" if scale == 100 else ""
    print(f"  {'PASS' if ok else 'FAIL'}  {label:<44} {value * scale:9.3f}{unit} {op} {limit * scale:g}{unit}")
seconds = {(d, m, t): float(x) for d, m, t, x, s in rows if x not in ("failed", "-")}
for method in sorted({m for _, m, _, _, _ in rows if m != "truth"}):
    print(f" {method}")
    checked = 0
    realistic = next((s for d, m, t, _, s in rows if d == "realistic" and m == method and t == topology and s), None)
    for label, key, op, limit, scale in TARGETS:
        if realistic:
            check(f"{label}, realistic drawing", realistic[key], op, limit, scale)
        if (method, topology) in scene_means:
            check(f"{label}, mean of the scenes", scene_means[(method, topology)][0][key], op, limit, scale)
    if realistic and "stubs_undrawn" in realistic:
        check("stubs not drawn that short, realistic drawing", realistic["stubs_undrawn"], "<=", 0.02, 100)
    if (method, topology) in scene_means:
        check("pieces per stroke, worst scene", scene_means[(method, topology)][1], "<=", 1.5, 1)
    split_s, clean_s = seconds.get(("realistic", method, "split")), seconds.get(("realistic", method, "clean"))
    if has_clean and split_s and clean_s:
        check("time clean / split, realistic drawing", clean_s / split_s, "<=", 1.25, 1)
    if not checked:
        print(f"  FAIL  no {topology} run of {method} succeeded")
EOF
