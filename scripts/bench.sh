#!/bin/sh
# Builds the release preset, runs the ray evaluation benchmarks and writes
# bench/RESULTS.md.
#   scripts/bench.sh [build-dir]     (default: build/release)
# BENCH_MIN_TIME (seconds per benchmark, default 0.3) and BENCH_REPETITIONS
# (default 3; the best repetition counts) tune the run. Repetitions of all
# benchmarks are interleaved in random order, so a slow spell of the machine
# does not fall on one camera alone. With valgrind installed, the
# instructions per ray of every path are counted as well (callgrind, a few
# seconds).
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
min_time=${BENCH_MIN_TIME:-0.3}
reps=${BENCH_REPETITIONS:-3}

cd "$root"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset release -B "$build"
fi
cmake --build "$build" -j"$(nproc)" --target lentara_bench

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
load_before=$(cut -d' ' -f1-3 /proc/loadavg)
set +e
"$build/bench/lentara_bench" --benchmark_min_time="$min_time" --benchmark_repetitions="$reps" \
    --benchmark_enable_random_interleaving=true \
    --benchmark_out="$out/results.json" --benchmark_out_format=json >"$out/stdout.txt"
status=$?
set -e
load_after=$(cut -d' ' -f1-3 /proc/loadavg)
if [ ! -s "$out/results.json" ]; then
    echo "benchmark run failed (status $status)" >&2
    exit 1
fi

