#!/usr/bin/env python3
"""Turns the measurements of bench/run into bench/results.md and the data
files that bench/chart.gp draws.

Usage: report.py DATA_DIR JAVA OUT.md
"""

import glob
import json
import os
import platform
import re
import statistics
import subprocess
import sys

data, java, out = sys.argv[1:4]

# The launches, in the order of the tables, keyed by how their command ends.
LAUNCHES = [
    ("java -cp", "plain java (`java -cp app.jar Main`)"),
    ("app-unix", "launcher-unix, single file"),
    ("app-mac", "launcher-mac, single file (JVM in process)"),
    ("app-sh", "shell-script stub + jar"),
    ("java -Xbootclasspath", "plain java, jar on the boot class path"),
]
COSTS = [
    ("exitNow", "the do-nothing program, started directly"),
    ("noop-unix", "launcher-unix single file, starting it"),
    ("bare-unix", "launcher-unix with a .config file, starting it"),
]


def command_key(command, keys):
    """plain java's commands by their first option, the others by name."""
    if command.startswith(java + " "):
        key = "java " + command.split()[1].split(":")[0].split("/")[0]
    else:
        key = os.path.basename(command)
    if key not in dict(keys):
        raise SystemExit("report.py: unknown command " + command)
    return key


def rounds(prefix, keys):
    """Returns {key: [all times in ms]} and {key: [median of each round]}."""
    times = {key: [] for key, _ in keys}
    round_medians = {key: [] for key, _ in keys}
    files = sorted(glob.glob(os.path.join(data, prefix + "-*.json")))
    for path in files:
        with open(path) as f:
            for result in json.load(f)["results"]:
                key = command_key(result["command"], keys)
                ms = [t * 1000 for t in result["times"]]
                times[key] += ms
                round_medians[key].append(statistics.median(ms))
    return times, round_medians, len(files)


def summary(ms):
    return {
        "median": statistics.median(ms),
        "mean": statistics.mean(ms),
        "stddev": statistics.stdev(ms) if len(ms) > 1 else 0.0,
        "min": min(ms),
        "max": max(ms),
        "q1": statistics.quantiles(ms, n=4)[0] if len(ms) > 1 else ms[0],
        "q3": statistics.quantiles(ms, n=4)[2] if len(ms) > 1 else ms[0],
        "n": len(ms),
    }


def run(command):
    try:
        done = subprocess.run(command, capture_output=True, text=True)
        return (done.stdout + done.stderr).strip()
    except OSError:
        return "not installed"


def first_line(text):
    return text.splitlines()[0] if text else ""


def read_lines(name):
    path = os.path.join(data, name)
    if not os.path.exists(path):
        return []
    with open(path) as f:
        return [line.strip() for line in f if line.strip()]


def cpu_model():
    with open("/proc/cpuinfo") as f:
        for line in f:
            if line.startswith("model name"):
                return line.split(":", 1)[1].strip()
    return platform.processor() or "unknown"


def memory():
    with open("/proc/meminfo") as f:
        kib = int(f.readline().split()[1])
    return "%.1f GiB" % (kib / 1024 / 1024)


def os_name():
    try:
        with open("/etc/os-release") as f:
            for line in f:
                if line.startswith("PRETTY_NAME="):
                    return line.split("=", 1)[1].strip().strip('"')
    except OSError:
        pass
    return platform.system()


def fmt(value, digits=1):
    return ("%%.%df" % digits) % value


lines = []
emit = lines.append

# --- whole launches ---------------------------------------------------------
launch, launch_rounds, launch_round_count = rounds("launch", LAUNCHES)
launch_stats = {key: summary(ms) for key, ms in launch.items()}
plain = launch_stats["java -cp"]["median"]

# --- the launcher's own cost ------------------------------------------------
cost, cost_rounds, cost_round_count = rounds("cost", COSTS)
cost_stats = {key: summary(ms) for key, ms in cost.items()}
direct = cost_stats["exitNow"]["median"]
rss = {name: [int(v) for v in read_lines("rss-%s.txt" % name)]
       for name in ("exitNow", "noop-unix", "bare-unix", "java")}

# --- microbenchmarks --------------------------------------------------------
with open(os.path.join(data, "micro.json")) as f:
    micro = json.load(f)
