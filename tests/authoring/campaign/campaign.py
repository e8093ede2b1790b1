#!/usr/bin/python3
"""The manifest campaign: mutated copies of the example discs, each built
with make-disc in a process of its own. Prints how many cases the kit
refused and built, and every Python traceback, run past the time limit,
refusal that wrote something, mistake accepted, and planted mistake left
unlisted; keeps each such case for replay.

  campaign.py [--seed S] [--cases N] [--first I] [--case I ...] [--limit SECONDS]
              [--jobs J] [--programs FILE] [--kept DIR] [--expect-clean]

Case i of seed S is the same whatever else runs (mutations.make_case):
"--seed S --case i" replays it. --expect-clean ends with code 1 when any
case went wrong (the slice in the tests uses it)."""
import argparse
import collections
import json
import os
import resource
import shutil
import signal
import statistics
import sys
import tempfile
import time
import traceback
from pathlib import Path

HERE = Path(__file__).resolve().parent
REPO = HERE.parent.parent.parent
sys.path.insert(0, str(REPO))
sys.path.insert(0, str(HERE))
import mutations  # noqa: E402
from authoring import make_disc  # noqa: E402

HARD_LIMIT = 120            # seconds: a case still running then is stopped
MEMORY = 4 << 30            # bytes of address space a case may take
PASSWORD = "campaign"


def base_texts():
    return {name: (REPO / "discs" / name / "disc.toml").read_text(encoding="utf-8") for name in mutations.BASES}


class Materials:
    """Things cases share, made once: a real certificate, big pictures."""

    def __init__(self, folder):
        self.folder = folder
        folder.mkdir(parents=True, exist_ok=True)

    def certificate(self):
        p12 = self.folder / "cert.p12"
        if not p12.is_file():
            sys.path.insert(0, str(REPO / "tests" / "release"))
            from throwaway_certificate import make_certificate
            make_certificate(self.folder / "certificate", PASSWORD)
            shutil.copyfile(self.folder / "certificate" / "cert.p12", p12)
        return p12

    def image(self, w, h, fmt):
        path = self.folder / f"image_{w}x{h}.{fmt.lower()}"
        if not path.is_file():
            import random
            from PIL import Image
            Image.MAX_IMAGE_PIXELS = None
            if fmt == "PHOTO":
                # Every pixel a colour of its own: the most work a picture's colours can make.
                noise = random.Random(w * h).randbytes(w * h * 3)
                Image.frombytes("RGB", (w, h), noise).save(path, "PNG")
            else:
                Image.new("1", (w, h)).save(path, fmt)
        return path


def prepare(case, folder, materials):
    """The case's disc under folder/discs/<base>; returns its manifest."""
    shutil.rmtree(folder, ignore_errors=True)
    (folder / "discs").mkdir(parents=True)
    (folder / "launcher").symlink_to(REPO / "launcher")
    disc = folder / "discs" / case.base
    shutil.copytree(REPO / "discs" / case.base, disc, symlinks=True)
    for name, content in case.files.items():
        path = disc / name
        path.parent.mkdir(parents=True, exist_ok=True)
        if path.is_symlink() or path.is_file():
            path.unlink()
        if isinstance(content, bytes):
            path.write_bytes(content)
        elif content[0] == "truncate":
            path.write_bytes((REPO / "launcher" / "resources" / "bitmaps" / "en_all.bmp").read_bytes()[:content[1]])
        elif content[0] == "image":
            os.link(materials.image(*content[1:]), path)
        elif content[0] == "dir":
            path.mkdir(exist_ok=True)
        elif content[0] == "link":
            path.symlink_to(content[1])
        elif content[0] == "certificate":
            shutil.copyfile(materials.certificate(), path)
    manifest = disc / "disc.toml"
    manifest.write_bytes(case.text)
    return manifest


def listing(folder):
    """Every name under folder with its size and time, links not followed."""
    found = {}
    for here, dirs, files in os.walk(folder):
        for name in dirs + files:
            path = os.path.join(here, name)
            st = os.lstat(path)
            found[os.path.relpath(path, folder)] = (st.st_size, st.st_mtime_ns)
    return found


