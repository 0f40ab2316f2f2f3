"""Drives the real application from outside, as a seller would: a virtual X display, the stand-in
site, and xdotool clicks at the controls' places within the windows."""

import os
import re
import shutil
import subprocess
import threading
import time


class StepFailed(Exception):
    pass


# How long a step may take before the run fails. A window shows within a second on a quiet
# machine; a test run beside two compilers has been seen to take over 20 s for a file dialog.
PATIENCE = 90.0


def poll(what, probe, timeout=PATIENCE, interval=0.1, abort=lambda: False):
    """Returns probe()'s first true value, or fails once timeout seconds have passed or abort()
    says that nothing will come."""
    end = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if abort():
            raise StepFailed(f"stopped waiting for {what}")
        if time.monotonic() > end:
            raise StepFailed(f"timed out waiting for {what}")
        time.sleep(interval)


class VirtualDisplay:
    def __init__(self, screen="1280x1024"):
        read_end, write_end = os.pipe()
        # -noreset: by default the server starts over whenever its last client leaves, and drops
        # any client that connected meanwhile ("could not connect to display"). Between two
        # starts of the application, or two calls of xdotool, that happens; under load, often.
        # Starting over would also forget the keys that xmodmap bound.
        self.server = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_end), "-screen", "0", f"{screen}x24", "-nolisten", "tcp",
             "-noreset"],
            pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_end)
        with os.fdopen(read_end) as reader:
            number = reader.readline().strip()
        if not number:
            raise StepFailed("Xvfb did not start")
        self.name = f":{number}"

    def env(self):
        env = dict(os.environ, DISPLAY=self.name, QT_QPA_PLATFORM="xcb")
        env.pop("WAYLAND_DISPLAY", None)
        return env

    def close(self):
        self.server.terminate()
        self.server.wait(timeout=10)