UNIT_MS = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1000.0}
micro_median = {}   # run_name -> (real ms, cpu ms)
micro_stddev = {}
micro_bigo = {}     # family -> (big_o, rms)
for b in micro["benchmarks"]:
    scale = UNIT_MS[b.get("time_unit", "ns")]
    kind = b.get("aggregate_name")
    if b["run_type"] == "iteration" and b.get("repetitions", 1) == 1:
        micro_median[b["run_name"]] = (b["real_time"] * scale, b["cpu_time"] * scale)
    elif kind == "median":
        micro_median[b["run_name"]] = (b["real_time"] * scale, b["cpu_time"] * scale)
    elif kind == "stddev":
        micro_stddev[b["run_name"]] = b["real_time"] * scale
    elif kind == "BigO":
        micro_bigo[b["run_name"]] = [b["big_o"], None]
    elif kind == "RMS":
        micro_bigo.setdefault(b["run_name"], ["?", None])[1] = b["rms"]


def micro_ms(name):
    return micro_median[name][0]


def ratio_range(key, base_key, round_medians):
    ratios = [a / b for a, b in zip(round_medians[key], round_medians[base_key])]
    return min(ratios), max(ratios)


# --- the targets ------------------------------------------------------------
unix_ratio = launch_stats["app-unix"]["median"] / plain
mac_ratio = launch_stats["app-mac"]["median"] / plain
boot = launch_stats["java -Xbootclasspath"]["median"]
boot_note = "same java command line (jar on the boot class path): ×%s"
own_cost = cost_stats["noop-unix"]["median"] - direct
zip_ratio = (micro_ms("BM_zipCommentWithArchive/1073741824") /
             micro_ms("BM_zipCommentWithArchive/65536"))
addjars = micro_ms("BM_addJars/10000")
targets = [
    ("launcher-unix single-file launch vs plain java (median ratio)",
     "≤ 1.03", fmt(unix_ratio, 3), unix_ratio <= 1.03,
     boot_note % fmt(launch_stats["app-unix"]["median"] / boot, 3)),
    ("launcher-mac single-file launch vs plain java (median ratio)",
     "≤ 1.02", fmt(mac_ratio, 3), mac_ratio <= 1.02,
     boot_note % fmt(launch_stats["app-mac"]["median"] / boot, 3)),
    ("launcher's own cost (single file, median difference)",
     "< 1 ms", fmt(own_cost, 3) + " ms", own_cost < 1.0, ""),
    ("comment search, 1 GiB packed file vs 64 KiB",
     "≤ 2×", fmt(zip_ratio, 2) + "×", zip_ratio <= 2.0, ""),
    ('"addjars" over 10,000 jars', "< 50 ms", fmt(addjars, 2) + " ms",
     addjars < 50.0, ""),
]

# --- the report -------------------------------------------------------------
wait = (read_lines("wait.txt") or ["?"])[0]
load_start = (read_lines("load-start.txt") or ["?"])[0]
load_end = (read_lines("load-end.txt") or ["?"])[0]

emit("# Launcher performance")
emit("")
emit("Written by `bench/run`; every number below comes from one run of it on "
     "the machine described at the end. Times are wall-clock; *ratio* is a "
     "median divided by the median of plain java.")
emit("")
if wait == "busy":
    emit("**Measured on a busy machine:** the 1-minute load average did not "
         "drop below 1.0 within 25 minutes, so the numbers carry the noise of "
         "other work (load at start: %s)." % load_start)
    emit("")
elif wait == "not-waited":
    emit("**Measured without waiting for a quiet machine** (`--no-wait`; "
         "load at start: %s)." % load_start)
    emit("")

emit("## Targets")
emit("")
emit("| what | target | measured | met | for comparison |")
emit("| --- | --- | --- | --- | --- |")
for what, target, measured, met, note in targets:
    emit("| %s | %s | %s | %s | %s |" % (
        what, target, measured, "yes" if met else "**no**", note))
emit("")

emit("## Whole launches of a tiny Java program")
emit("")
emit("`bench/Main.java` prints one line. Each command ran %d times after "
     "warm-up, in %d hyperfine rounds that each started with a different "
     "command. *Round ratios* is the range of the ratio over the rounds."
     % (launch_stats["java -cp"]["n"], launch_round_count))
