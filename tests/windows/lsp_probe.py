#!/usr/bin/env python3
"""A language client in a few lines, for `scenario-tool lsp` where node is not
at hand (under Wine): initialize, open the train description of the embedded
scenario with one misspelt keyword, and wait for its diagnostic; misspell a
keyword of the line description on disk, tell the server so as a client that
watches files does, and wait for the line's diagnostic; then shutdown and
exit. Exit status 0 when the server answered as it must.

    lsp_probe.py [--drive Z] COMMAND...    e.g. lsp_probe.py --drive Z wine scenario-tool.exe lsp

--drive names the Windows drive that shows the Linux root (Wine's Z:), so
that the URIs are those a Windows editor would send.
"""
import json
import pathlib
import subprocess
import sys
import tempfile
import threading

SOURCE = pathlib.Path(__file__).resolve().parents[2]


def frame(message):
    body = json.dumps(message).encode("utf-8")
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


def read_message(stream):
    length = None
    while True:
        line = stream.readline()
        if not line:
            return None
        if line in (b"\r\n", b"\n"):
            break
        name, _, value = line.decode("ascii").partition(":")
        if name.strip().lower() == "content-length":
            length = int(value)
    return json.loads(stream.read(length).decode("utf-8"))


def published(server, name, code):
    """Reads messages until the diagnostics of the file `name` hold `code`;
    False when the server ends first."""
    while True:
        message = read_message(server.stdout)
        if message is None:
            return False
        if message.get("method") == "textDocument/publishDiagnostics" and \
                message["params"]["uri"].endswith(name) and \
                any(d.get("code") == code for d in message["params"]["diagnostics"]):
            return True


def as_uri(path, drive):
    return path.as_uri() if drive is None else "file:///%s:%s" % (drive, path.as_uri()[len("file://"):])


def main(arguments):
    drive = None
    if arguments[:1] == ["--drive"]:
        drive, arguments = arguments[1], arguments[2:]
    with tempfile.TemporaryDirectory() as folder:
        line = (SOURCE / "src/description/scenario/line.txt").read_bytes()
        train = (SOURCE / "src/description/scenario/train.txt").read_bytes()
        train = train.replace(b"segnale,    2550,", b"segnalle,    2550,")
        line_path = pathlib.Path(folder) / "Valcorvina_linea.txt"
        line_path.write_bytes(line)
        path = pathlib.Path(folder) / "Valcorvina_IC 318-.txt"
        uri = as_uri(path, drive)
        server = subprocess.Popen(arguments, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        # A server that never publishes what is awaited is ended, not waited for.
        deadline = threading.Timer(90, server.kill)
        deadline.start()
        watching = {"workspace": {"didChangeWatchedFiles": {"dynamicRegistration": True}}}
        server.stdin.write(frame({"jsonrpc": "2.0", "id": 1, "method": "initialize",
                                  "params": {"processId": None, "capabilities": watching}}))
        server.stdin.write(frame({"jsonrpc": "2.0", "method": "initialized", "params": {}}))
        server.stdin.write(frame({"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": {"textDocument": {
            "uri": uri, "languageId": "scenario-train", "version": 1, "text": train.decode("latin-1")}}}))
        server.stdin.flush()
        answered = read_message(server.stdout)
        answered = answered is not None and answered.get("id") == 1 and "capabilities" in answered.get("result", {})
        found = published(server, "Valcorvina_IC%20318-.txt", "unknown-keyword")
        # The line description misspelt on disk: the server hears of it as from
        # a watching client and checks the pair again.
        line_path.write_bytes(line.replace(b"[fine]", b"cartelo_indicatore,  1000,   (A)\n[fine]"))
        server.stdin.write(frame({"jsonrpc": "2.0", "method": "workspace/didChangeWatchedFiles", "params": {
            "changes": [{"uri": as_uri(line_path, drive), "type": 2}]}}))
        server.stdin.flush()
        rechecked = found and published(server, "Valcorvina_linea.txt", "unknown-keyword")
        try:
            server.stdin.write(frame({"jsonrpc": "2.0", "id": 2, "method": "shutdown"}))
            server.stdin.write(frame({"jsonrpc": "2.0", "method": "exit"}))
            server.stdin.close()
        except BrokenPipeError:
            pass  # ended by the deadline: its status says so
        status = server.wait(timeout=60)
        deadline.cancel()
    print("initialize answered: %s; diagnostic published: %s; partner changed on disk checked: %s; exit status %d"
          % (answered, found, rechecked, status))
    return 0 if answered and found and rechecked and status == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
