#!/usr/bin/env bash
# Draws the libraries and what each links as docs/layers.svg, from CMake's own
# graph of the build: the program and the project's libraries as boxes, the
# system libraries they link as ellipses; no tests, benchmarks or fuzzers.
# usage: tools/layers.sh   (needs cmake, python3 and Graphviz: tools/deps.sh test)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cat > "$work/CMakeGraphVizOptions.cmake" <<'OPTIONS'
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
OPTIONS
cmake -S "$root" -B "$work" -DGIFTGUARD_TESTS=OFF -DGIFTGUARD_BENCH=OFF --graphviz="$work/cmake.dot" >/dev/null
# CMake draws every imported target with the files behind it and a legend; the
# picture keeps one node per library, named as a reader knows it, and the links.
python3 - "$work/cmake.dot" "$work/layers.dot" <<'PY'
import re, sys
nodes, edges = {}, []
for line in open(sys.argv[1]):
    m = re.match(r'\s*"(node\d+)" \[ label = "([^"]+)", shape = (\w+) \]', line)
    if m:
        nodes[m.group(1)] = (m.group(2), m.group(3))
        continue
    m = re.match(r'\s*"(node\d+)" -> "(node\d+)"( \[ style = (\w+) \])?', line)
    if m:
        edges.append((m.group(1), m.group(2)))
def name(label):
    label = re.sub(r'^.*/lib([^/]+)\.so$', r'\1', label)
    return re.sub(r'^(PkgConfig|OpenGL)::', '', label).replace('FREETYPE', 'FreeType').replace('FONTCONFIG', 'fontconfig')
ours = {n for n, (label, shape) in nodes.items() if shape in ('octagon', 'egg')}
out = ['digraph layers {', '  rankdir = BT;', '  node [fontname = "Helvetica", fontsize = 12];']
for n, (label, shape) in nodes.items():
    style = 'shape = box, style = "rounded,filled", fillcolor = "#dde8f5"' if n in ours else 'shape = ellipse, color = gray40'
    out.append(f'  "{n}" [label = "{name(label)}", {style}];')
for a, b in edges:
    # What an imported target stands for is the library itself.
    if a not in ours: continue
    out.append(f'  "{b}" -> "{a}" [dir = back];')
used = {b for a, b in edges if a in ours} | ours
out = [l for l in out if not re.match(r'  "(node\d+)" \[', l) or re.match(r'  "(node\d+)"', l).group(1) in used]
out.append('  label = "an arrow points to what a library links";')
out.append('}')
open(sys.argv[2], 'w').write('\n'.join(out) + '\n')
PY
dot -Tsvg "$work/layers.dot" -o "$root/docs/layers.svg"
echo "docs/layers.svg"