emit("")
emit("| launch | median ms | mean ± stddev ms | min … max ms | ratio | round ratios | ratio to java on the boot path |")
emit("| --- | --- | --- | --- | --- | --- | --- |")
for key, label in LAUNCHES:
    s = launch_stats[key]
    low, high = ratio_range(key, "java -cp", launch_rounds)
    emit("| %s | %s | %s ± %s | %s … %s | %s | %s … %s | %s |" % (
        label, fmt(s["median"]), fmt(s["mean"]), fmt(s["stddev"]),
        fmt(s["min"]), fmt(s["max"]), fmt(s["median"] / plain, 3),
        fmt(low, 3), fmt(high, 3), fmt(s["median"] / boot, 3)))
emit("")
modules_cp = [float(v) * 1000 for v in read_lines("modules-cp.txt")]
modules_boot = [float(v) * 1000 for v in read_lines("modules-boot.txt")]
cds_boot = read_lines("cds-boot.txt")
emit("Both launchers put their own file on the boot class path "
     "(`-Xbootclasspath/a:`), as plain java does in the last row, which "
     "took %s ms %s than with `-cp` (medians)." % (
         fmt(abs(boot - plain)), "longer" if boot >= plain else "less"))
if modules_cp and modules_boot:
    emit("The runtime's own trace (`-Xlog:startuptime`) puts the loss in "
         "the module system's start-up: %s ms with `-cp`, %s ms with the "
         "boot class path (medians of %d runs)%s" % (
             fmt(statistics.median(modules_cp)),
             fmt(statistics.median(modules_boot)), len(modules_boot),
             (", because class-data sharing then gives up its archived "
              "module graph (`-Xlog:cds`: \"%s\")." % re.sub(
                  r"^\[[^ ]*\]\[[^ ]*\]\[[^ ]*\] *", "", cds_boot[0]))
             if cds_boot else "."))
emit("")

emit("## The launcher's own cost")
emit("")
emit("launcher-unix whose \"javapath\" is `exitNow`, a static program that "
     "exits at once, against starting `exitNow` directly: the difference is "
     "what the launcher itself adds to every launch. %d runs each, in %d "
     "rounds." % (cost_stats["exitNow"]["n"], cost_round_count))
emit("")
emit("| program | median ms | mean ± stddev ms | min … max ms | added ms | peak RSS KiB |")
emit("| --- | --- | --- | --- | --- | --- |")
for key, label in COSTS:
    s = cost_stats[key]
    peak = max(rss[key]) if rss[key] else 0
    emit("| %s | %s | %s ± %s | %s … %s | %s | %d |" % (
        label, fmt(s["median"], 3), fmt(s["mean"], 3), fmt(s["stddev"], 3),
        fmt(s["min"], 3), fmt(s["max"], 3),
        "—" if key == "exitNow" else fmt(s["median"] - direct, 3), peak))
emit("")
emit("Peak RSS is the largest *maximum resident set size* that `/usr/bin/time "
     "-v` reported over 5 runs; for the launchers it covers the launcher "
     "process (its child, `exitNow`, is smaller). For scale, plain java on "
     "the tiny program peaks at %d KiB." % (max(rss["java"]) if rss["java"] else 0))
emit("")

emit("## Microbenchmarks")
emit("")
emit("Google Benchmark (`build-bench/bench/launcherBench`), median of the "
     "repetitions; *fit* is the library's complexity estimate over the "
     "sizes shown, with its RMS error.")
emit("")
FAMILIES = [
    ("BM_zipCommentWithArchive", "comment search, archive at the end",
     lambda n: "%s file" % size_name(n)),
    ("BM_zipCommentWithoutArchive", "comment search, no archive (whole file read)",
     lambda n: "%s file" % size_name(n)),
    ("BM_configFileParse", "configuration parsing", lambda n: "%s lines" % thousands(n)),
    ("BM_addJars", '"addjars"', lambda n: "%s jars" % thousands(n)),
    ("BM_createPath", "class path joining (createPath)",
     lambda n: "%s entries" % thousands(n)),
    ("BM_createAbsolutePathLongPath", "createAbsolutePath, long relative path",
     lambda n: "%s components" % thousands(n)),
    ("BM_createAbsolutePathDeepBase", "createAbsolutePath, deep base directory",
     lambda n: "%s levels" % thousands(n)),
]

CHART_NAMES = {
    "BM_zipCommentWithArchive": "comment, archive",
    "BM_zipCommentWithoutArchive": "comment, no archive",
    "BM_configFileParse": "config lines",
    "BM_addJars": "addjars",
    "BM_createPath": "createPath",
    "BM_createAbsolutePathLongPath": "abs. path, long",
    "BM_createAbsolutePathDeepBase": "abs. path, deep base",
}


