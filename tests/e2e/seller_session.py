#!/usr/bin/env python3
"""A seller's session in the real application, checked on the site's store and the files left
behind: start-up refresh, import of a sales file, a new sale typed in the editor, a change of it,
the upload and the quit. Every step leaves a screenshot in --out; a step that does not happen
fails the run with the screenshot of the moment."""

import argparse
import glob
import json
import os
import subprocess
import sys
import tempfile

sys.dont_write_bytecode = True
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import xdrive as x  # noqa: E402

IMPORTED = [
    {"title": "Lampe de bureau", "reference": "IMP-1", "description": "Lampe en laiton", "price": "12,50"},
    {"title": "Table basse", "reference": "IMP-2", "description": "Chêne massif", "price": "40"},
]
TYPED = {"title": "Vase bleu", "description": "Vase en verre soufflé", "reference": "REF-7",
         "price": "25.5"}
CHANGED_TITLE = "Vase bleu nuit"


class Session:
    def __init__(self, args, work):
        self.args = args
        self.work = work
        self.out = args.out
        self.step = 0
        os.makedirs(self.out, exist_ok=True)
        self.photos = []
        for n, colour in enumerate(["red", "green", "blue", "orange"]):
            path = os.path.join(work, f"photo{n + 1}.jpg")
            subprocess.run(["convert", "-size", "64x48", f"gradient:{colour}-white", path], check=True)
            self.photos.append(path)

    def shot(self, name):
        self.step += 1
        self.desk.screenshot(os.path.join(self.out, f"{self.step:02d}-{name}.png"))

    def run(self):
        self.display = x.VirtualDisplay()
        self.desk = x.Desktop(self.display)
        self.site, url = x.start_site(self.args.bin, os.path.join(self.work, "store"), self.args.catalogue)
        self.app_dir = os.path.join(self.work, "app")
        self.executable = x.install_app(self.args.bin, self.app_dir)
        self.app = x.start_app(self.display, self.executable, url)
        self.desk.abort = lambda: self.app.poll() is not None  # nothing comes from an ended one
        try:
            self.start_up()
            self.import_sales()
            self.new_sale()
            self.change_sale()
            self.upload()
            self.quit()
            self.check()
        except Exception:
            self.shot("failure")
            # What the application itself said: a start that shows no window says why here.
            print(x.app_said(self.executable, self.app), file=sys.stderr)
            raise
        finally:
            for process in (self.app, self.site):
                if process.poll() is None:
                    process.kill()
                process.wait()
            self.display.close()

    def start_up(self):
        self.main = self.desk.wait_window(x.MAIN)
        for name in ("Options.csv", "Categories.csv"):
            x.poll(f"{name} from the start-up refresh",
                   lambda name=name: self.same_bytes(os.path.join(self.app_dir, name),
                                                     os.path.join(self.args.catalogue, name)))
        self.desk.wait_gone(x.UPDATE)
        self.shot("start-up")

    def import_sales(self):
        x.import_sales(self.desk, self.main, self.work,
                       [dict(sale, photo=self.photos[2 + n]) for n, sale in enumerate(IMPORTED)])
        self.shot("import")

    def new_sale(self):
        x.enter_sale(self.desk, self.main, TYPED, self.photos[:2], self.shot)
        self.shot("new-sale")

    def change_sale(self):
        # The list shows the newest sale on its first row.
        self.desk.click(self.main, x.FIRST_ROW)
        self.desk.click(self.main, x.CHANGE_SALE)
        editor = self.desk.wait_window(x.EDITOR)
        self.desk.click(editor, x.TITLE)
        self.desk.key("ctrl+a")
        self.desk.type(CHANGED_TITLE)
        for n in range(4):
            self.desk.click(editor, x.NEXT_PAGE)
        self.shot("change")
        self.desk.click(editor, x.VALIDATE)
        self.desk.wait_gone(x.EDITOR)

    def store_sales(self):
        records = []
        for path in sorted(glob.glob(os.path.join(self.work, "store", "[0-9]*", "vente.json"))):
            with open(path, encoding="utf-8") as file:
                records.append((os.path.dirname(path), json.load(file)))
        return records

    def upload(self):
        self.desk.click(self.main, x.UPLOAD)
        send = self.desk.wait_window(x.SEND)
        self.desk.click(send, x.LOGIN)
        self.desk.type("demo")
        self.desk.click(send, x.PASSWORD)
        self.desk.type("demo")
        self.shot("send")
        self.desk.click(send, x.START_SENDING)

        def answered():
            # Every message box of the upload is dismissed until all three sales are stored.
            for box in self.desk.windows(x.MESSAGE):
                self.shot("message")
                self.desk.key("Return")
            return len(self.store_sales()) == 3 and not self.desk.windows(x.MESSAGE)

        x.poll("three sales in the site's store", answered, timeout=2 * x.PATIENCE, interval=0.3)
        self.shot("sent")
        self.desk.wait_gone(x.SEND)  # the run closes it

    def quit(self):
        self.desk.click(self.main, x.QUIT)
        x.poll("the application to end", lambda: self.app.poll() is not None)
        if self.app.returncode != 0:
            raise x.StepFailed(x.app_said(self.executable, self.app))

    @staticmethod
    def same_bytes(a, b):
        if not os.path.exists(a):
            return False
        with open(a, "rb") as fa, open(b, "rb") as fb:
            return fa.read() == fb.read()

    def check(self):
        failures = []
        for name in ("Options.csv", "Categories.csv"):
            if not self.same_bytes(os.path.join(self.app_dir, name), os.path.join(self.args.catalogue, name)):
                failures.append(f"{name} differs from the site's catalogue")

        expected = {sale["title"]: (sale, [self.photos[2 + n]]) for n, sale in enumerate(IMPORTED)}
        expected[CHANGED_TITLE] = (dict(TYPED, title=CHANGED_TITLE), self.photos[:2])
        received = {}
        for folder, record in self.store_sales():
            values = [str(v) for v in record["fields"].values()]
            title = next((t for t in expected if t in values), None)
            if title is None:
                failures.append(f"{folder}: a sale nobody entered: {record['fields']}")
                continue
            received[title] = True
            sale, photos = expected[title]
            for key in ("description", "reference"):
                if sale[key] not in values:
                    failures.append(f"{folder}: {key} {sale[key]!r} missing from {values}")
            stored = [os.path.join(folder, photo["file"]) for photo in record["photos"]]
            if len(stored) != len(photos) or not all(map(self.same_bytes, stored, photos)):
                failures.append(f"{folder}: photos {stored} are not the bytes of {photos}")
        for title in expected:
            if title not in received:
                failures.append(f"the site never received {title!r}")

        dump = subprocess.run([os.path.join(self.args.bin, "offrel-cds"), "--json",
                               os.path.join(self.app_dir, "Ventes.cds")],
                              capture_output=True, text=True)
        if dump.returncode != 0:
            failures.append(f"offrel-cds cannot read Ventes.cds: {dump.stderr}")
        else:
            json.loads(dump.stdout)
            for title in expected:
                if json.dumps(title, ensure_ascii=False) not in dump.stdout:
                    failures.append(f"Ventes.cds lacks the sale {title!r}")
        if failures:
            raise x.StepFailed("\n".join(failures))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--bin", required=True)
    parser.add_argument("--catalogue", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()
    with tempfile.TemporaryDirectory(prefix="offrel-e2e-") as work:
        try:
            Session(args, work).run()
        except x.StepFailed as failure:
            print(f"FAILED: {failure}\nscreenshots in {args.out}", file=sys.stderr)
            return 1
    print("seller session passed")
    return 0


if __name__ == "__main__":
    sys.exit(main())
