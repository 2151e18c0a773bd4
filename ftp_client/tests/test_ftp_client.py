"""End-to-end tests of ftp_client: the program driven through its standard input against a real
FTP server on 127.0.0.1:21 (pyftpdlib; for the case vsftpd_session, Debian's vsftpd with anonymous
access), its whole output compared with the expected transcript.

Port 21 is fixed in the program, so this runs inside a private network namespace (see
CMakeLists.txt), where the port is free. Usage: test_ftp_client.py <ftp_client> <ftp_server.py> <case>
"""
import os
import re
import shutil
import socket
import subprocess
import sys
import tempfile
import time

import mivra_console as console

PROGRAM, SERVER_SCRIPT, CASE = sys.argv[1], sys.argv[2], sys.argv[3]

MENU = ("\nChoose an action:\n1. Print working directory\n2. Print contents of working directory\n"
        "3. Change directory\n4. Create directory\n5. Delete directory\n6. Rename file\n7. Remove file\n"
        "8. Download file\n9. Upload file\n0. Disconnect\n\nYour choice: \n")
ADDRESS = "Enter the FTP server address: "
GREETING = "220 Mivra test server ready.\n"
LOGIN = ADDRESS + GREETING + "User name: Password: 230 Login successful.\n"
GOODBYE = "Disconnecting from server...\n221 Goodbye.\nPress enter to exit...\n"

check, compare = console.check, console.compare


def Run(stdin_text, cwd, close_stdin=True, stderr_lines=()):
    """One run of the program with a given input, in a working directory of its own."""
    return console.Run([PROGRAM], stdin_text, close_stdin, cwd=cwd, stderr_lines=stderr_lines)


