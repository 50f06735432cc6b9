#!/usr/bin/env python3
"""Stands in for apt-get, dpkg, dpkg-query and sudo (by the name it is called under), so that
the install scripts run against a package state kept in $APT_STANDIN_STATE/state.json and
send no traffic anywhere. Every call is appended to calls.jsonl there.

state.json: installed (package names, "name:arch" for foreign ones), foreign (architectures),
failing_index (an index URL that `apt-get update` cannot fetch), update_failures (how many
updates fail; -1: all), unavailable (packages no suite has). As on a real machine whose
mirror serves a broken i386 list, an install that asks for a package of that architecture
cannot be resolved unless the failed suite is pinned away."""

import json
import os
import re
import sys

STATE = os.environ["APT_STANDIN_STATE"]
MIRROR_ERROR = ("File has unexpected size (374820 != 376004). Mirror sync in progress? "
                "[IP: 203.0.113.80 80]")


def load():
    with open(os.path.join(STATE, "state.json")) as f:
        return json.load(f)


def save(state):
    with open(os.path.join(STATE, "state.json"), "w") as f:
        json.dump(state, f)


def record(call):
    with open(os.path.join(STATE, "calls.jsonl"), "a") as f:
        f.write(json.dumps(call) + "\n")


def update(state):
    failing = state.get("failing_index")
    failures = state.get("update_failures", -1)
    updates = state.get("updates", 0) + 1
    state["updates"] = updates
    fails = bool(failing) and (failures < 0 or updates <= failures)
    state["lists_incomplete"] = fails
    save(state)
    record({"tool": "apt-get", "action": "update", "failed": fails})
    print("Get:1 http://deb.debian.org/debian bookworm InRelease [151 kB]")
    if not fails:
        print("Reading package lists...")
        return 0
    print("Err:4 %s\n  %s" % (failing, MIRROR_ERROR))
    print("Reading package lists...")
    print("E: Failed to fetch %s  %s" % (failing, MIRROR_ERROR))
    print("E: Some index files failed to download. They have been ignored, or old ones used "
          "instead.")
    return 100


def pinned_away(prefs, suite):
    stanzas = re.split(r"\n\s*\n", prefs)
    return any("Pin: release n=%s" % suite in s and "Pin-Priority: -1" in s for s in stanzas)


def install(state, args):
    prefs = ""
    packages = []
    i = 0
    while i < len(args):
        if args[i] == "-o":
            key, _, value = args[i + 1].partition("=")
            if key == "Dir::Etc::Preferences":
                with open(value) as f:
                    prefs = f.read()
            i += 2
            continue
        if not args[i].startswith("-") and args[i] != "install":
            packages.append(args[i])
        i += 1
    record({"tool": "apt-get", "action": "install", "packages": packages, "preferences": prefs})
    print("Reading package lists...")
    for package in packages:
        if package in state.get("unavailable", []):
            print("E: Unable to locate package %s" % package.split(":")[0])
            return 100
    failing = state.get("failing_index") or ""
    broken_arch = re.search(r"/binary-([^/]+)/", failing)
    suite = re.search(r"/dists/([^/]+)/", failing)
    if state.get("lists_incomplete") and broken_arch and not pinned_away(prefs, suite.group(1)):
        if any(p.endswith(":" + broken_arch.group(1)) for p in packages):
            print("The following packages have unmet dependencies:\n"
                  " libglib2.0-0:i386 : Depends: zlib1g:i386 (>= 1:1.2.2) but it is not "
                  "installable")
            print("E: Unable to correct problems, you have held broken packages.")
            return 100
    for package in packages:
        print("Setting up %s ..." % package)
        if package not in state["installed"]:
            state["installed"].append(package)
    save(state)
    return 0


def apt_get(args):
    state = load()
    if "update" in args:
        return update(state)
    if "install" in args:
        return install(state, args)
    print("apt_standin: unexpected apt-get %s" % " ".join(args), file=sys.stderr)
    return 100


def dpkg(args):
    state = load()
    if args == ["--print-architecture"]:
        print("amd64")
    elif args == ["--print-foreign-architectures"]:
        for arch in state["foreign"]:
            print(arch)
    elif args[:1] == ["--add-architecture"]:
        record({"tool": "dpkg", "action": "add-architecture", "arch": args[1]})
        state["foreign"].append(args[1])
        save(state)
    else:
        print("apt_standin: unexpected dpkg %s" % " ".join(args), file=sys.stderr)
        return 2
    return 0


def dpkg_query(args):
    """-W -f='${Package}:${Architecture} ${Status}\\n' package..."""
    installed = load()["installed"]
    unknown = 0
    for package in (a for a in args if not a.startswith("-")):
        if package in installed:
            name, _, arch = package.partition(":")
            print("%s:%s install ok installed" % (name, arch or "amd64"))
        else:
            print("dpkg-query: no packages found matching %s" % package, file=sys.stderr)
            unknown = 1
    return unknown


def main():
    tool = os.path.basename(sys.argv[0])
    args = sys.argv[1:]
    if tool == "sudo":
        record({"tool": "sudo", "args": args})
        os.execvp(args[0], args)
    return {"apt-get": apt_get, "dpkg": dpkg, "dpkg-query": dpkg_query}[tool](args)


if __name__ == "__main__":
    sys.exit(main())
