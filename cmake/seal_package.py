"""Finishes a package that CPack made, or fails whole: signs the programs in
it when a certificate is given and checks each signature, writes it again
so that the same sources always give the same bytes, and writes SHA256SUMS
into the output folder, where CPack puts the package.

Fails whole: an earlier run's package and SHA256SUMS leave the output folder
first, and when any step fails, the package CPack made is deleted too, so
that CPack has nothing to copy there. The reason comes in one line.

The same bytes: entries in name order, each with the package date (see
package_date), the attributes of a plain file and no extra fields.

Signing (sign_and_verify), with either
- VORLINDE_SIGN_CERT and VORLINDE_SIGN_KEY naming PEM files, or
- VORLINDE_SIGN_PKCS12 naming a PKCS#12 file;
the password of the key or the PKCS#12 file is read from the file that
VORLINDE_SIGN_PASSWORD_FILE names, never from the environment or a command
line. VORLINDE_SIGN_TIMESTAMP_URL optionally names a time-stamping server
(RFC 3161). A signature holds its signing time, so a signed package differs
from build to build; the programs inside are the same once the signature is
removed.

The functions below serve any package; main() seals a ZIP.

Usage: seal_package.py PACKAGE OUTPUT_DIR SOURCE_DIR"""
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time
import zipfile

# The times a ZIP entry can hold: 1980-01-01 00:00:00 to 2107-12-31
# 23:59:58 UTC.
EARLIEST_DATE = 315532800
LATEST_DATE = 4354819198
FILE_ATTRIBUTE_ARCHIVE = 0x20
CREATED_ON_FAT = 0  # external attributes are the Windows file attributes
SUMS = "SHA256SUMS"
# Trusted besides the publisher's certificate when a signature is checked,
# so that a certificate file without its root still verifies.
SYSTEM_CERTIFICATES = "/etc/ssl/certs/ca-certificates.crt"


class SealError(Exception):
    """A step that failed, with the reason in one line."""


def package_date(source_dir):
    """Seconds since 1970 for every entry of a package: SOURCE_DATE_EPOCH if
    set, else the time of the source's last commit. Where neither is there,
    the earliest ZIP time, said in one line on stderr."""
    text = os.environ.get("SOURCE_DATE_EPOCH")
    if text is not None:
        if not re.fullmatch(r"[0-9]+", text) or not EARLIEST_DATE <= int(text) <= LATEST_DATE:
            raise SealError("SOURCE_DATE_EPOCH=%r is not a whole number of seconds from %d "
                            "(1980-01-01) to %d (2107-12-31 23:59:58 UTC)"
                            % (text, EARLIEST_DATE, LATEST_DATE))
        return int(text)
    try:
        git = subprocess.run(["git", "-C", source_dir, "log", "-1", "--format=%ct"],
                             capture_output=True, text=True)
        reason = (git.stderr.strip().splitlines() or ["no commit"])[0]
        if git.returncode == 0 and git.stdout.strip().isdigit():
            seconds = int(git.stdout)
            if not EARLIEST_DATE <= seconds <= LATEST_DATE:
                raise SealError("the last commit's time %d lies outside what a ZIP can hold"
                                % seconds)
            return seconds
    except OSError as e:
        reason = "git: %s" % e.strerror
    print("seal_package: no commit time (%s) and no SOURCE_DATE_EPOCH: the package's entries "
          "carry 1980-01-01 00:00:00 UTC; to compare with a build of the commit, set "
          "SOURCE_DATE_EPOCH to its time (git log -1 --format=%%ct)" % reason, file=sys.stderr)
    return EARLIEST_DATE


def signing_config():
    """The signing options from the environment, as osslsigncode takes them,
    with the certificates a signature is checked against; None when no
    certificate is given."""
    cert = os.environ.get("VORLINDE_SIGN_CERT")
    key = os.environ.get("VORLINDE_SIGN_KEY")
    pkcs12 = os.environ.get("VORLINDE_SIGN_PKCS12")
    password = os.environ.get("VORLINDE_SIGN_PASSWORD_FILE")
    if not (cert or key or pkcs12):
        if password:
            raise SealError("VORLINDE_SIGN_PASSWORD_FILE is set, but no certificate")
        return None
    if pkcs12 and (cert or key):
        raise SealError("VORLINDE_SIGN_PKCS12 and VORLINDE_SIGN_CERT/KEY exclude each other")
    if not pkcs12 and not (cert and key):
        raise SealError("VORLINDE_SIGN_CERT and VORLINDE_SIGN_KEY go together")
    for path in filter(None, (cert, key, pkcs12, password)):
        if not os.path.isfile(path):
            raise SealError("%s: no such file" % path)
    options = ["-pkcs12", pkcs12] if pkcs12 else ["-certs", cert, "-key", key]
    if password:
        options += ["-readpass", password]
    options += ["-h", "sha256", "-n", "Vorlinde"]
    url = os.environ.get("VORLINDE_SIGN_TIMESTAMP_URL")
    if url:
        options += ["-ts", url]
    return {"options": options, "cert": cert, "pkcs12": pkcs12, "password": password,
            "timestamp": bool(url)}


