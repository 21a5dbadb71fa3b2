"""Finishes the ZIP that CPack made: signs the programs in it when a
certificate and key are given, writes it again so that the same sources
always give the same bytes, and writes SHA256SUMS into the output folder,
where CPack puts the ZIP.

The same bytes: entries in name order, each with the time of the source's
last commit (or SOURCE_DATE_EPOCH), the attributes of a plain file and no
extra fields.

Signing: VORLINDE_SIGN_CERT and VORLINDE_SIGN_KEY name PEM files, and
VORLINDE_SIGN_TIMESTAMP_URL optionally a time-stamping server (RFC 3161).
A signature holds its signing time, so a signed ZIP differs from build to
build; the programs inside are the same once the signature is removed.

Usage: seal_package.py ZIP OUTPUT_DIR SOURCE_DIR"""
import hashlib
import os
import subprocess
import sys
import tempfile
import time
import zipfile

ZIP_EPOCH = 315532800  # 1980-01-01, the earliest time a ZIP entry can hold
FILE_ATTRIBUTE_ARCHIVE = 0x20
CREATED_ON_FAT = 0  # external attributes are the Windows file attributes


def source_date(source_dir):
    """Seconds since 1970: SOURCE_DATE_EPOCH, else the last commit's time."""
    if "SOURCE_DATE_EPOCH" in os.environ:
        return int(os.environ["SOURCE_DATE_EPOCH"])
    try:
        out = subprocess.run(["git", "-C", source_dir, "log", "-1", "--format=%ct"],
                             capture_output=True, text=True, check=True).stdout
        return int(out)
    except (OSError, subprocess.CalledProcessError, ValueError):
        return ZIP_EPOCH


def signing_options():
    """osslsigncode's options for the configured certificate, or None."""
    cert = os.environ.get("VORLINDE_SIGN_CERT")
    key = os.environ.get("VORLINDE_SIGN_KEY")
    if not cert and not key:
        return None
    if not (cert and key):
        sys.exit("seal_package: VORLINDE_SIGN_CERT and VORLINDE_SIGN_KEY go together")
    options = ["-certs", cert, "-key", key, "-h", "sha256", "-n", "Vorlinde"]
    url = os.environ.get("VORLINDE_SIGN_TIMESTAMP_URL")
    if url:
        options += ["-ts", url]
    return options


def signed(name, data, options, folder):
    """The program's bytes with an Authenticode signature."""
    unsigned = os.path.join(folder, "unsigned-" + name)
    result = os.path.join(folder, name)
    with open(unsigned, "wb") as f:
        f.write(data)
    subprocess.run(["osslsigncode", "sign", *options, "-in", unsigned, "-out", result],
                   check=True, stdout=subprocess.DEVNULL)
    with open(result, "rb") as f:
        return f.read()


def entries(package):
    """{name: bytes} of the files in the ZIP, directories left out."""
    with zipfile.ZipFile(package) as z:
        return {i.filename: z.read(i) for i in z.infolist() if not i.is_dir()}


def write_zip(package, files, seconds):
    date_time = time.gmtime(max(seconds, ZIP_EPOCH))[:6]
    temporary = package + ".new"
    with zipfile.ZipFile(temporary, "w") as z:
        for name in sorted(files):
            info = zipfile.ZipInfo(name, date_time)
            info.create_system = CREATED_ON_FAT
            info.external_attr = FILE_ATTRIBUTE_ARCHIVE
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, files[name], compresslevel=9)
    os.replace(temporary, package)


def write_sums(package, output_dir):
    """In the form `sha256sum --check` reads."""
    with open(package, "rb") as f:
        digest = hashlib.sha256(f.read()).hexdigest()
    with open(os.path.join(output_dir, "SHA256SUMS"), "w", newline="\n") as f:
        f.write("%s  %s\n" % (digest, os.path.basename(package)))


def main(package, output_dir, source_dir):
    files = entries(package)
    options = signing_options()
    if options:
        with tempfile.TemporaryDirectory() as folder:
            for name in files:
                if name.lower().endswith(".exe"):
                    files[name] = signed(name, files[name], options, folder)
    write_zip(package, files, source_date(source_dir))
    write_sums(package, output_dir)


if __name__ == "__main__":
    main(*sys.argv[1:])
