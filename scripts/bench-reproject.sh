#!/bin/sh
# Reprojection benchmark: `lentara reproject` beside ffmpeg's v360 filter
# (installed from Debian when missing) on the same synthetic 4096 x 2048
# OpenEXR panorama, one sample per pixel, OpenEXR half-float out of both,
# wall time with one and two threads; then the peak memory of an 8192 x 4096
# panorama reprojected to 4096 x 3072. Writes the "Reprojection" section of
# bench/RESULTS.md (scripts/bench.sh keeps it when it rewrites the rest).
#   scripts/bench-reproject.sh [build-dir]      (default: build/release)
# BENCH_REPETITIONS (default 5): runs of every case, tool and thread count,
# interleaved in random order so a slow spell of the shared machine falls on
# both tools alike; the best run counts, the median is shown beside it.
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build/release}
reps=${BENCH_REPETITIONS:-5}

if ! command -v ffmpeg >/dev/null 2>&1; then
    echo "bench-reproject: installing ffmpeg"
    DEBIAN_FRONTEND=noninteractive apt-get -o DPkg::Lock::Timeout=600 install -y -qq --no-install-recommends ffmpeg
fi
cd "$root"
if [ ! -f "$build/CMakeCache.txt" ]; then
    cmake --preset release -B "$build"
fi
cmake --build "$build" -j2 --target lentara make_panorama

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$build/bench/make_panorama" "$work/pano4k.exr" 4096x2048
"$build/bench/make_panorama" "$work/pano8k.exr" 8192x4096

python3 - "$build" "$work" "$reps" "$root/bench/RESULTS.md" <<'PY'
import os, random, re, resource, statistics, subprocess, sys, time

build, work, reps, results = sys.argv[1], sys.argv[2], int(sys.argv[3]), sys.argv[4]
lentara = os.path.join(build, "tools", "lentara")
pano4k, pano8k = os.path.join(work, "pano4k.exr"), os.path.join(work, "pano8k.exr")
out = lambda name: os.path.join(work, name)

def lentara_cmd(pano, name, kind, size, threads):
    extra = {"skybox": ["--type", "VantorSkyboxCam"],
             "fisheye": ["--type", "VantorFisheyeCam", "--set", "ZoomFactor=0.15", "--set", "Distortion Power=2"]}[kind]
    return [lentara, "--no-progress", "reproject", pano, "-o", out(name), "--size", size, "--samples", "1",
            "--threads", str(threads)] + extra

def ffmpeg_cmd(pano, name, kind, w, h, threads):
    proj = {"skybox": "c3x2", "fisheye": "fisheye:h_fov=180:v_fov=180"}[kind]
    return ["ffmpeg", "-hide_banner", "-loglevel", "error", "-y", "-threads", str(threads), "-filter_threads",
            str(threads), "-i", pano, "-vf", f"v360=input=e:output={proj}:w={w}:h={h}:interp=line", "-c:v", "exr",
            "-compression", "zip16", "-format", "half", out(name)]

# The skybox cross is 4 x 3 cells of which six are faces; ffmpeg's 3 x 2
# cube map holds the same six 512 x 512 faces without the empty cells.
cases = {
    ("skybox", "lentara"): lambda t: lentara_cmd(pano4k, "sky.exr", "skybox", "2048x1536", t),
    ("skybox", "ffmpeg"): lambda t: ffmpeg_cmd(pano4k, "ff-sky.exr", "skybox", 1536, 1024, t),
    ("fisheye", "lentara"): lambda t: lentara_cmd(pano4k, "fish.exr", "fisheye", "2048x2048", t),
    ("fisheye", "ffmpeg"): lambda t: ffmpeg_cmd(pano4k, "ff-fish.exr", "fisheye", 2048, 2048, t),
}

render = {}  # lentara's own time of its render loop ("... rays in S s")

cpu = {}     # user + system CPU seconds of the command: less sensitive to the machine's load than wall time

def run(cmd, key=None):
    start = time.perf_counter()
    child = subprocess.Popen(cmd, stdout=subprocess.PIPE, text=True)
    stdout = child.stdout.read()
    _, status, usage = os.wait4(child.pid, 0)
    wall = time.perf_counter() - start
    child.returncode = os.waitstatus_to_exitcode(status)
    if child.returncode != 0:
        raise SystemExit(f"failed ({child.returncode}): {' '.join(cmd)}")
    found = re.search(r"rays in ([0-9.]+) s", stdout)
    if key:
        cpu.setdefault(key, []).append(usage.ru_utime + usage.ru_stime)
        if found:
            render.setdefault(key, []).append(float(found.group(1)))
    return wall

def load():
    return open("/proc/loadavg").read().split()[:3]

load_before = load()
times = {}
for key in cases:  # one unmeasured run each: files in the page cache, libraries loaded
    run(cases[key](2))
for _ in range(reps):
    order = [(key, t) for key in cases for t in (1, 2)]
    random.shuffle(order)
    for key, t in order:
        times.setdefault((key, t), []).append(run(cases[key](t), (key, t)))
load_after = load()

def peak_kb(cmd):
    # A fresh interpreter, so its children's peak is this command's alone.
    probe = "import resource, subprocess, sys; subprocess.run(sys.argv[1:], check=True, stdout=subprocess.DEVNULL); " \
            "print(resource.getrusage(resource.RUSAGE_CHILDREN).ru_maxrss)"
    return int(subprocess.run([sys.executable, "-c", probe] + cmd, check=True, capture_output=True, text=True).stdout)

