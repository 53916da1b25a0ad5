#!/usr/bin/env python3
"""A language client in a few lines, for `scenario-tool lsp` where node is not
at hand (under Wine): initialize, open the train description of the embedded
scenario with one misspelt keyword, and wait for its diagnostic; then shutdown
and exit. Exit status 0 when the server answered as it must.

    lsp_probe.py [--drive Z] COMMAND...    e.g. lsp_probe.py --drive Z wine scenario-tool.exe lsp

--drive names the Windows drive that shows the Linux root (Wine's Z:), so
that the URIs are those a Windows editor would send.
"""
import json
import pathlib
import subprocess
import sys
import tempfile

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


def main(arguments):
    drive = None
    if arguments[:1] == ["--drive"]:
        drive, arguments = arguments[1], arguments[2:]
    with tempfile.TemporaryDirectory() as folder:
        line = (SOURCE / "src/description/scenario/line.txt").read_bytes()
        train = (SOURCE / "src/description/scenario/train.txt").read_bytes()
        train = train.replace(b"segnale,    2550,", b"segnalle,    2550,")
        (pathlib.Path(folder) / "Valcorvina_linea.txt").write_bytes(line)
        path = pathlib.Path(folder) / "Valcorvina_IC 318-.txt"
        uri = path.as_uri() if drive is None else "file:///%s:%s" % (drive, path.as_uri()[len("file://"):])
        server = subprocess.Popen(arguments, stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        server.stdin.write(frame({"jsonrpc": "2.0", "id": 1, "method": "initialize",
                                  "params": {"processId": None, "capabilities": {}}}))
        server.stdin.write(frame({"jsonrpc": "2.0", "method": "initialized", "params": {}}))
        server.stdin.write(frame({"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": {"textDocument": {
            "uri": uri, "languageId": "scenario-train", "version": 1, "text": train.decode("latin-1")}}}))
        server.stdin.flush()
        answered = found = False
        while not found:
            message = read_message(server.stdout)
            if message is None:
                break
            answered = answered or (message.get("id") == 1 and "capabilities" in message.get("result", {}))
            if message.get("method") == "textDocument/publishDiagnostics" and message["params"]["uri"] == uri:
                found = any(d.get("code") == "unknown-keyword" for d in message["params"]["diagnostics"])
        server.stdin.write(frame({"jsonrpc": "2.0", "id": 2, "method": "shutdown"}))
        server.stdin.write(frame({"jsonrpc": "2.0", "method": "exit"}))
        server.stdin.close()
        status = server.wait(timeout=60)
    print("initialize answered: %s; diagnostic published: %s; exit status %d" % (answered, found, status))
    return 0 if answered and found and status == 0 else 1


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