def run_case(case, manifest, out, programs, result_file):
    """In the forked child: make-disc on the case, its result as JSON."""
    resource.setrlimit(resource.RLIMIT_AS, (MEMORY, MEMORY))
    log = os.open(str(result_file) + ".log", os.O_WRONLY | os.O_CREAT | os.O_TRUNC)
    os.dup2(log, 1)
    os.dup2(log, 2)
    for name, value in case.env.items():
        if value is None:
            os.environ.pop(name, None)
        else:
            os.environ[name] = value
    result = {}
    try:
        result["code"] = make_disc.main([str(manifest), "--build-dir", str(out), "--programs", str(programs)]
                                        + case.args)
    except BaseException:       # noqa: B902 - every escape is what the campaign counts
        result["traceback"] = traceback.format_exc()
    sys.stdout.flush()
    sys.stderr.flush()
    Path(result_file).write_text(json.dumps(result))
    os._exit(0)


def start(case, slot, materials, programs):
    folder = slot / "case"
    manifest = prepare(case, folder, materials)
    before = listing(folder / "discs")
    out = slot / "out"
    shutil.rmtree(out, ignore_errors=True)
    result_file = slot / "result.json"
    if result_file.exists():
        result_file.unlink()
    sys.stdout.flush()
    pid = os.fork()
    if pid == 0:
        try:
            os.setsid()
            run_case(case, manifest, out, programs, result_file)
        finally:
            os._exit(3)
    return {"pid": pid, "case": case, "slot": slot, "started": time.monotonic(), "before": before,
            "out": out, "folder": folder, "result": result_file}


def finish(job, status, limit):
    case, seconds = job["case"], time.monotonic() - job["started"]
    found = {"case": case.number, "base": case.base, "kind": case.kind, "expect": case.expect,
             "seconds": round(seconds, 3), "problems": []}
    log_file = Path(str(job["result"]) + ".log")
    log = log_file.read_text(errors="replace") if log_file.exists() else ""
    found["log"] = log[-4000:]
    if status == "killed":
        found["problems"].append(f"stopped after {HARD_LIMIT} s")
        return found
    try:
        result = json.loads(job["result"].read_text())
    except (OSError, ValueError):
        result = {"traceback": f"the case's process ended without a result (status {status})"}
    if seconds > limit:
        found["problems"].append(f"took {seconds:.1f} s")
    if "traceback" in result or "Traceback (most recent call last)" in log:
        text = result.get("traceback") or log
        found["traceback"] = text[-3000:]
        last = [line for line in text.strip().splitlines() if line.strip()]
        frames = [line.strip() for line in last if line.strip().startswith("File ")]
        found["signature"] = f"{frames[-1] if frames else ''} {last[-1] if last else ''}"[:300]
        found["problems"].append("traceback")
        return found
    found["code"] = result["code"]
    if result["code"] != 0:
        after = listing(job["folder"] / "discs")
        written = sorted(set(after.items()) - set(job["before"].items()))
        if job["out"].exists() and any(job["out"].iterdir()):
            written.append(("build folder", None))
        if written:
            found["problems"].append("wrote on a refusal: " + ", ".join(str(w[0]) for w in written[:5]))
        if case.expect == "build":
            found["problems"].append("refused a valid disc")
        missing = [key for key in case.keys if f" {key}: " not in log]
        found["listed"] = not missing
        if missing:
            found["problems"].append("not listed: " + ", ".join(missing))
        report = [line for line in log.splitlines() if line.strip()]
        found["first_line"] = report[0][:200] if report else ""
    elif case.expect == "refuse":
        found["problems"].append("accepted though broken")
    return found


def run(cases, limit, jobs, programs, work, kept):
    materials = Materials(work / "materials")
    slots = [work / f"slot{i}" for i in range(jobs)]
    for slot in slots:
        slot.mkdir(parents=True, exist_ok=True)
    pending, running, results = collections.deque(cases), {}, []
    while pending or running:
        while pending and len(running) < jobs:
            slot = next(s for s in slots if s not in {j["slot"] for j in running.values()})
            job = start(pending.popleft(), slot, materials, programs)
            running[job["pid"]] = job
        pid, status = os.waitpid(-1, os.WNOHANG)
        if pid == 0:
            for job in list(running.values()):
                if time.monotonic() - job["started"] > HARD_LIMIT:
                    os.killpg(job["pid"], signal.SIGKILL)
                    os.waitpid(job["pid"], 0)
                    del running[job["pid"]]
                    results.append(finish(job, "killed", limit))
            time.sleep(0.01)
            continue
        job = running.pop(pid)
        try:
            os.killpg(pid, signal.SIGKILL)      # anything the case left running
        except ProcessLookupError:
            pass
        found = finish(job, status, limit)
        results.append(found)
        if found["problems"] and kept:
            keep = kept / f"case{found['case']}"
            shutil.rmtree(keep, ignore_errors=True)
            shutil.copytree(job["folder"], keep, symlinks=True)
            (keep / "result.json").write_text(json.dumps(found, indent=2))
        mark = "!" if found["problems"] else "."
        print(mark, end="" if len(results) % 100 else f" {len(results)}\n", flush=True)
    print()
    return sorted(results, key=lambda r: r["case"])