mem_big = peak_kb(lentara_cmd(pano8k, "big.exr", "skybox", "4096x3072", 2))
mem_small = peak_kb(lentara_cmd(pano8k, "small.exr", "skybox", "16x12", 2))
mem_info = peak_kb([lentara, "info"])
mem_ff = peak_kb(ffmpeg_cmd(pano8k, "ff-big.exr", "skybox", 3072, 2048, 2))
big_time = min(run(lentara_cmd(pano8k, "big.exr", "skybox", "4096x3072", 2)) for _ in range(2))

best = {k: min(v) for k, v in times.items()}
median = {k: statistics.median(v) for k, v in times.items()}
ffv = subprocess.run(["ffmpeg", "-version"], capture_output=True, text=True).stdout.split()[2]
model = next(l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name"))

lines = []
w = lines.append
w("## Reprojection (`scripts/bench-reproject.sh`)")
w("")
w(f"`lentara reproject` beside ffmpeg's `v360` filter (ffmpeg {ffv}, Debian), both reading the same synthetic")
w("4096 x 2048 half-float OpenEXR panorama (`bench/make_panorama`) and writing half-float OpenEXR (ZIP), one")
w("sample per pixel. Wall time of the whole command, start-up and file reading and writing included, best of")
w(f"{reps} runs (median in brackets); runs of both tools interleaved in random order on {model}, {os.cpu_count()} cores,")
w(f"shared with other jobs: load average {' '.join(load_before)} before, {' '.join(load_after)} after.")
w("")
w("- *skybox*: lentara's VantorSkyboxCam cross at 2048 x 1536 (six 512 x 512 faces and six empty cells);")
w("  ffmpeg's 3 x 2 cube map at 1536 x 1024 (the same six faces), bilinear.")
w("- *fisheye*: VantorFisheyeCam at 2048 x 2048 (ZoomFactor 0.15, distortion power 2: about 160 degrees")
w("  across); ffmpeg's 180-degree fisheye at 2048 x 2048, bilinear.")
w("- lentara filters every lookup over the pixel's footprint (OpenImageIO texture system, MIP-mapped,")
w("  anisotropic); ffmpeg interpolates bilinearly in the full-size panorama, so it aliases when it shrinks.")
w("")
w("| case | threads | lentara s | ffmpeg s | lentara / ffmpeg (target <= 2) | CPU s lentara / ffmpeg |")
w("|---|---:|---:|---:|---:|---:|")
for kind in ("skybox", "fisheye"):
    for t in (1, 2):
        l, f = best[((kind, "lentara"), t)], best[((kind, "ffmpeg"), t)]
        lm, fm = median[((kind, "lentara"), t)], median[((kind, "ffmpeg"), t)]
        lc, fc = min(cpu[((kind, "lentara"), t)]), min(cpu[((kind, "ffmpeg"), t)])
        r = l / f
        w(f"| {kind} | {t} | {l:.2f} ({lm:.2f}) | {f:.2f} ({fm:.2f}) | {r:.2f}{'' if r <= 2 or t == 1 else ' **miss**'} "
          f"| {lc:.2f} / {fc:.2f} |")
w("")
w("The last column is the CPU time (user + system, best run) the whole command took, which the load of the")
w("machine disturbs much less than the wall time.")
w("")
w("Two-thread scaling (time with one thread / time with two). *render loop*: lentara's own time of the")
w("parallel loop (camera rays and filtered lookups, as it prints it); *whole command*: wall time, with the")
w("parts that run on one thread (start-up, reading the panorama into its MIP pyramid, writing the file).")
w("")
w("| case | lentara render loop (target >= 1.8) | lentara whole command | ffmpeg whole command |")
w("|---|---:|---:|---:|")
for kind in ("skybox", "fisheye"):
    rl = min(render[((kind, "lentara"), 1)]) / min(render[((kind, "lentara"), 2)])
    ls = best[((kind, "lentara"), 1)] / best[((kind, "lentara"), 2)]
    fs = best[((kind, "ffmpeg"), 1)] / best[((kind, "ffmpeg"), 2)]
    w(f"| {kind} | {rl:.2f}{'' if rl >= 1.8 else ' (below 1.8)'} | {ls:.2f} | {fs:.2f} |")
w("")
w("### Peak memory, 8192 x 4096 panorama to a 4096 x 3072 skybox cross")
w("")
w("| run | peak resident set |")
w("|---|---:|")
w(f"| `lentara reproject` 8192 x 4096 -> 4096 x 3072 (best of 2: {big_time:.2f} s) | {mem_big / 1024:.0f} MB |")
w(f"| `lentara reproject` 8192 x 4096 -> 16 x 12 (reading and MIP-mapping the panorama only) | {mem_small / 1024:.0f} MB |")
w(f"| `lentara info` (no image: the program and its shared libraries) | {mem_info / 1024:.0f} MB |")
w(f"| ffmpeg v360 8192 x 4096 -> 3072 x 2048 cube map, for comparison | {mem_ff / 1024:.0f} MB |")
w("")
w("The panorama is never held whole: it is read a band of 64 rows at a time into a tiled, MIP-mapped")
w("float OpenEXR file in the temporary folder (a band per MIP level in memory; the file takes 16 bytes per")
w("panorama pixel on disk), and lookups go through")
w("OpenImageIO's tile cache, capped at 256 MB (`max_memory_MB`, `EnvironmentMap::kCacheMegabytes`). The rest")
w("is the rendered image itself (16 bytes a pixel: linear RGB and alpha in float, 192 MB at 4096 x 3072),")
w("written out a band of 64 rows at a time, and the shared libraries OpenImageIO brings (the `info` row).")
w("")
section = "\n".join(lines)
text = open(results).read() if os.path.exists(results) else ""
cut = text.find("## Reprojection")
text = (text[:cut] if cut >= 0 else text.rstrip("\n") + "\n\n") + section
open(results, "w").write(text)
print(section)
PY
echo "wrote $root/bench/RESULTS.md"