def run_tool(args, what):
    """Runs a signing tool; on failure a SealError names `what`, with the
    first lines in which the tool says what failed (OpenSSL's error queue
    left out)."""
    result = subprocess.run(args, stdin=subprocess.DEVNULL, capture_output=True, text=True)
    if result.returncode != 0:
        said = [line.strip() for line in (result.stdout + result.stderr).splitlines()
                if re.search(r"fail|unable|unsupported|wrong|error", line, re.IGNORECASE)
                and not re.match(r"[0-9A-F]+:error:|Failed$", line.strip())]
        raise SealError("%s failed: %s" % (what, " / ".join(said[:3]) or "exit code %d"
                                           % result.returncode))
    return result.stdout


def trusted_certificates(config, folder):
    """A file of the publisher's certificates (and the system's roots) that a
    signature made with `config` must verify against."""
    path = os.path.join(folder, "trusted.pem")
    if config["pkcs12"]:
        passin = "file:" + config["password"] if config["password"] else "pass:"
        for legacy in ([], ["-legacy"]):  # older files use ciphers OpenSSL 3 keeps apart
            try:
                run_tool(["openssl", "pkcs12", "-in", config["pkcs12"], "-nokeys", "-passin",
                          passin, "-out", path, *legacy], "reading the PKCS#12 certificates")
                break
            except SealError:
                if legacy:
                    raise
    else:
        shutil.copyfile(config["cert"], path)
    if os.path.isfile(SYSTEM_CERTIFICATES):
        with open(path, "ab") as out, open(SYSTEM_CERTIFICATES, "rb") as system:
            out.write(b"\n" + system.read())
    return path


def sign_and_verify(path, config, folder):
    """Signs the file at `path` in place (a program, or an installer
    package), then checks the signature against the signing certificate;
    `folder` takes temporary files."""
    name = os.path.basename(path)
    signed = os.path.join(folder, "signed-" + name)
    run_tool(["osslsigncode", "sign", *config["options"], "-in", path, "-out", signed],
             "signing " + name)
    trusted = trusted_certificates(config, folder)
    verify = ["osslsigncode", "verify", "-CAfile", trusted, "-in", signed]
    if config["timestamp"]:
        verify += ["-TSA-CAfile", trusted]
    # Only the signature is checked here: no revocation lists fetched on the way.
    usage = subprocess.run(["osslsigncode", "--help"], capture_output=True, text=True)
    if "-ignore-cdp" in usage.stdout + usage.stderr:
        verify.append("-ignore-cdp")
    run_tool(verify, "checking the signature of " + name)
    os.replace(signed, path)


def entries(package):
    """{name: bytes} of the files in the ZIP, directories left out."""
    with zipfile.ZipFile(package) as z:
        return {i.filename: z.read(i) for i in z.infolist() if not i.is_dir()}


def write_zip(package, files, seconds):
    date_time = time.gmtime(seconds)[:6]
    temporary = package + ".new"
    with zipfile.ZipFile(temporary, "w") as z:
        for name in sorted(files):
            info = zipfile.ZipInfo(name, date_time)
            info.create_system = CREATED_ON_FAT
            info.external_attr = FILE_ATTRIBUTE_ARCHIVE
            info.compress_type = zipfile.ZIP_DEFLATED
            z.writestr(info, files[name], compresslevel=9)
    os.replace(temporary, package)


def write_sums(packages, output_dir):
    """In the form `sha256sum --check` reads."""
    lines = []
    for package in packages:
        with open(package, "rb") as f:
            lines.append("%s  %s\n" % (hashlib.sha256(f.read()).hexdigest(),
                                       os.path.basename(package)))
    with open(os.path.join(output_dir, SUMS), "w", newline="\n") as f:
        f.writelines(lines)


def discard(*paths):
    for path in paths:
        if os.path.exists(path):
            os.remove(path)


def fail_whole(step, package, output_dir):
    """Runs `step`; if it fails, no package and no SHA256SUMS are left in
    `output_dir`, CPack's `package` is gone too, and the reason is printed.
    An earlier run's files leave the output folder in any case. Returns the
    exit code."""
    stale = [os.path.join(output_dir, SUMS)]
    if os.path.abspath(output_dir) != os.path.abspath(os.path.dirname(package)):
        stale.append(os.path.join(output_dir, os.path.basename(package)))
    discard(*stale)
    try:
        step()
        return 0
    except (SealError, OSError, zipfile.BadZipFile) as e:
        discard(package, *stale)
        print("seal_package: %s; packaging failed, and %s holds neither %s nor %s"
              % (e, output_dir, os.path.basename(package), SUMS), file=sys.stderr)
        return 1


def seal_zip(package, output_dir, source_dir):
    files = entries(package)
    seconds = package_date(source_dir)
    config = signing_config()
    if config:
        with tempfile.TemporaryDirectory() as folder:
            for name in sorted(files):
                if name.lower().endswith(".exe"):
                    path = os.path.join(folder, name)
                    with open(path, "wb") as f:
                        f.write(files[name])
                    sign_and_verify(path, config, folder)
                    with open(path, "rb") as f:
                        files[name] = f.read()
    write_zip(package, files, seconds)
    write_sums([package], output_dir)


def main(package, output_dir, source_dir):
    return fail_whole(lambda: seal_zip(package, output_dir, source_dir), package, output_dir)


if __name__ == "__main__":
    sys.exit(main(*sys.argv[1:]))
