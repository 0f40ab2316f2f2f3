#!/usr/bin/env python3
"""The crash campaign: the real application, driven from outside against the stand-in site, is
killed with SIGKILL at random moments (inside saves, between a request and its answer, during an
import, in the editor) and restarted each time. After each restart: Ventes.cds reads, no sale
that a finished command had saved is lost, and no sale reached the site twice unless the seller
answered "Oui" to the question about an interrupted send. The history of sent sales holds every
sale that an upload took out of Ventes.cds after the site's "OK", and holds none twice but after a
"Oui".

Each life of the application runs a few commands to their end, then one more that is killed at a
random moment of its usual length. The driver answers the questions at random, "Oui" or "Non";
a "Oui" allows the sale it was about (the next one the site stores) one more copy."""

import argparse
import collections
import glob
import json
import os
import random
import signal
import sqlite3
import subprocess
import sys
import tempfile
import threading
import time

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xdrive as x  # noqa: E402

SITE_DELAY_MS = 400  # the site waits before each answer: a window for kills while it holds a sale
# How long each command usually takes here, in seconds: its kill falls anywhere in that span. An
# upload takes longer with every sale in the table. An import or a deletion is killed within a
# short span from the moment its last key or click is sent, where its work and its save lie.
SPANS = {"editor": 14.0, "idle": 1.0}
UPLOAD_SPAN = (1.0, 0.5)  # seconds, plus seconds per sale
COMMAND_SPAN = 0.12
WARM_UP = ["import"] * 4 + ["upload"] * 3 + ["delete"] * 2 + ["editor"]
TARGETS = ["import"] * 3 + ["upload"] * 5 + ["delete"] * 2 + ["editor", "idle"]
OUI_RATE = 0.3


