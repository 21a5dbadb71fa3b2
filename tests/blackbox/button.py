"""What the program promises, written out independently of its sources."""
KEY_GUID = "{8A918C1D-E123-4E36-B562-5C1519E434CE}"
COMPANION_GUID = "{76577871-04EC-495E-A12B-91F7C3600AFA}"
CLSID = "{1FBA04EE-3024-11D2-8F1F-0000F87ABD16}"
CAPTION = b"Lindwurm B\xfccher"
URL = b"http://www.lindwurm-buecher.example/exec/partner/redirect-home?tag=vorlinde-21&site=home"

EXTENSIONS = r"HKEY_LOCAL_MACHINE\SOFTWARE\Microsoft\Internet Explorer\Extensions".lower()
OWN_KEY = (EXTENSIONS + "\\" + KEY_GUID).lower()
LOW_REGISTRY = r"HKEY_CURRENT_USER\Software\Microsoft\Internet Explorer\LowRegistry".lower()
COMMAND_BAR = LOW_REGISTRY + r"\commandbar"

SEVEN_VALUES = ("", "ButtonText", "Default Visible", "Exec", "Icon", "HotIcon", "clsid")


def layout(hex_text):
    """Layout bytes from "07 00 00 00 ..." text."""
    return bytes.fromhex(hex_text)


DEFAULT_ENTRIES = ["07 00 00 00", "01 01 00 00", "03 01 00 00", "04 01 00 00",
                   "05 01 00 00", "06 01 00 00", "07 01 00 00"]


def default_layout_with(command_id, index):
    """The browser's default layout with the button's entry (flag 1) at
    `index`."""
    entries = list(DEFAULT_ENTRIES)
    entries.insert(index, "%02x 01 00 00" % command_id)
    return layout(" ".join(entries))
