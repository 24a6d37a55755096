"""The download for Windows users: the two files and how to use them."""
import os
import subprocess
import zipfile

from wine_rig import BIN_DIR, bin_path

BUILD_DIR = os.path.dirname(BIN_DIR)
FOLDER = "VEMRO-1.0A/"


def test_zip_holds_the_two_files_and_the_instructions():
    subprocess.run(["cmake", "--build", BUILD_DIR, "--target", "windows_zip"], check=True, capture_output=True)
    with zipfile.ZipFile(os.path.join(BUILD_DIR, "VEMRO-1.0A.zip")) as package:
        files = sorted(name for name in package.namelist() if not name.endswith("/"))
        assert files == [FOLDER + "BRISOL.DLL", FOLDER + "README.txt", FOLDER + "VEMRO.exe"]
        for name in ("VEMRO.exe", "BRISOL.DLL"):
            with open(bin_path(name), "rb") as built:
                assert package.read(FOLDER + name) == built.read()
        instructions = package.read(FOLDER + "README.txt").decode("ascii")
    assert "Copy VEMRO.exe and BRISOL.DLL into the same folder" in instructions
    assert "dial_list.txt" in instructions