class Desktop:
    """xdotool and ImageMagick against one display; every window is found by its caption. Places
    are given in the windows' own pixels, which the application's scale makes larger on screen."""

    def __init__(self, display, scale=1):
        self.env = display.env()
        self.scale = scale
        # A driver that kills the application sets this, so that no wait outlives it.
        self.abort = lambda: False
        self.keyed = set()  # characters given a key of their own by give_keys

    def run(self, *args):
        result = subprocess.run(args, env=self.env, capture_output=True, text=True)
        return result.stdout if result.returncode == 0 else ""

    def windows(self, title_pattern):
        return self.run("xdotool", "search", "--onlyvisible", "--name", title_pattern).split()

    def title(self, window):
        """The window's title as the desktop shows it (_NET_WM_NAME)."""
        shown = subprocess.run(["xprop", "-id", window, "-notype", "_NET_WM_NAME"],
                               env=dict(self.env, LC_ALL="C.UTF-8"), capture_output=True,
                               encoding="utf-8").stdout
        match = re.search(r'= "(.*)"$', shown.strip())
        return re.sub(r"\\(.)", r"\1", match.group(1)) if match else None

    def wait_window(self, title_pattern, timeout=PATIENCE):
        """The window whose name matches, once on screen; its desktop title must match too."""
        try:
            window = poll(f'window "{title_pattern}"',
                          lambda: (self.windows(title_pattern) or [None])[-1], timeout,
                          abort=self.abort)
        except StepFailed as failure:
            raise StepFailed(f"{failure}; on screen: {self.shown_titles()}") from None
        title = self.title(window)
        if title is None or not re.search(title_pattern, title):
            raise StepFailed(f'the desktop shows the window "{title_pattern}" as {title!r}')
        return window

    def shown_titles(self):
        """The titles of the windows on screen, popups and menus included, for a failure's
        message."""
        return [self.title(window) for window in
                self.run("xdotool", "search", "--onlyvisible", "--classname", ".").split()]

    def wait_gone(self, title_pattern, timeout=PATIENCE):
        poll(f'window "{title_pattern}" to close', lambda: not self.windows(title_pattern), timeout,
             abort=self.abort)

    def origin(self, window):
        shell = self.run("xdotool", "getwindowgeometry", "--shell", window)
        values = dict(re.findall(r"(\w+)=(-?\d+)", shell))
        if "X" not in values:
            raise StepFailed(f"window {window} is gone")
        return int(values["X"]), int(values["Y"])

    def click(self, window, rect):
        """Clicks in the middle of rect = (left, top, width, height), in the window's client area."""
        x, y = self.origin(window)
        left, top, width, height = (self.scale * value for value in rect)
        self.run("xdotool", "mousemove", "--sync", str(x + left + width // 2),
                 str(y + top + height // 2), "click", "1")
        time.sleep(0.15)

    def type(self, text):
        self.give_keys(text)
        self.run("xdotool", "type", "--delay", "20", text)

    def give_keys(self, text):
        """Gives each character of text that the keyboard lacks ("é") a spare key of its own for
        the rest of the run. Left to xdotool, such a character is bound to a spare key for one
        press and unbound at once: an application too busy to read the press before the unbinding
        gets nothing, and the text loses that letter."""
        missing = sorted({c for c in text if ord(c) > 0x7E} - self.keyed)
        if not missing:
            return
        spare = re.findall(r"^keycode\s+(\d+) =\s*$", self.run("xmodmap", "-pke"), re.M)
        if len(spare) < len(missing):
            raise StepFailed(f"no spare key left for {''.join(missing)!r}")
        bindings = [arg for key, c in zip(spare, missing)
                    for arg in ("-e", f"keycode {key} = U{ord(c):04X}")]
        if subprocess.run(["xmodmap", *bindings], env=self.env).returncode != 0:
            raise StepFailed(f"xmodmap could not bind {''.join(missing)!r}")
        self.keyed.update(missing)

    def key(self, *keys):
        self.run("xdotool", "key", "--delay", "40", *keys)

    def screenshot(self, path, window="root"):
        self.run("import", "-window", window, str(path))

    def wait_focus(self, window, timeout=PATIENCE):
        """Waits until the window holds the keyboard: keys typed before that are lost, which a
        busy machine makes likely right after a window appears."""
        poll(f"window {window} to take the keyboard",
             lambda: self.run("xdotool", "getwindowfocus").strip() == window, timeout,
             abort=self.abort)

    def choose_file(self, path, answering=lambda: None):
        """Answers the file dialog that is opening with a full path; answering() is called just
        before the answer is given."""
        self.wait_focus(self.wait_window(FILE_DIALOG))
        self.type(path)
        answering()
        self.key("Return")
        self.wait_gone(FILE_DIALOG)

    def choose(self, window, box, text):
        """Chooses the entry of a drop-down list that begins with text: the click opens its list,
        in a window of its own, where the text is typed and Return takes the entry."""
        def shown():
            return len(self.run("xdotool", "search", "--onlyvisible", "--classname", ".").split())

        before = shown()
        self.click(window, box)
        poll("the list to open", lambda: shown() > before, abort=self.abort)
        self.type(text)
        self.key("Return")
        poll("the list to close", lambda: shown() == before, abort=self.abort)


def start_site(bin_dir, store, catalogue=None, delay_ms=0, throttle_kbps=0, accepted_answer=None):
    """The site of bin_dir, serving catalogue or, without it, the one shipped beside it; it answers
    an accepted sale with accepted_answer (escapes as offrel-site reads them) when given."""
    options = ["--catalogue", str(catalogue)] if catalogue else []
    if accepted_answer is not None:
        options += ["--accepted-answer", accepted_answer]
    site = subprocess.Popen([os.path.join(bin_dir, "offrel-site"), "--port", "0", "--store", str(store),
                             "--delay", str(delay_ms), "--throttle", str(throttle_kbps), *options],
                            stdout=subprocess.PIPE, text=True)
    line = site.stdout.readline()
    match = re.search(r"(http://127\.0\.0\.1:\d+/\S+)", line)
    if not match:
        site.kill()
        raise StepFailed(f"offrel-site did not say where it listens: {line!r}")
    # The site writes a line per request: a pipe left unread would stop it at its first 64 KB.
    threading.Thread(target=site.stdout.read, daemon=True).start()
    return site, match.group(1)


def install_app(bin_dir, folder):
    """A fresh copy of the application and its help page, so that its tables start empty."""
    os.makedirs(folder, exist_ok=True)
    for name in ("offrel", "aide.html"):
        shutil.copy2(os.path.join(bin_dir, name), folder)
    return os.path.join(folder, "offrel")


def app_log(executable):
    """The file beside the application's folder where each of its starts writes its error output:
    a pipe that nobody reads while it runs would stop it at its first 64 KB."""
    return os.path.join(os.path.dirname(os.path.dirname(executable)), "offrel-stderr.txt")


def app_said(executable, process):
    """The end of what the application wrote on its error output, once it has ended (it is
    killed first if it still runs)."""
    if process.poll() is None:
        process.kill()
    process.wait()
    with open(app_log(executable), "rb") as log:
        said = log.read()[-4000:].decode(errors="replace")
    return f"application (exit {process.returncode}) said:\n{said}"


def start_app(display, executable, server_url, scale=1):
    """The application on the display, at a desktop scale of scale (QT_SCALE_FACTOR)."""
    env = dict(display.env(), OFFREL_SERVER_URL=server_url, QT_SCALE_FACTOR=str(scale))
    env.pop("OFFREL_DATA_DIR", None)  # the copy keeps its files beside itself
    with open(app_log(executable), "ab") as log:
        return subprocess.Popen([executable], cwd=os.path.dirname(executable), env=env,
                                stdout=subprocess.DEVNULL, stderr=log)


# Captions and control places (client-area pixels) of the windows.
MAIN = "^Offrel Brivax - Liste des ventes$"
UPDATE = "^Offrel Brivax - Mise à jour$"
EDITOR = "^Offrel Brivax - Saisie d'une vente$"
SEND = "^Offrel Brivax - Envoi des ventes$"
DEBUG = "^Brivax Offrel - Debug Window$"
MESSAGE = "^Offrel Brivax$"
FILE_DIALOG = "^(Ouvrir|Open|Ouvrir un fichier|.*\\.csv.*)$"

FIRST_ROW = (100, 57 + 17, 300, 14)
PANEL2_TOP = 490
NEW_SALE = (4, PANEL2_TOP + 6, 88, 25)
CHANGE_SALE = (98, PANEL2_TOP + 6, 103, 25)
IMPORT = (346, PANEL2_TOP + 6, 75, 25)
UPLOAD = (427, PANEL2_TOP + 6, 152, 25)
QUIT = (585, PANEL2_TOP + 6, 100, 25)
DELETE = (207, PANEL2_TOP + 6, 123, 25)

# The editor's pages sit below the tab bar of PageControlVente.
PAGE_LEFT, PAGE_TOP = 2, 25


def page(rect):
    left, top, width, height = rect
    return (left + PAGE_LEFT, top + PAGE_TOP, width, height)


NEXT_PAGE = (127, 390 + 6, 106, 25)
TITLE = page((16, 32, 457, 21))
DESCRIPTION = page((16, 78, 457, 120))
CATEGORY_BOXES = [page((3, 147 + 27 * level, 198, 21)) for level in range(7)]
# Two categories without children in the shipped tree, as typed in the lists level by level.
CATEGORY_PATHS = [["Maison", "Mobilier", "Cuisine", "Tables"],
                  ["Maison", "Mobilier", "Cuisine", "Chaises"]]
ADD_CATEGORY = page((207, 147, 82, 25))
OPTION_BOXES = [page((19, 19 + 23 * n, 200, 17)) for n in range(7)]
PHOTO_BUTTONS = [page((100, 24, 125, 25)), page((100, 104, 125, 25))]
REFERENCE = page((32, 40, 153, 21))
FIXED_PRICE = page((24, 136, 170, 20))
PRICE = page((32, 296, 153, 21))
DURATION = page((258, 40, 177, 21))
VALIDATE = page((242, 296, 207, 39))

LOGIN = (165, 8, 121, 21)
PASSWORD = (165, 38, 121, 21)
START_SENDING = (110, 121, 75, 24)
STOP_SENDING = (191, 121, 75, 24)


def import_sales(desk, main, folder, sales, answering=lambda: None):
    """Writes a sales file in folder, one line per sale (title, reference, description, photo,
    price: a fixed price of 7 days, renewed, in category 19872), and imports it; answering() is
    called just before the file is given, when the import is about to begin."""
    lines = ["categorie;titre;reference;description;photo1;photo2;photo3;prix;net;duree;renouv"]
    for sale in sales:
        lines.append(f"19872;{sale['title']};{sale['reference']};{sale['description']};"
                     f"{sale['photo']};;;{sale['price']};Y;7;Y")
    path = os.path.join(folder, "ventes.csv")
    with open(path, "w", encoding="utf-8") as file:
        file.write("\r\n".join(lines) + "\r\n")
    desk.click(main, IMPORT)
    desk.choose_file(path, answering)


def enter_sale(desk, main, sale, photos, shot=lambda name: None):
    """Types a new sale in the editor as a seller would and validates it: title and description,
    the two categories of CATEGORY_PATHS, the first two options, the photos, the reference, a
    fixed price and a duration of 3 days. shot(name) is called at each page."""
    desk.click(main, NEW_SALE)
    editor = desk.wait_window(EDITOR)
    for box, text in ((TITLE, sale["title"]), (DESCRIPTION, sale["description"])):
        desk.click(editor, box)
        desk.key("ctrl+a")
        desk.type(text)
    shot("editor-title")

    def next_page(name):
        desk.click(editor, NEXT_PAGE)
        shot(name)

    next_page("editor-categories")
    for path in CATEGORY_PATHS:
        for level, name in enumerate(path):
            desk.choose(editor, CATEGORY_BOXES[level], name)
        desk.click(editor, ADD_CATEGORY)
    shot("editor-categories-chosen")
    next_page("editor-options")
    desk.click(editor, OPTION_BOXES[0])
    desk.click(editor, OPTION_BOXES[1])
    next_page("editor-photos")
    for button, photo in zip(PHOTO_BUTTONS, photos):
        desk.click(editor, button)
        # The click just after the previous file dialog closed has been seen lost without a
        # trace, the editor idle: it is given again when no dialog comes.
        try:
            poll("the file dialog", lambda: desk.windows(FILE_DIALOG), timeout=10,
                 abort=desk.abort)
        except StepFailed:
            desk.click(editor, button)
        desk.choose_file(photo)
    next_page("editor-terms")
    desk.click(editor, REFERENCE)
    desk.key("ctrl+a")
    desk.type(sale["reference"])
    desk.click(editor, FIXED_PRICE)
    desk.click(editor, PRICE)
    desk.key("ctrl+a")
    desk.type(sale["price"])
    desk.choose(editor, DURATION, "3")
    shot("editor-terms-filled")
    desk.click(editor, VALIDATE)
    desk.wait_gone(EDITOR)