def report(results, seed, limit):
    times = [r["seconds"] for r in results]
    refused = [r for r in results if r.get("code", 0) != 0 and "traceback" not in r]
    built = [r for r in results if r.get("code") == 0]
    tracebacks = [r for r in results if "traceback" in r]
    slow = [r for r in results if any(p.startswith("took") or p.startswith("stopped") for p in r["problems"])]
    wrote = [r for r in results if any(p.startswith("wrote") for p in r["problems"])]
    accepted = [r for r in results if "accepted though broken" in r["problems"]]
    rejected = [r for r in results if "refused a valid disc" in r["problems"]]
    planted = [r for r in results if r["kind"] == "planted"]
    listed = [r for r in planted if r.get("listed")]
    print(f"seed {seed}: {len(results)} cases, {len(set(r['kind'] for r in results))} kinds of mutation")
    print(f"  refused {len(refused)}, built {len(built)}")
    print(f"  Python tracebacks {len(tracebacks)} ({len(set(r['signature'] for r in tracebacks))} distinct)")
    print(f"  runs past {limit} s {len(slow)}; longest {max(times):.2f} s, median {statistics.median(times):.2f} s")
    print(f"  refusals that wrote something {len(wrote)}")
    print(f"  mistakes accepted {len(accepted)}; valid discs refused {len(rejected)}")
    print(f"  planted cases with every mistake listed {len(listed)} of {len(planted)}")
    slowest = sorted(results, key=lambda r: -r["seconds"])[:5]
    print("  slowest: " + ", ".join(f"case {r['case']} ({r['base']}, {r['kind']}) {r['seconds']:.2f} s"
                                   for r in slowest))
    print("  by kind: cases / refused / built / problems, longest seconds")
    for kind in sorted(set(r["kind"] for r in results)):
        of = [r for r in results if r["kind"] == kind]
        print(f"    {kind:<22}{len(of):>6}{len([r for r in of if r.get('code', 0) != 0]):>8}"
              f"{len([r for r in of if r.get('code') == 0]):>7}{len([r for r in of if r['problems']]):>9}"
              f"{max(r['seconds'] for r in of):>9.2f}")
    for signature in sorted(set(r["signature"] for r in tracebacks)):
        of = [r["case"] for r in tracebacks if r["signature"] == signature]
        print(f"  traceback x{len(of)} (case {of[0]}): {signature}")
    for r in results:
        other = [p for p in r["problems"] if p != "traceback"]
        if other:
            print(f"  case {r['case']} ({r['base']}, {r['kind']}): {'; '.join(other)}")
    return len(tracebacks) + len(slow) + len(wrote) + len(accepted) + len(rejected) + len(planted) - len(listed)


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--seed", type=int, default=2026)
    parser.add_argument("--cases", type=int, default=5000)
    parser.add_argument("--first", type=int, default=0)
    parser.add_argument("--case", type=int, action="append")
    parser.add_argument("--limit", type=float, default=10.0, help="seconds a case may take")
    parser.add_argument("--jobs", type=int, default=2)
    parser.add_argument("--programs", type=Path, default=REPO / "build" / "default" / "disc-kit" / "programs.txt")
    parser.add_argument("--kept", type=Path)
    parser.add_argument("--expect-clean", action="store_true")
    args = parser.parse_args()
    if not args.programs.is_file():
        sys.exit(f"campaign: {args.programs} is missing; build first (cmake --build build/default)")
    texts = base_texts()
    numbers = args.case or range(args.first, args.first + args.cases)
    cases = [mutations.make_case(args.seed, n, texts) for n in numbers]
    # The kit's own subprocesses must not see the campaign's terminal.
    os.environ.pop("SOURCE_DATE_EPOCH", None)
    with tempfile.TemporaryDirectory(prefix="manifest-campaign-") as work:
        results = run(cases, args.limit, args.jobs, args.programs.resolve(), Path(work), args.kept)
    bad = report(results, args.seed, args.limit)
    if args.expect_clean and bad:
        sys.exit(1)


if __name__ == "__main__":
    main()
