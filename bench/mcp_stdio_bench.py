#!/usr/bin/env python3
"""Pipes requests into the real MCP server and reports cold start, throughput
and peak resident memory.

Usage: bench/mcp_stdio_bench.py PATH/toolkeep [COUNT]
       bench/mcp_stdio_bench.py PATH/toolkeep.exe [COUNT]   (runs under scripts/wine.sh)
"""
import os
import subprocess
import sys
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


def peak_kib(pid):
    try:
        with open("/proc/%d/status" % pid) as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except (OSError, TypeError):
        pass
    return None


def main():
    exe = sys.argv[1]
    count = int(sys.argv[2]) if len(sys.argv) > 2 else 10000
    start = time.perf_counter()
    proc = subprocess.Popen(command(exe), stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                            stderr=subprocess.DEVNULL)
    proc.stdin.write(b'{"jsonrpc":"2.0","id":0,"method":"initialize"}\n')
    proc.stdin.flush()
    reply = proc.stdout.readline()
    cold_ms = (time.perf_counter() - start) * 1000
    assert b'"serverInfo"' in reply, reply
    print("cold start to first initialize reply: %.1f ms" % cold_ms)
    pid = server_pid(proc.pid, exe)

    for name, template in REQUESTS.items():
        payload = "".join((template % i) + "\n" for i in range(1, count + 1)).encode()
        def send(data=payload):
            proc.stdin.write(data)
            proc.stdin.flush()
        writer = threading.Thread(target=send)
        t0 = time.perf_counter()
        writer.start()
        size = 0
        for _ in range(count):
            line = proc.stdout.readline()
            assert line.startswith(b'{"jsonrpc":"2.0","id":') and b'"error"' not in line, line[:200]
            size = len(line)
        elapsed = time.perf_counter() - t0
        writer.join()
        print("%-13s %8.0f requests/s  (%d requests, reply %d bytes)" % (name, count / elapsed, count, size))

    peak = peak_kib(pid)
    print("peak resident memory: %s" % ("%.1f MB" % (peak / 1024) if peak else "unknown"))
    proc.stdin.close()
    print("exit code at end of input: %d" % proc.wait())


if __name__ == "__main__":
    main()
