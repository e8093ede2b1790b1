"""A self-signed code-signing certificate made with openssl, for signing
tests only: key and certificate as PEM (the certificate doubles as the CA
file for verifying) and both as a password-protected PKCS#12 file."""
import pathlib
import subprocess


def make_certificate(folder: pathlib.Path, password: str,
                     subject: str = "/CN=Throwaway Test Publisher") -> dict:
    folder.mkdir(parents=True, exist_ok=True)
    key, cert, p12 = folder / "key.pem", folder / "cert.pem", folder / "cert.p12"
    subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes",
                    "-keyout", str(key), "-out", str(cert), "-days", "3650",
                    "-subj", subject,
                    "-addext", "extendedKeyUsage=codeSigning",
                    "-addext", "keyUsage=critical,digitalSignature",
                    "-addext", "basicConstraints=critical,CA:FALSE"],
                   check=True, capture_output=True)
    subprocess.run(["openssl", "pkcs12", "-export", "-inkey", str(key), "-in", str(cert),
                    "-out", str(p12), "-passout", "pass:" + password],
                   check=True, capture_output=True)
    return {"key": key, "cert": cert, "p12": p12}
