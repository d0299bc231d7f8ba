"""A local SMTP server for tests: stores every message it accepts and refuses some recipients.

Usage: smtp_sink.py <directory>
Listens on a free port of 127.0.0.1 and prints "PORT <n>" once it accepts connections. Each
accepted message becomes <directory>/mail-<n>.json with the HELO name, envelope sender,
recipients and the message data (base64, as received with dot-stuffing undone). Session events
go to <directory>/events.txt, one per line: "CONNECT", "HELO <name>", "QUIT", "CLOSE".
Recipients starting with "refused@" get a 550.
"""
import asyncio
import base64
import json
import os
import sys

from aiosmtpd.smtp import SMTP


class Sink:
    def __init__(self, directory):
        self.directory = directory
        self.count = 0

    def event(self, text):
        with open(os.path.join(self.directory, "events.txt"), "a", encoding="utf-8") as f:
            f.write(text + "\n")

    async def handle_HELO(self, server, session, envelope, hostname):
        session.host_name = hostname
        self.event("HELO " + hostname)
        # A multi-line answer, as many servers give: a client must read all of it.
        return "250-sink greets %s\r\n250 at your service" % hostname

    async def handle_RCPT(self, server, session, envelope, address, rcpt_options):
        if address.lower().startswith("refused@"):
            return "550 5.1.1 Recipient refused"
        envelope.rcpt_tos.append(address)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        self.count += 1
        record = {
            "helo": session.host_name or "",
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "data": base64.b64encode(envelope.original_content).decode("ascii"),
        }
        name = os.path.join(self.directory, "mail-%04d.json" % self.count)
        # Written before the 250 goes out, so a client that got its answer finds the file.
        with open(name + ".tmp", "w", encoding="utf-8") as f:
            json.dump(record, f)
        os.replace(name + ".tmp", name)
        return "250 Message accepted"

    async def handle_QUIT(self, server, session, envelope):
        self.event("QUIT")
        return "221 Bye"


class RecordingSMTP(SMTP):
    def connection_made(self, transport):
        self.event_handler.event("CONNECT")
        super().connection_made(transport)

    def connection_lost(self, error):
        self.event_handler.event("CLOSE")
        super().connection_lost(error)


def main():
    sink = Sink(sys.argv[1])
    loop = asyncio.new_event_loop()
    asyncio.set_event_loop(loop)
    server = loop.run_until_complete(
        loop.create_server(lambda: RecordingSMTP(sink, hostname="sink", decode_data=False), "127.0.0.1", 0))
    print("PORT %d" % server.sockets[0].getsockname()[1], flush=True)
    loop.run_forever()


if __name__ == "__main__":
    main()