class Campaign:
    def __init__(self, args, work):
        self.args = args
        self.work = work
        self.rng = random.Random(args.seed)
        self.counts = collections.Counter()
        self.kill_points = collections.Counter()
        self.saved = set()          # the sales in Ventes.cds once the last command ended
        self.deleted = set()        # the sales taken out of Ventes.cds by a deletion
        self.allowed = collections.Counter()  # copies beyond the first that a "Oui" allows
        self.reported_missing = set()
        self.oui_marks = []         # store sizes when "Oui" was pressed in the current upload
        self.last_action = None     # the command that the kill interrupted
        self.serial = 0
        self.store = os.path.join(work, "store")
        self.app_dir = os.path.join(work, "app")
        self.photos = []
        for n, colour in enumerate(["red", "blue"]):
            path = os.path.join(work, f"photo{n + 1}.jpg")
            subprocess.run(["convert", "-size", "32x24", f"gradient:{colour}-white", path], check=True)
            self.photos.append(path)

    # --- what the files say -------------------------------------------------------------------

    def titles_in_file(self):
        path = os.path.join(self.app_dir, "Ventes.cds")
        if not os.path.exists(path):
            return set()
        dump = subprocess.run([os.path.join(self.args.bin, "offrel-cds"), "--json", path],
                              capture_output=True, text=True)
        if dump.returncode != 0:
            raise x.StepFailed(f"Ventes.cds does not read: {dump.stderr.strip()}")
        rows = json.loads(dump.stdout)["rows"]
        return {row["values"]["Libelle"] for row in rows if row["live"]}

    def stored_sales(self):
        """The titles the site stored, in the order of their numbers."""
        titles = []
        for path in sorted(glob.glob(os.path.join(self.store, "[0-9]*", "vente.json"))):
            with open(path, encoding="utf-8") as file:
                titles.append(json.load(file)["fields"]["libelle"])
        return titles

    def titles_in_history(self):
        """How many times the history of sent sales holds each title."""
        path = os.path.join(self.app_dir, "Historique.sqlite")
        if not os.path.exists(path):
            return collections.Counter()
        # Opened as the application opens it, so that the sales in its log are read; a kill
        # while the application was setting up a new history leaves it without its table.
        db = sqlite3.connect(path, timeout=10)
        try:
            rows = db.execute("SELECT Libelle FROM VentesEnvoyees").fetchall()
        except sqlite3.OperationalError as failure:
            if "no such table" not in str(failure):
                raise
            rows = []
        finally:
            db.close()
        return collections.Counter(bytes(row[0]).decode("cp1252") for row in rows)

    def notes_in_journal(self):
        """The notes of the journal, each as its sale's digest and row ("envoi DIGEST SECONDS
        [ROW]", "fin DIGEST [ROW]"); a damaged line counts for nothing."""
        pending = set()
        try:
            with open(os.path.join(self.app_dir, "Envois.journal"), encoding="latin-1") as file:
                for line in file.read().split("\n")[:-1]:
                    words = line.split(" ")
                    if words[0] == "envoi" and len(words) in (3, 4):
                        pending.add((words[1], words[3] if len(words) == 4 else ""))
                    elif words[0] == "fin" and len(words) in (2, 3):
                        pending.discard((words[1], words[2] if len(words) == 3 else ""))
        except FileNotFoundError:
            pass
        return pending

    # --- the campaign -------------------------------------------------------------------------

    def run(self):
        self.display = x.VirtualDisplay()
        self.desk = x.Desktop(self.display)
        self.killed = threading.Event()
        self.desk.abort = self.killed.is_set
        self.site, self.url = x.start_site(self.args.bin, self.store, self.args.catalogue,
                                           SITE_DELAY_MS, accepted_answer=self.args.accepted_answer)
        self.executable = x.install_app(self.args.bin, self.app_dir)
        self.app = None
        try:
            while self.counts["kills"] < self.args.kills:
                self.life()
            self.start()
            self.check()
            self.quit()
        except Exception:
            self.desk.screenshot(os.path.join(self.args.out, "crash-campaign-failure.png"))
            # What the application itself said: a start that shows no window says why here.
            if self.app:
                print(x.app_said(self.executable, self.app), file=sys.stderr)
            raise
        finally:
            for process in (self.app, self.site):
                if process and process.poll() is None:
                    process.kill()
                    process.wait()
            self.display.close()
        return self.report()

    def start(self):
        if self.counts["kills"]:
            self.counts["restarts"] += 1
        self.killed.clear()
        self.app = x.start_app(self.display, self.executable, self.url)
        # Generous: under the sanitizers, beside another build's compile, a start is slow.
        self.main = self.desk.wait_window(x.MAIN, timeout=180)
        self.desk.wait_gone(x.UPDATE, timeout=180)
        self.logged_in = False

    def life(self):
        self.start()
        self.check()
        self.notes_before = self.notes_in_journal()
        self.arm = lambda: None
        try:
            for _ in range(self.rng.randint(0, 2)):
                self.perform(self.rng.choice(WARM_UP))
                self.saved = self.titles_in_file()
        except x.StepFailed as failure:
            # A step of the driver that did not happen (a click too early on a loaded machine)
            # leaves the application in some state of its own: it is killed there.
            print(f"driver: {failure}; killed there", file=sys.stderr)
            self.counts["driver steps that did not happen"] += 1
            self.kill()
        target = self.rng.choice(TARGETS)
        if self.args.verbose:
            print(f"target: {target}, {len(self.saved)} sales", file=sys.stderr)
        if target in ("import", "delete"):
            span = COMMAND_SPAN
        elif target == "upload":
            span = UPLOAD_SPAN[0] + UPLOAD_SPAN[1] * len(self.saved)
        else:
            span = SPANS[target]
        if target == "upload" and self.rng.random() < 0.5:
            # Right after the site stored a sale: while its answer travels, or while the
            # application deletes the sale and saves the table.
            killer = threading.Thread(target=self.kill_after_next_stored_sale, args=(span,),
                                      daemon=True)
        else:
            killer = threading.Timer(self.rng.uniform(0.0, span), self.kill)
        # Imports and deletions start the timer themselves, when the application runs them.
        armed = span == COMMAND_SPAN
        self.arm = killer.start if armed else lambda: None
        if not self.killed.is_set():
            if not armed:
                killer.start()
            try:
                self.perform(target)
                self.saved = self.titles_in_file()
                if not self.killed.is_set():
                    self.last_action = None  # ended before the kill: it lands when nothing runs
            except x.StepFailed as failure:
                if not self.killed.is_set():
                    print(f"driver: {failure}; killed there", file=sys.stderr)
                    self.counts["driver steps that did not happen"] += 1
                    self.kill()
                    getattr(killer, "cancel", lambda: None)()
            if killer.ident is not None:
                killer.join()
        if not self.killed.is_set():
            self.kill()
        self.app.wait()
        self.after_kill()

    def kill_after_next_stored_sale(self, span):
        """Kills within 3 ms of the site storing a sale, or as soon as the application is seen
        saving the table, or at the end of the span if neither comes. The application saves about
        a millisecond after the site stored the sale, for about a millisecond."""
        stored = len(self.stored_sales())
        end = time.monotonic() + span
        when = None
        while not self.killed.is_set() and time.monotonic() < (when or end):
            if glob.glob(os.path.join(self.app_dir, ".Ventes.cds.*")):
                break
            if when is None and len(glob.glob(os.path.join(self.store, "[0-9]*"))) > stored:
                when = time.monotonic() + self.rng.uniform(0.0, 0.003)
            time.sleep(0.0002)
        self.kill()

    def kill(self):
        self.killed.set()
        if self.app.poll() is None:
            os.kill(self.app.pid, signal.SIGKILL)

    def after_kill(self):
        if self.args.verbose:
            print(f"killed during {self.last_action or 'nothing'}", file=sys.stderr)
        self.counts["kills"] += 1
        self.kill_points["during " + (self.last_action or "nothing")] += 1
        leftovers = glob.glob(os.path.join(self.app_dir, ".*.cds.*"))
        if leftovers:
            self.kill_points["inside a save (temporary file left)"] += 1
        for path in leftovers:
            os.remove(path)
        # The site finishes what it was given before the application comes back.
        time.sleep(SITE_DELAY_MS / 1000 + 0.5)
        if self.notes_in_journal() - self.notes_before:
            self.kill_points["with a send noted and not answered"] += 1
        self.settle_oui_marks()

    def settle_oui_marks(self):
        """After a "Oui", the sale asked about is the next one the site stores in that upload."""
        stored = self.stored_sales()
        for mark in self.oui_marks:
            if mark < len(stored):
                self.allowed[stored[mark]] += 1
        self.oui_marks = []

    def check(self):
        now = self.titles_in_file()
        stored = collections.Counter(self.stored_sales())
        may_vanish = 1 if self.last_action == "delete" else 0
        for title in sorted(self.saved - now):
            if stored[title]:
                continue  # uploaded
            if may_vanish:
                may_vanish -= 1  # the deletion that was killed had got that far
                self.deleted.add(title)
                continue
            self.counts["lost"] += 1
            print(f"LOST: {title!r}", file=sys.stderr)
        self.counts["checked"] += len(self.saved)
        doubled = {t: n - 1 - self.allowed[t] for t, n in stored.items() if n > 1 + self.allowed[t]}
        for title in doubled.keys() - self.reported_doubles():
            print(f"DOUBLED: {title!r} stored {stored[title]} times", file=sys.stderr)
        self.counts["doubled"] = sum(doubled.values())
        self.doubles = set(doubled)
        self.check_history(now, stored)
        self.counts["sent twice after Oui"] = sum(min(n - 1, self.allowed[t])
                                                  for t, n in stored.items() if n > 1)
        self.saved = now
        self.last_action = None

    def check_history(self, now, stored):
        """A sale that the site stored and that left Ventes.cds by no deletion went out through
        an upload that had the site's "OK": the history holds it, as often as the site stored it
        at most, and twice only after a "Oui". One still in Ventes.cds may be at the site without
        the application knowing it yet: the next upload asks."""
        history = self.titles_in_history()
        if self.last_action == "delete":
            # The deletion that was killed may have taken one that the site stored unbeknown.
            self.deleted.update(sorted(t for t in self.saved - now if stored[t] and not history[t])[:1])
        missing = sorted(t for t in stored if t not in now and t not in self.deleted
                         and not history[t])
        for title in missing:
            if title not in self.reported_missing:
                print(f"MISSING FROM THE HISTORY: {title!r}", file=sys.stderr)
        self.reported_missing = set(missing)
        self.counts["missing from the history"] = len(missing)
        extra = {t: n for t, n in history.items() if n > min(stored[t], 1 + self.allowed[t])}
        for title, n in sorted(extra.items()):
            print(f"TWICE IN THE HISTORY: {title!r} kept {n} times", file=sys.stderr)
        self.counts["too often in the history"] = len(extra)
        self.counts["in the history"] = sum(history.values())

    def reported_doubles(self):
        return getattr(self, "doubles", set())

    # --- the commands -------------------------------------------------------------------------

    def perform(self, action):
        self.last_action = action
        if action == "delete" and not self.saved:
            action = self.last_action = "import"
        begun = time.monotonic()
        getattr(self, "do_" + action)()
        if self.args.verbose:
            print(f"{action}: {time.monotonic() - begun:.2f} s", file=sys.stderr)

    def new_title(self, kind):
        self.serial += 1
        return f"{kind} {self.serial:05d}"

    def wait_file(self, what, probe, timeout=x.PATIENCE):
        x.poll(what, lambda: probe(self.titles_in_file()), timeout, abort=self.killed.is_set)

    def do_idle(self):
        x.poll("the kill", self.killed.is_set, timeout=SPANS["idle"] + 5)

    def do_import(self):
        titles = [self.new_title("Import") for _ in range(self.rng.randint(1, 6))]
        x.import_sales(self.desk, self.main, self.work,
                       [{"title": title, "reference": "R", "description": f"Description de {title}",
                         "photo": self.photos[0], "price": f"{self.rng.randint(1, 90)},50"}
                        for title in titles], self.arm)
        self.wait_file("the imported sales in Ventes.cds", lambda now: now.issuperset(titles))

    def do_delete(self):
        titles = self.titles_in_file()
        before = len(titles)
        self.desk.click(self.main, x.FIRST_ROW)
        self.arm()
        self.desk.click(self.main, x.DELETE)
        self.wait_file("one sale fewer in Ventes.cds", lambda now: len(now) == before - 1)
        self.deleted |= titles - self.titles_in_file()

    def do_editor(self):
        title = self.new_title("Saisie")
        sale = {"title": title, "description": f"Description de {title}", "reference": "S",
                "price": "25.5"}
        x.enter_sale(self.desk, self.main, sale, self.photos)
        self.wait_file("the new sale in Ventes.cds", lambda now: title in now)

    def do_upload(self):
        self.desk.click(self.main, x.UPLOAD)
        send = self.desk.wait_window(x.SEND)
        if not self.logged_in:
            self.desk.click(send, x.LOGIN)
            self.desk.type("demo")
            self.desk.click(send, x.PASSWORD)
            self.desk.type("demo")
            self.logged_in = True
        table = len(self.titles_in_file())
        stored_before = len(self.stored_sales())
        skipped = 0
        self.desk.click(send, x.START_SENDING)

        def ended():
            # A question and the closing message look alike from outside; but every sale before
            # the closing message is either stored by the site or left by a "Non".
            nonlocal skipped
            if self.desk.windows(x.MESSAGE):
                stored = len(self.stored_sales())
                question = stored - stored_before + skipped < table
                if self.args.verbose:
                    print(f"  box: stored {stored - stored_before}, skipped {skipped}, table "
                          f"{table}: {'question' if question else 'closing'}", file=sys.stderr)
                if question and self.rng.random() < OUI_RATE:
                    self.oui_marks.append(stored)
                    self.desk.key("Tab", "space")  # from "Non", the default, to "Oui"
                else:
                    skipped += question
                    self.desk.key("Escape")
                time.sleep(0.3)
                return False
            return not self.desk.windows(x.SEND)

        x.poll("the end of the upload", ended, timeout=120, interval=0.2,
               abort=self.killed.is_set)
        self.settle_oui_marks()

    def quit(self):
        self.desk.click(self.main, x.QUIT)
        x.poll("the application to end", lambda: self.app.poll() is not None)

    def report(self):
        c = self.counts
        print(f"crash campaign: {c['kills']} kills, {c['restarts']} restarts, "
              f"{c['checked']} sales checked, {c['lost']} lost, {c['doubled']} doubled "
              f"({c['sent twice after Oui']} sent again after \"Oui\"; "
              f"{len(self.stored_sales())} sales stored by the site; "
              f"{c['in the history']} in the history, {c['missing from the history']} missing "
              f"from it, {c['too often in the history']} kept too often; "
              f"{c['driver steps that did not happen']} driver steps that did not happen)")
        for point, count in sorted(self.kill_points.items()):
            print(f"  kills {point}: {count}")
        faults = (c["lost"], c["doubled"], c["missing from the history"],
                  c["too often in the history"])
        return 0 if not any(faults) else 1


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--catalogue", required=True)
    parser.add_argument("--out", required=True)
    parser.add_argument("--kills", type=int, default=100)
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--verbose", action="store_true", help="print each command's duration")
    parser.add_argument("--accepted-answer", default=None,
                        help="what the site answers to an accepted sale, as offrel-site's option "
                             "of that name reads it (for instance 'OK\\r\\n', as a real site may)")
    args = parser.parse_args()
    # Stopped from outside (a test time-out), it still stops what it started.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    if args.seed is None:
        args.seed = random.randrange(1 << 30)
    print(f"crash campaign: seed {args.seed}"
          + (f", the site answering {args.accepted_answer!r}" if args.accepted_answer else ""))
    os.makedirs(args.out, exist_ok=True)
    with tempfile.TemporaryDirectory(prefix="offrel-crash-") as work:
        try:
            return Campaign(args, work).run()
        except x.StepFailed as failure:
            print(f"FAILED: {failure}\nscreenshot in {args.out}", file=sys.stderr)
            return 1


if __name__ == "__main__":
    sys.exit(main())