def size_name(n):
    for unit, size in (("GiB", 1 << 30), ("MiB", 1 << 20), ("KiB", 1 << 10)):
        if n >= size:
            return "%d %s" % (n // size, unit)
    return "%d B" % n


def thousands(n):
    return "{:,}".format(n)


def time_text(ms):
    if ms >= 100:
        return "%.0f ms" % ms
    if ms >= 1:
        return "%.2f ms" % ms
    return "%.1f µs" % (ms * 1000)


emit("| benchmark | input | median | CPU | stddev | growth | fit |")
emit("| --- | --- | --- | --- | --- | --- | --- |")
chart = []
for family, label, describe in FAMILIES:
    names = sorted((n for n in micro_median if n.startswith(family + "/")),
                   key=lambda n: int(n.split("/")[1]))
    bigo, rms = micro_bigo.get(family, ["?", None])
    fit = "O(%s)" % ("1" if bigo == "(1)" else bigo) + (
        ", RMS %.0f%%" % (rms * 100) if rms is not None else "")
    for i, name in enumerate(names):
        n = int(name.split("/")[1])
        real, cpu = micro_median[name]
        first_n = int(names[0].split("/")[1])
        growth = ("time ×%.1f for input ×%s" % (
            real / micro_median[names[0]][0], thousands(n // first_n))
            if i > 0 else "")
        stddev = (time_text(micro_stddev[name]) if name in micro_stddev
                  else "—")
        emit("| %s | %s | %s | %s | %s | %s | %s |" % (
            label if i == 0 else "", describe(n), time_text(real),
            time_text(cpu), stddev, growth, fit if i == 0 else ""))
        chart.append((family, n, real))
emit("")

emit("## Machine and runtimes")
emit("")
uname = platform.uname()
emit("| | |")
emit("| --- | --- |")
emit("| CPU | %s |" % cpu_model())
emit("| cores | %d |" % os.cpu_count())
emit("| memory | %s |" % memory())
emit("| kernel | %s %s |" % (uname.system, uname.release))
emit("| system | %s |" % os_name())
emit("| Java | %s |" % " / ".join(run([java, "-version"]).splitlines()))
emit("| compiler | %s |" % first_line(run(["c++", "--version"])))
emit("| hyperfine | %s |" % first_line(run(["hyperfine", "--version"])))
emit("| Google Benchmark | %s (library built as %s) |" % (
    run(["dpkg-query", "-W", "-f=${Version}", "libbenchmark-dev"]),
    micro["context"].get("library_build_type", "?")))
emit("| load average (1, 5, 15 min) | start %s; end %s%s |" % (
    load_start, load_end,
    "; waited for a quiet machine" if wait == "quiet" else ""))
emit("")

with open(out, "w") as f:
    f.write("\n".join(lines))

# --- data for the chart -----------------------------------------------------
with open(os.path.join(data, "launch.dat"), "w") as f:
    f.write("# label median min q1 q3 max ratio\n")
    for key, label in LAUNCHES:
        s = launch_stats[key]
        short = {"java -cp": "plain java", "app-unix": "launcher-unix",
                 "app-mac": "launcher-mac", "app-sh": "shell stub",
                 "java -Xbootclasspath": "java, boot path"}[key]
        f.write('"%s" %f %f %f %f %f %f\n' % (
            short, s["median"], s["min"], s["q1"], s["q3"], s["max"],
            s["median"] / plain))
with open(os.path.join(data, "cost.dat"), "w") as f:
    f.write("# label median q1 q3\n")
    for key, label in COSTS:
        s = cost_stats[key]
        short = {"exitNow": "direct", "noop-unix": "single file",
                 "bare-unix": "with .config"}[key]
        f.write('"%s" %f %f %f\n' % (short, s["median"], s["q1"], s["q3"]))
with open(os.path.join(data, "micro.dat"), "w") as f:
    for family, label, _ in FAMILIES:
        points = [(n, ms) for fam, n, ms in chart if fam == family]
        if not points:
            continue
        f.write('"%s"\n' % CHART_NAMES[family])
        smallest = points[0][0]
        for n, ms in points:
            f.write("%f %f\n" % (n / smallest, ms))
        f.write("\n\n")
