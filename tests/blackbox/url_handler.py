"""url_recorder as the prefix's handler for http: it appends the command line
the shell started it with to a file, so that a test sees exactly what the
shell handed over."""
import os
import shutil
import time

from button import URL
from scenario import TWIN, WINE, BlackBoxTest, import_registry, work_folder

RECORDER = os.path.join(WINE.drive_c, "bb-tools", "url_recorder.exe")
HTTP_COMMAND_KEY = r"HKEY_CLASSES_ROOT\http\shell\open\command"
# The shell in the program's own process reads HKEY_CLASSES_ROOT in its own
# view: the 64-bit one for the 64-bit twin.
SHELL_BITS = 64 if TWIN else 32
# The shell starts the handler and does not wait for it.
RECORDER_WAIT_SECONDS = 10


def regedit4_string(text):
    return '"%s"' % text.replace("\\", "\\\\").replace('"', '\\"')


class RecordingHandler:
    """Puts url_recorder into the prefix; `restore` brings back the prefix's
    own http handler."""

    def __init__(self):
        os.makedirs(os.path.dirname(RECORDER), exist_ok=True)
        shutil.copyfile(os.environ["VORLINDE_URL_RECORDER"], RECORDER)
        self.saved = os.path.join(os.path.dirname(RECORDER), "http-handler.reg")
        WINE.reg("export", HTTP_COMMAND_KEY, WINE.windows_path(self.saved), "/y", bits=SHELL_BITS)

    def restore(self):
        WINE.reg("import", WINE.windows_path(self.saved), bits=SHELL_BITS)

    @staticmethod
    def install(record):
        """Makes url_recorder the http handler where the program's shell
        looks, appending to `record`; the line expected there for the URL."""
        command = '"%s" "%s" ' % (WINE.windows_path(RECORDER), WINE.windows_path(record))
        fixture = "REGEDIT4\n\n[%s]\n@=%s\n" % (HTTP_COMMAND_KEY,
                                                regedit4_string(command + '"%1"'))
        import_registry(work_folder("url-handler"), fixture, bits=SHELL_BITS)
        return command.encode("cp1252") + b'"' + URL + b'"\r\n'


def recorded(record, seconds):
    """The recorder's complete lines, once some are there; None when none
    came within `seconds`."""
    deadline = time.monotonic() + seconds
    while True:
        if os.path.exists(record):
            with open(record, "rb") as f:
                content = f.read()
            if content.endswith(b"\r\n"):
                return content
        if time.monotonic() >= deadline:
            return None
        time.sleep(0.05)


class RecordingHandlerTest(BlackBoxTest):
    """Cases that find url_recorder ready as `self.handler` while they run."""

    @classmethod
    def setUpClass(cls):
        cls.handler = RecordingHandler()

    @classmethod
    def tearDownClass(cls):
        cls.handler.restore()
