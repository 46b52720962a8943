#!/usr/bin/env python3
"""Pipes requests into the real MCP server and, side by side, into the same five
tools served by the official TypeScript SDK (bench/mcp_sdk_server.mjs), and
reports cold start, throughput and peak resident memory of each.

Usage: bench/mcp_stdio_bench.py PATH/toolkeep [COUNT]
       bench/mcp_stdio_bench.py PATH/toolkeep.exe [COUNT]   (runs under scripts/wine.sh)
"""
import json
import os
import shutil
import subprocess
import sys
import tempfile
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))

REQUESTS = {
    "ping": '{"jsonrpc":"2.0","id":%d,"method":"ping"}',
    "tools/list": '{"jsonrpc":"2.0","id":%d,"method":"tools/list"}',
    "search_tools": '{"jsonrpc":"2.0","id":%d,"method":"tools/call","params":{"name":"search_tools",'
                    '"arguments":{"query":"\\u7f51\\u7edc\\u4e0d\\u901a dns"}}}',
    "get_playbook": '{"jsonrpc":"2.0","id":%d,"method":"tools/call","params":{"name":"get_playbook",'
                    '"arguments":{"id":"net.no-internet"}}}',
}


ROUNDS = 3


def command(exe):
    if exe.endswith(".exe"):
        return [os.path.join(ROOT, "scripts", "wine.sh"), exe, "--mcp-stdio"]
    return [exe, "--mcp-stdio"]


def descendants(root_pid):
    parents = {}
    for entry in os.listdir("/proc"):
        if entry.isdigit():
            try:
                with open("/proc/%s/stat" % entry) as f:
                    parents[int(entry)] = int(f.read().rsplit(")", 1)[1].split()[1])
            except (OSError, IndexError, ValueError):
                pass
    found, frontier = [], [root_pid]
    while frontier:
        pid = frontier.pop()
        children = [c for c, p in parents.items() if p == pid]
        found += children
        frontier += children
    return found


def server_pid(root_pid, exe):
    """The process that runs the server: the root itself, or its descendant under Wine."""
    if not exe.endswith(".exe"):
        return root_pid
    name = os.path.basename(exe).encode()
    for _ in range(200):
        for pid in descendants(root_pid):
            try:
                with open("/proc/%d/cmdline" % pid, "rb") as f:
                    if name in f.read():
                        return pid
            except OSError:
                pass
        time.sleep(0.05)
    return None


def cpu_seconds(pid):
    try:
        with open("/proc/%d/stat" % pid) as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) / os.sysconf("SC_CLK_TCK")
    except (OSError, IndexError, ValueError, TypeError):
        return float("nan")


def peak_kib(pid, field="VmHWM:"):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith(field):
                    return int(line.split()[1])
    except (OSError, TypeError):
        pass
    return None


def measure(argv, exe, count):
    """Cold start to the first initialize reply, requests per second of each kind, peak memory."""
    figures = {}
    start = time.perf_counter()
    proc = subprocess.Popen(argv, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                            bufsize=0)
    proc.stdin.write(b'{"jsonrpc":"2.0","id":0,"method":"initialize","params":{"protocolVersion":"2025-11-25",'
                     b'"capabilities":{},"clientInfo":{"name":"bench","version":"1"}}}\n')
    proc.stdin.flush()
    reply = proc.stdout.readline()
    figures["first reply (ms)"] = (time.perf_counter() - start) * 1000
    assert b'"serverInfo"' in reply, reply
    proc.stdin.write(b'{"jsonrpc":"2.0","method":"notifications/initialized"}\n')
    pid = server_pid(proc.pid, exe)
    idle = peak_kib(pid, "VmRSS:")
    figures["memory at first reply (MB)"] = idle / 1024 if idle else float("nan")

    # Replies are read in large blocks and only counted, so that the reader is not
    # what is measured; the best of three rounds damps a busy machine.
    out = proc.stdout.fileno()
    try:
        # A larger pipe means fewer reads per megabyte (Linux only; elsewhere the default stays).
        import fcntl
        fcntl.fcntl(out, 1031, 1 << 20)  # F_SETPIPE_SZ
    except (ImportError, OSError):
        pass
    pending = b""
    for name, template in REQUESTS.items():
        payload = "".join((template % i) + "\n" for i in range(1, count + 1)).encode()
        best = 0.0
        cpu_before = cpu_seconds(pid)
        for _ in range(ROUNDS):
            def send(data=payload):
                proc.stdin.write(data)
                proc.stdin.flush()
            writer = threading.Thread(target=send)
            t0 = time.perf_counter()
            writer.start()
            seen = 0
            while seen < count:
                block = os.read(out, 1 << 20)
                assert block, "the server closed its output"
                assert b'"error"' not in block, block[:200]
                seen += block.count(b"\n")
                pending = (pending + block)[-256:]
                if len(block) < (1 << 18):
                    time.sleep(0.0002)  # let replies gather in the pipe: one read per many, not per reply
            elapsed = time.perf_counter() - t0
            writer.join()
            best = max(best, count / elapsed)
        assert pending.endswith(b"}\n") and seen == count, pending[-200:]
        figures["%s (requests/s)" % name] = best
        # The server's own processor time: what a busy machine or the reader cannot blur.
        used = cpu_seconds(pid) - cpu_before
        figures["%s (per CPU s)" % name] = count * ROUNDS / used if used > 0 else float("nan")

    peak = peak_kib(pid)
    figures["peak memory (MB)"] = peak / 1024 if peak else float("nan")
    proc.stdin.close()
    figures["exit code"] = proc.wait()
    return figures


def main():
    exe = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    ours = measure(command(exe), exe, count)
    sdk_server = os.path.join(ROOT, "bench", "mcp_sdk_server.mjs")
    modules = os.path.join(ROOT, "tests", "mcp-client", "node_modules", "@modelcontextprotocol", "sdk")
    theirs = None
    if shutil.which("node") and os.path.isdir(modules):
        # The SDK server lists toolkeep's own descriptors: the same bytes for tools/list.
        listed = subprocess.run(command(exe), input=REQUESTS["tools/list"].encode() % 1 + b"\n",
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL).stdout
        with tempfile.NamedTemporaryFile("wb", suffix=".json", delete=False) as f:
            f.write(json.dumps(json.loads(listed)["result"]).encode())
        try:
            theirs = measure(["node", sdk_server, f.name], sdk_server, count)
        finally:
            os.unlink(f.name)
    else:
        print("(no node or no tests/mcp-client/node_modules: the SDK server is not measured)")
    print("%-30s %12s %12s %8s" % ("%d requests of each kind" % count, "toolkeep", "SDK server", "ahead"))
    for key, value in ours.items():
        if theirs is None:
            print("%-30s %12.1f" % (key, value))
            continue
        other = theirs[key]
        if key == "exit code":
            print("%-30s %12d %12d" % (key, value, other))
            continue
        # lower is better for times and memory, higher for throughput
        ahead = other / value if "requests/s" not in key and "per CPU" not in key else value / other
        print("%-30s %12.1f %12.1f %7.1fx" % (key, value, other, ahead))


if __name__ == "__main__":
    main()
