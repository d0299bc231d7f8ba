"""A local SMTP server for tests, as strict as common mail servers: stores every message it gets
and refuses what they refuse.

Usage: smtp_sink.py <directory>
Listens on a free port of 127.0.0.1 and prints "PORT <n>" once it accepts connections. Each
message becomes <directory>/mail-<n>.json with the HELO name, envelope sender, recipients, the
message data (base64, as received with dot-stuffing undone), the Subject and body as Python's
mail library decodes them, and the server's answer when it refused the message ("refusal").
Session events go to <directory>/events.txt, one per line: "CONNECT", "HELO <name>", "QUIT",
"CLOSE".
Refused: recipients starting with "refused@" (550 at RCPT); a message with a line over 998
octets, or without a Date or Message-ID, and any message for a recipient starting with
"refused-data@" (550 at the end of the data).
"""
import asyncio
import base64
import email
import email.policy
import email.utils
import json
import os
import sys

from aiosmtpd.smtp import SMTP

MAX_LINE_OCTETS = 998


def refusal(content, rcpt_tos):
    """The answer a strict server gives to this message, or None when it takes it."""
    for line in content.split(b"\r\n"):
        if len(line) > MAX_LINE_OCTETS:
            return "550 maximum allowed line length is 998 octets"
    message = email.message_from_bytes(content, policy=email.policy.compat32)
    date = message.get("Date")
    if date is None or email.utils.parsedate_tz(date) is None:
        return "550 5.6.0 a valid Date header is required"
    if not message.get("Message-ID", "").strip():
        return "550 5.6.0 a Message-ID header is required"
    if any(r.lower().startswith("refused-data@") for r in rcpt_tos):
        return "550 5.7.1 message content refused"
    return None


def decoded(content):
    """Subject and body text as a mail reader shows them (None where they cannot be decoded)."""
    try:
        message = email.message_from_bytes(content, policy=email.policy.default)
        return str(message["Subject"]), message.get_content()
    except Exception:  # an undecodable message is for the test to notice, not for the server
        return None, None


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
        content = envelope.original_content
        answer = refusal(content, envelope.rcpt_tos)
        subject, body = decoded(content)
        record = {
            "helo": session.host_name or "",
            "mail_from": envelope.mail_from,
            "rcpt_tos": envelope.rcpt_tos,
            "data": base64.b64encode(content).decode("ascii"),
            "subject": subject,
            "body": body,
            "refusal": answer or "",
        }
        name = os.path.join(self.directory, "mail-%04d.json" % self.count)
        # Written before the answer goes out, so a client that got its answer finds the file.
        with open(name + ".tmp", "w", encoding="utf-8") as f:
            json.dump(record, f)
        os.replace(name + ".tmp", name)
        return answer or "250 Message accepted"

    async def handle_QUIT(self, server, session, envelope):
        self.event("QUIT")
        return "221 Bye"


class RecordingSMTP(SMTP):
    # Long lines reach the content check above, which answers them as a mail server does.
    line_length_limit = 1 << 20

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
