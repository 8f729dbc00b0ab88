#!/usr/bin/env python3
"""Fails when the product's #include lines break its layering.

Reads every C/C++ file of the product (not tests, benchmarks or fuzz targets), maps
each quoted include to the folder it names, and reports:
  - a cycle between folders;
  - the seam, the framework, the window model or a backend including application code
    or a program; the window model including a backend;
  - an include from a folder to one its layer may not use;
  - the product's name inside the framework, which serves any application.
Usage: check-layers.py [ROOT]   (exit 1 on a breach)
"""
import os
import re
import sys

# Folder -> layer. Longest prefix wins.
FOLDERS = {
    "platform": "seam",
    "res": "seam",
    "platform/framework": "framework",
    "engine": "app",
    "radio": "app",
    "config": "app",
    "mainframe": "app",
    "platform/model": "model",
    "platform/regfile": "regfile",
    "platform/trace": "trace",
    "platform/sim": "backend",
    "platform/win32": "backend",
    "platform/linux": "backend",
    "apps/velk": "program",
    "apps/velk-sim": "program",
    "apps/velk-linux": "program",
}
# Which layers each layer may include.
MAY_USE = {
    "seam": {"seam"},
    "framework": {"seam", "framework"},
    "app": {"seam", "framework", "app"},
    "model": {"seam", "model"},
    "regfile": {"seam", "regfile"},
    "trace": {"seam", "trace"},
    "backend": {"seam", "model", "regfile", "trace"},
    "program": {"seam", "framework", "app", "model", "regfile", "trace", "backend", "program"},
}
PRODUCT_DIRS = ["platform", "res", "engine", "radio", "config", "mainframe", "apps"]
INCLUDE = re.compile(r'^\s*#\s*include\s+"([^"]+)"')


def folder_of(path):
    parts = path.split("/")
    for n in range(len(parts) - 1, 0, -1):
        candidate = "/".join(parts[:n])
        if candidate in FOLDERS:
            return candidate
    return None


def product_files(root):
    for top in PRODUCT_DIRS:
        for dirpath, _, names in os.walk(os.path.join(root, top)):
            for name in names:
                if name.endswith((".h", ".cpp", ".c", ".hpp")):
                    full = os.path.join(dirpath, name)
                    yield os.path.relpath(full, root).replace(os.sep, "/")


def find_cycles(edges):
    """Strongly connected components of more than one folder (Tarjan)."""
    index, low, stack, on_stack, result = {}, {}, [], set(), []
    counter = [0]

    def visit(v):
        index[v] = low[v] = counter[0]
        counter[0] += 1
        stack.append(v)
        on_stack.add(v)
        for w in sorted(edges.get(v, ())):
            if w not in index:
                visit(w)
                low[v] = min(low[v], low[w])
            elif w in on_stack:
                low[v] = min(low[v], index[w])
        if low[v] == index[v]:
            component = []
            while True:
                w = stack.pop()
                on_stack.discard(w)
                component.append(w)
                if w == v:
                    break
            if len(component) > 1:
                result.append(sorted(component))

    for v in sorted(edges):
        if v not in index:
            visit(v)
    return result


def main():
    root = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else
                           os.path.join(os.path.dirname(__file__), ".."))
    breaches = []
    edges = {}
    where = {}
    for path in product_files(root):
        src = folder_of(path)
        if src is None:
            continue
        with open(os.path.join(root, path), encoding="utf-8", errors="replace") as f:
            for lineno, line in enumerate(f, 1):
                if FOLDERS[src] == "framework" and re.search(r"\bVelk\b|\bVELK", line):
                    breaches.append(f"{path}:{lineno}: the framework names the product")
                m = INCLUDE.match(line)
                if not m:
                    continue
                dst = folder_of(m.group(1))
                if dst is None or dst == src:
                    continue
                edges.setdefault(src, set()).add(dst)
                where.setdefault((src, dst), f"{path}:{lineno}")
                if FOLDERS[dst] not in MAY_USE[FOLDERS[src]]:
                    breaches.append(f"{path}:{lineno}: {src}/ ({FOLDERS[src]}) may not include "
                                    f"{m.group(1)} ({FOLDERS[dst]})")
    for cycle in find_cycles(edges):
        links = [where[(a, b)] for a in cycle for b in cycle if (a, b) in where]
        breaches.append("cycle between folders " + " <-> ".join(cycle) + ": " + ", ".join(links))
    for b in breaches:
        print(b)
    if breaches:
        print(f"layers: {len(breaches)} breach(es)")
        return 1
    print(f"layers: ok ({sum(len(v) for v in edges.values())} folder arrows, no cycle)")
    return 0


if __name__ == "__main__":
    sys.exit(main())