# Instructions per ray of every path, counted by callgrind (one dump per path
# and stream); skipped without valgrind.
mkdir "$out/cg"
if command -v valgrind >/dev/null 2>&1; then
    if ! valgrind --tool=callgrind --collect-atstart=no --callgrind-out-file="$out/cg/out" \
        "$build/bench/lentara_bench" --instructions >"$out/cg.log" 2>&1; then
        echo "instruction count failed; see below" >&2
        tail -5 "$out/cg.log" >&2
        rm -f "$out"/cg/*
    fi
fi

cpu=$(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //')
cores=$(nproc)
cxx=$(sed -n 's/^CMAKE_CXX_COMPILER:[A-Z]*=//p' "$build/CMakeCache.txt")
compiler=$("$cxx" --version | head -1)
# The flags a camera source of the module was compiled with, as the build ran them.
flags=$(python3 - "$build/compile_commands.json" <<'PY'
import json, shlex, sys
for e in json.load(open(sys.argv[1])):
    if e["file"].endswith("cameras/perspective/perspective.cpp"):
        args = shlex.split(e["command"])[1:]
        keep, skip = [], False
        for a in args:
            if skip:
                skip = False
            elif a in ("-o", "-c"):
                skip = True
            elif not a.startswith("-I"):
                keep.append(a)
        print(" ".join(keep) + " (module)")
        break
PY
)

python3 - "$out/results.json" "$out/stdout.txt" "$root/bench/RESULTS.md" "$out/cg" <<PY
import glob, json, os, sys, re
res = json.load(open(sys.argv[1]))
# Instructions per ray from the callgrind dumps: "desc: Trigger: Client Request: <name> <rays>" and the total.
instr = {}
for path in glob.glob(os.path.join(sys.argv[4], "out.*")):
    desc, total = None, None
    for line in open(path):
        if line.startswith("desc: Trigger: Client Request: "):
            desc = line.split(": ", 3)[3].split()
        elif line.startswith(("summary:", "totals:")) and total is None:
            total = int(line.split()[1])
    if desc and len(desc) == 2 and total is not None:
        instr[desc[0]] = total / int(desc[1])
verify = [l.split() for l in open(sys.argv[2]) if l.startswith("VERIFY ")]
best = {}     # wall-clock throughput, rays/s (the two-thread table)
best_cpu = {} # CPU ns per ray of the benchmark thread (the single-thread tables)
unit = {"ns": 1.0, "us": 1e3, "ms": 1e6, "s": 1e9}
for b in res["benchmarks"]:
    if b.get("run_type", "iteration") != "iteration" or "items_per_second" not in b:
        continue
    name = re.sub(r"/real_time", "", b.get("run_name", b["name"]))
    name = re.sub(r"/repeats:\d+", "", name)
    best[name] = max(best.get(name, 0.0), b["items_per_second"])
    scale = unit.get(b.get("time_unit", "ns"), 1.0)
    rays = b["items_per_second"] * b["real_time"] * scale * 1e-9  # rays per iteration
    if rays > 0:
        cpu_ns = b["cpu_time"] * scale / rays
        best_cpu[name] = min(best_cpu.get(name, cpu_ns), cpu_ns)

def ns(name):
    return best_cpu.get(name)

def f(x, d=1):
    return "n/a" if x is None else f"{x:.{d}f}"

projection = [v[1] for v in verify]
lines = []
w = lines.append
w("# Ray evaluation benchmarks")
w("")
w("Written by \`scripts/bench.sh\`; numbers are the best of $reps repetitions of at least $min_time s each.")
w("Single-thread ns per ray are CPU time of the benchmark thread per ray, so time the thread spends preempted by")
w("other jobs on the machine does not count; the two-thread table is wall-clock throughput.")
w("")
w("- Machine: $cpu, $cores cores (nproc). The machine is shared with other engineers' builds and tests;")
w("  load average $load_before before the run and $load_after after it, so absolute numbers are noisy and the")
w("  two-thread scaling in particular is limited by whatever else ran at the time.")
w("- Compiler: $compiler")
w("- Flags: \`$flags\`")
w("- Google Benchmark: Debian libbenchmark-dev (the package is built in debug mode; it only times).")
w("- Stream: the film points of a 1920 x 1080 frame in scanline order, 4 rows per iteration; lens samples on")
w("  the unit disk; *fixed* = exposure fraction 0.375 for every ray, *varying* = a new fraction per ray.")
w("  Every camera is on a moving, turning scene camera (two motion samples per frame).")
w("- Module: the handler record's evaluate pointer with the host's access record. Reference: the same projection")
w("  as a plain inline function (fixed stream: pose computed once; varying stream: the pose interpolated per ray).")
w("")
w("## Projection cameras: ns per ray, module / reference (target <= 1.25)")
w("")
w("| camera | module fixed | reference fixed | ratio | module varying | reference varying | ratio | max rel. difference |")
w("|---|---:|---:|---:|---:|---:|---:|---:|")
vmap = {v[1]: v[2] for v in verify}
for c in projection:
    mf, rf = ns(f"module/{c}/fixed/threads:1"), ns(f"reference/{c}/fixed/threads:1")
    mv, rv = ns(f"module/{c}/varying/threads:1"), ns(f"reference/{c}/varying/threads:1")
    def ratio(a, b):
        if a is None or b is None: return "n/a"
        r = a / b
        return f"{r:.2f}" + ("" if r <= 1.25 else " **miss**")
    w(f"| {c} | {f(mf)} | {f(rf)} | {ratio(mf, rf)} | {f(mv)} | {f(rv)} | {ratio(mv, rv)} | {vmap.get(c)} |")
w("")
w("The last column is the largest relative difference between the module's rays and the reference kernel's")
w("over a sample of the frame (both streams); the Perspective family computes in single precision, so its")
w("reference follows the same single-precision steps. Fisheye takes the cosine and sine of the film angle as")
w("x / r and y / r where the reference goes through atan2, so that pair differs in the last bits. The three")
w("Perspective types run the same code per ray, so the spread of their rows shows how noisy the run was.")
w("")
w("## Composite cameras: overhead over the delegated camera (target < 10 ns)")
w("")
w("Every tile picks a moving Panoramic scene camera. *direct*: that camera's own instance called through its")
w("handler record. *service*: the same camera through the stand-in host's camera evaluation service, which is the")
w("path every composite takes, measured while that composite exists. The stand-in's service finds the evaluator")
w("through a per-thread ID cache, counts the call in a per-thread cache line, writes the identity filter and calls")
w("the tile camera's instance, with no other call on the way; that cost (a few ns) is the host's, not the")
w("module's. *overhead over service* is the module's own dispatch: finding the tile, moving the film point,")
w("checking the input and the returned ray, and counting the thread's nested tile evaluations (the guard against")
w("composites that show each other)")
w("(Overscan: also reading its three envelopes at the ray's time through the host's vparm service, per ray;")
w("the stand-in answers those from each envelope's last published curve, without a lock).")
w("Beyond its own instructions, a composite costs the delegated camera some of its speed: the delegated")
w("camera's long chains of dependent arithmetic overlap less from one ray to the next when each ray carries")
w("the extra instructions of the composite and the host's service in between.")
w("")
w("| camera | stream | composite ns | direct ns | overhead over direct | service ns | overhead over service |")
w("|---|---|---:|---:|---:|---:|---:|")
for c in ["Dual", "4Up", "12Up", "Overscan"]:
    for s in ["fixed", "varying"]:
        cn, dn, sn = ns(f"composite/{c}/{s}/threads:1"), ns(f"target/direct/{s}/threads:1"), ns(f"service/{c}/{s}")
        od = None if cn is None or dn is None else cn - dn
        os_ = None if cn is None or sn is None else cn - sn
        mark = lambda o: "n/a" if o is None else (f"{o:.1f}" + ("" if o < 10 else " **miss**"))
        w(f"| {c} | {s} | {f(cn)} | {f(dn)} | {mark(od)} | {f(sn)} | {mark(os_)} |")
w("")
w("## Instructions per ray")
w("")
if not instr:
    w("Not counted (valgrind is not installed, or the count failed).")
else:
    def timed(name):
        return ns(f"{name}/threads:1") or ns(name)
    deleg = [k for k in instr if k.startswith(("target/", "composite/", "service/"))]
    per = sorted(timed(k) / instr[k] for k in deleg if timed(k) and instr[k] > 0)
    w("Counted by callgrind (\`lentara_bench --instructions\`) over 4 rows of each stream, after one row that is not")
    w("counted: every instruction of the call, the host's included, plus the loop that feeds the samples (the same")
    w("on every path). Unlike the times, the counts do not depend on the load of the machine.")
    if per:
        w("On the paths of the composites' table (direct, service and the composites, one thread) a ray took")
        w("%.3f to %.3f ns per instruction in this run (median %.3f); where that range is narrow, a composite's" % (per[0], per[-1], per[len(per) // 2]))
        w("overhead in ns is about its extra instructions below times that figure.")
    w("")
    w("| camera | module fixed | reference fixed | module varying | reference varying |")
    w("|---|---:|---:|---:|---:|")
    g = lambda k: f(instr.get(k), 0)
    for c in projection:
        w(f"| {c} | {g(f'module/{c}/fixed')} | {g(f'reference/{c}/fixed')} | {g(f'module/{c}/varying')} | {g(f'reference/{c}/varying')} |")
    w("")
    w("| camera | stream | composite | direct | over direct | service | over service |")
    w("|---|---|---:|---:|---:|---:|---:|")
    for c in ["Dual", "4Up", "12Up", "Overscan"]:
        for s in ["fixed", "varying"]:
            cn, dn, sn = instr.get(f"composite/{c}/{s}"), instr.get(f"target/direct/{s}"), instr.get(f"service/{c}/{s}")
            od = None if cn is None or dn is None else cn - dn
            os_ = None if cn is None or sn is None else cn - sn
            w(f"| {c} | {s} | {f(cn, 0)} | {f(dn, 0)} | {f(od, 0)} | {f(sn, 0)} | {f(os_, 0)} |")
w("")
w("## Two threads on one shared instance (target >= 1.8x)")
w("")
w("*baseline scaling* is the same two-thread run of code that shares nothing and takes no lock: the reference")
w("kernel for a projection camera, the delegated camera called directly for a composite. It shows what the")
w("machine gives two threads at the time (two virtual processors may share one physical core, and kernels")
w("that keep the core's units busy scale less on one); the module's scaling is for comparison with it.")
w("")
w("| camera | stream | 1 thread Mrays/s | 2 threads Mrays/s | scaling | baseline scaling |")
w("|---|---|---:|---:|---:|---:|")
def scaling(name, mark):
    a, b = best.get(f"{name}/threads:1"), best.get(f"{name}/threads:2")
    if not a or not b: return a, b, "n/a"
    return a, b, f"{b / a:.2f}" + ("" if not mark or b / a >= 1.8 else " (below 1.8)")
for kind, names in [("module", projection), ("composite", ["Dual", "4Up", "12Up", "Overscan"])]:
    for c in names:
        for s in ["fixed", "varying"]:
            a, b, sc = scaling(f"{kind}/{c}/{s}", True)
            base = f"reference/{c}/{s}" if kind == "module" else f"target/direct/{s}"
            _, _, bs = scaling(base, False)
            w(f"| {c} | {s} | {f(a and a / 1e6, 2)} | {f(b and b / 1e6, 2)} | {sc} | {bs} |")
w("")
# Keep the reprojection section that scripts/bench-reproject.sh writes.
try:
    previous = open(sys.argv[3]).read()
except OSError:
    previous = ""
cut = previous.find("## Reprojection")
open(sys.argv[3], "w").write("\n".join(lines) + ("\n" + previous[cut:] if cut >= 0 else ""))
PY
echo "wrote $root/bench/RESULTS.md"
exit "$status"