class Server:
    def __init__(self, root):
        self.process = subprocess.Popen(["/usr/bin/python3", SERVER_SCRIPT, "--root", root, "--port", "21"],
                                        stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        line = self.process.stdout.readline().decode()
        if line.strip() != "PORT 21":
            sys.exit(f"the FTP server did not start on port 21: {line!r}")

    def stop(self):
        self.process.stdin.close()
        self.process.terminate()
        self.process.wait()


def prepare_transfer_files(root, local):
    """The server's readme.txt, the local upload.txt and an empty local downloads folder."""
    with open(os.path.join(root, "readme.txt"), "w") as f:
        f.write("read me\n")
    with open(os.path.join(local, "upload.txt"), "wb") as f:
        f.write(b"uploaded bytes\r\n\x00\xff")
    os.mkdir(os.path.join(local, "downloads"))


def session(root, local):
    prepare_transfer_files(root, local)
    answers = ["localhost", "user", "secret",
               "1", "2",
               "4", "docs", "3", "docs", "1", "2",
               "9", "upload.txt", ".", "2",
               "6", "upload.txt", "renamed.bin",
               "8", "renamed.bin", "downloads",
               "7", "renamed.bin",
               "3", "..", "5", "docs",
               "1 2", "0"]
    run = Run("\n".join(answers) + "\n", local, close_stdin=False)
    # The program waits for Enter after "Press enter to exit...": it must still be running.
    check(run.wait_for_output("Press enter to exit..."), "session: no exit prompt")
    check(console.waits_for_input(run.process), "session: the program did not wait for Enter (no read of its input)")
    run.process.stdin.write(b"\n")
    run.process.stdin.close()
    status, output = run.finish()
    expected = (LOGIN
                + MENU + '257 "/" is the current directory.\nCurrent directory is "/"\n'
                + MENU + "226 Transfer complete.\nreadme.txt\n"
                + MENU + 'Name of the directory to create: 257 "/docs" directory created.\n'
                + MENU + 'Choose a directory: 250 "/docs" is the current directory.\n'
                + MENU + '257 "/docs" is the current directory.\nCurrent directory is "/docs"\n'
                + MENU + "226 Transfer complete.\n"
                + MENU + "Path of the file to upload (absolute or relative to working directory): "
                         "Directory to upload the file to (relative to current directory): 226 Transfer complete.\n"
                + MENU + "226 Transfer complete.\nupload.txt\n"
                + MENU + "Name of the file to rename: New name: 250 Renaming ok.\n"
                + MENU + "Filename of the file to download (relative to current directory): "
                         "Directory to download the file to: 226 Transfer complete.\n"
                + MENU + "Name of the file to remove: 250 File removed.\n"
                + MENU + 'Choose a directory: 250 "/" is the current directory.\n'
                + MENU + "Name of the directory to remove: 250 Directory removed.\n"
                + MENU + '257 "/" is the current directory.\nCurrent directory is "/"\n'
                + MENU + "226 Transfer complete.\nreadme.txt\n"
                + MENU + GOODBYE)
    compare("session", output, expected)
    check(status == 0, f"session: exit status {status}")
    with open(os.path.join(local, "downloads", "renamed.bin"), "rb") as f:
        check(f.read() == b"uploaded bytes\r\n\x00\xff", "session: the downloaded file differs from the upload")
    check(os.listdir(os.path.join(local, "downloads")) == ["renamed.bin"], "session: stray files in downloads")
    check(not os.path.exists(os.path.join(root, "docs")), "session: the remote directory was not removed")


def failing_actions(root, local):
    """Replies of failed actions are shown and the menu comes back; a quoted directory is escaped."""
    os.mkdir(os.path.join(root, 'q"d\\x'))
    answers = ["127.0.0.1", "user", "secret", "3", "missing", "5", "missing", "7", "missing",
               "8", "missing.bin", ".", "9", "absent.bin", ".", "3", 'q"d\\x', "1", "0", ""]
    status, output = Run("\n".join(answers) + "\n", local).finish()
    expected = (LOGIN
                + MENU + "Choose a directory: 550 No such file or directory.\n"
                + MENU + "Name of the directory to remove: 550 No such file or directory.\n"
                + MENU + "Name of the file to remove: 550 No such file or directory.\n"
                + MENU + "Filename of the file to download (relative to current directory): "
                         "Directory to download the file to: 550 No such file or directory.\n"
                + MENU + "Path of the file to upload (absolute or relative to working directory): "
                         "Directory to upload the file to (relative to current directory): "
                         '1003 Cannot open "absent.bin": No such file or directory\n'
                + MENU + 'Choose a directory: 250 "/q"d\\x" is the current directory.\n'
                + MENU + '257 "/q""d\\x" is the current directory.\nCurrent directory is "/q\\"d\\\\x"\n'
                + MENU + GOODBYE)
    compare("failing actions", output, expected)
    check(status == 0, f"failing actions: exit status {status}")
    check(os.listdir(local) == [], f"failing actions: files left behind: {os.listdir(local)}")


def invalid_choices(root, local):
    # A blank ends a word: "user secret" on one line answers both the user name and the password.
    answers = ["1.2.3", "::1", "256.0.0.1", "127.0.0.1", "user secret", "-1", "10", "99999999999", "0", ""]
    status, output = Run("\n".join(answers) + "\n", local).finish()
    expected = (ADDRESS * 3 + LOGIN
                + (MENU + "Invalid choice!\n") * 3
                + MENU + GOODBYE)
    compare("invalid choices", output, expected)
    check(status == 0, f"invalid choices: exit status {status}")


def word_as_choice(root, local):
    """A word at "Your choice: " reads as 0 and leaves the input failed: no wait for Enter."""
    run = Run("127.0.0.1\nuser\nsecret\nhello\n", local, close_stdin=False)
    status, output = run.finish()
    compare("word as choice", output, LOGIN + MENU + GOODBYE)
    check(status == 0, f"word as choice: exit status {status}")


def refused_login(root, local):
    status, output = Run("127.0.0.1\nuser\nwrong\n", local, close_stdin=False).finish()
    compare("refused login", output, ADDRESS + GREETING + "User name: Password: 530 Authentication failed.\n")
    check(status == 1, f"refused login: exit status {status}")


def input_ends(root, local):
    """Standard input ending at each prompt ends the program."""
    logged_in = "127.0.0.1\nuser\nsecret\n"
    before_login = [
        ("", ADDRESS + "\n"),
        ("1.2.3\n", ADDRESS * 2 + "\n"),
        ("127.0.0.1\n", ADDRESS + GREETING + "User name: \n"),
        ("127.0.0.1\nuser\n", ADDRESS + GREETING + "User name: Password: \n"),
    ]
    for text, expected in before_login:
        status, output = Run(text, local).finish()
        compare(f"input ends after {text!r}", output, expected)
        check(status == 1, f"input ends after {text!r}: exit status {status}")

    menu_cases = [
        ("", ""),
        ("3\n", "Choose a directory: \n"),
        ("4\n", "Name of the directory to create: \n"),
        ("5\n", "Name of the directory to remove: \n"),
        ("6\n", "Name of the file to rename: \n"),
        ("6\nold\n", "Name of the file to rename: New name: \n"),
        ("7\n", "Name of the file to remove: \n"),
        ("8\n", "Filename of the file to download (relative to current directory): \n"),
        ("8\nfile\n", "Filename of the file to download (relative to current directory): "
                      "Directory to download the file to: \n"),
        ("9\n", "Path of the file to upload (absolute or relative to working directory): \n"),
        ("9\nfile\n", "Path of the file to upload (absolute or relative to working directory): "
                      "Directory to upload the file to (relative to current directory): \n"),
        ("-1\n", "Invalid choice!\n" + MENU),
        ("1", '257 "/" is the current directory.\nCurrent directory is "/"\n' + MENU),
    ]
    for text, after_menu in menu_cases:
        status, output = Run(logged_in + text, local).finish()
        compare(f"input ends after {text!r}", output, LOGIN + MENU + after_menu + GOODBYE)
        check(status == 0, f"input ends after {text!r}: exit status {status}")


def no_server(root, local):
    refused = re.compile(r"mivra: cannot connect to 127\.0\.0\.1:21: .*")
    status, output = Run("127.0.0.1\n", local, stderr_lines=[refused]).finish()
    compare("no server", output, ADDRESS + "1001 Cannot connect to 127.0.0.1:21\n")
    check(status == 1, f"no server: exit status {status}")



VSFTPD_CONFIG = """listen=YES
listen_ipv6=NO
listen_address=127.0.0.1
listen_port=21
background=NO
anonymous_enable=YES
local_enable=NO
write_enable=YES
anon_upload_enable=YES
anon_other_write_enable=YES
anon_umask=022
anon_root={root}
pasv_enable=YES
pasv_address=127.0.0.1
seccomp_sandbox=NO
secure_chroot_dir={empty}
ftpd_banner=Mivra vsftpd ready.
xferlog_enable=NO
"""


class Vsftpd:
    """Debian's vsftpd serving root to anonymous users on 127.0.0.1:21, uploads into root/up. Its
    root may not be writable by its anonymous user, the folder for uploads must be."""

    def __init__(self, root):
        work = os.path.dirname(root)
        empty = os.path.join(work, "empty")
        os.mkdir(empty)
        os.mkdir(os.path.join(root, "up"))
        for directory in (work, root, empty):
            os.chmod(directory, 0o755)
        shutil.chown(os.path.join(root, "up"), "ftp")
        config = os.path.join(work, "vsftpd.conf")
        with open(config, "w") as f:
            f.write(VSFTPD_CONFIG.format(root=root, empty=empty))
        self.process = subprocess.Popen(["vsftpd", config], stdin=subprocess.DEVNULL)
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and self.process.poll() is None:
            with socket.socket() as probe:
                if probe.connect_ex(("127.0.0.1", 21)) == 0:
                    return
            time.sleep(0.05)
        self.stop()
        sys.exit(f"vsftpd did not start on port 21 (exit status {self.process.returncode})")

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait()


def vsftpd_session(root, local):
    """Anonymous download and upload in passive mode, with vsftpd's own replies."""
    prepare_transfer_files(root, local)
    answers = ["127.0.0.1", "anonymous", "mivra@example.org",
               "1", "2",
               "8", "readme.txt", "downloads",
               "3", "up",
               "9", "upload.txt", ".",
               "6", "upload.txt", "renamed.bin",
               "2",
               "8", "renamed.bin", "downloads",
               "7", "renamed.bin",
               "3", "..", "0", ""]
    status, output = Run("\n".join(answers) + "\n", local).finish()
    download = ("Filename of the file to download (relative to current directory): "
                "Directory to download the file to: 226 Transfer complete.\n")
    expected = (ADDRESS + "220 Mivra vsftpd ready.\nUser name: Password: 230 Login successful.\n"
                + MENU + '257 "/" is the current directory\nCurrent directory is "/"\n'
                + MENU + "226 Directory send OK.\nreadme.txt\nup\n"
                + MENU + download
                + MENU + "Choose a directory: 250 Directory successfully changed.\n"
                + MENU + "Path of the file to upload (absolute or relative to working directory): "
                         "Directory to upload the file to (relative to current directory): 226 Transfer complete.\n"
                + MENU + "Name of the file to rename: New name: 250 Rename successful.\n"
                + MENU + "226 Directory send OK.\nrenamed.bin\n"
                + MENU + download
                + MENU + "Name of the file to remove: 250 Delete operation successful.\n"
                + MENU + "Choose a directory: 250 Directory successfully changed.\n"
                + MENU + GOODBYE)
    compare("vsftpd session", output, expected)
    check(status == 0, f"vsftpd session: exit status {status}")
    for name, content in (("readme.txt", b"read me\n"), ("renamed.bin", b"uploaded bytes\r\n\x00\xff")):
        path = os.path.join(local, "downloads", name)
        check(os.path.isfile(path) and open(path, "rb").read() == content, f"vsftpd session: {name} differs")
    check(sorted(os.listdir(os.path.join(local, "downloads"))) == ["readme.txt", "renamed.bin"],
          "vsftpd session: stray files in downloads")
    check(os.listdir(os.path.join(root, "up")) == [], "vsftpd session: the upload was not removed")


CASES = {
    "session": session,
    "failing_actions": failing_actions,
    "invalid_choices": invalid_choices,
    "word_as_choice": word_as_choice,
    "refused_login": refused_login,
    "input_ends": input_ends,
    "no_server": no_server,
    "vsftpd_session": vsftpd_session,
}


def main():
    work = tempfile.mkdtemp(prefix="mivra-ftp-e2e-")
    try:
        root, local = os.path.join(work, "root"), os.path.join(work, "local")
        os.mkdir(root)
        os.mkdir(local)
        servers = {"no_server": lambda root: None, "vsftpd_session": Vsftpd}
        server = servers.get(CASE, Server)(root)
        try:
            CASES[CASE](root, local)
        finally:
            if server:
                server.stop()
    finally:
        shutil.rmtree(work, ignore_errors=True)
    console.report()


if __name__ == "__main__":
    main()
