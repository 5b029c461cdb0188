"""relvanlink.dll registered in the prefix with regsvr32, as the end-to-end tests of the
console register it: an in-process server of the apartment model under the link
control's class id, gone again after unregistering; and never over, nor removing, a
class key that another server owns: an original component, a server of another kind,
or a copy of ours from another file."""

import os
import shutil
import subprocess
import tempfile
import unittest

import tools
from harness import E2ETestCase

CLASS_KEY = r"HKCR\CLSID\{7127E44D-6E77-4C78-B2C9-502CB56EE693}"


# Calls methods by name as an integrator's script would: first with no port set (the
# failure comes back with the control's text), then with one (the call goes out before
# the script ends and releases the control).
SCRIPT = """On Error Resume Next
Set link = CreateObject("RelvanLink.LinkControl.1")
link.Method1
WScript.Echo "Method1 " & Hex(Err.Number) & " " & Err.Description
Err.Clear
Set ini = CreateObject("Scripting.FileSystemObject").CreateTextFile(WScript.Arguments(0), True)
ini.Write "[Generator]" & vbCrLf & "LinkPort=COM%d" & vbCrLf
ini.Close
Set link = CreateObject("RelvanLink.LinkControl.1")
WScript.Echo "Method57 " & link.Method57("01", "00") & " " & Hex(Err.Number)
"""
SCRIPT_COM = 31


class LinkComponentTest(E2ETestCase):
    def query(self, key):
        result = subprocess.run(
            ["wine", "reg", "query", key], env=self.prefix.env, timeout=60, stdout=subprocess.PIPE
        )
        return result.returncode, result.stdout.decode("latin-1")

    def test_regsvr32_registers_and_unregisters_the_class(self):
        bin_dir = tools.BIN_DIR
        self.prefix.register_link_component(bin_dir)
        code, text = self.query(CLASS_KEY + r"\InprocServer32")
        self.assertEqual(0, code)
        self.assertIn(self.prefix.windows_path(tools.binary("relvanlink.dll")), text)
        self.assertRegex(text, r"ThreadingModel\s+REG_SZ\s+Apartment")
        self.assertEqual(0, self.query(CLASS_KEY + r"\Control")[0])
        self.prefix.unregister_link_component(bin_dir)
        self.assertNotEqual(0, self.query(CLASS_KEY)[0])

    def test_a_script_calls_methods_by_name(self):
        self.prefix.register_link_component(tools.BIN_DIR)
        self.addCleanup(self.prefix.unregister_link_component, tools.BIN_DIR)
        self.assertEqual(0, self.query(CLASS_KEY + r"\TypeLib")[0])
        self.assertEqual(0, self.query(r"HKCR\TypeLib\{3E6A4C0B-9D1F-4B8E-8C55-2F1B7A9D4E61}\1.0")[0])
        line = self.generator_line(self.serial(SCRIPT_COM))
        script = os.path.join(self.dir, "calls.vbs")
        with open(script, "w") as out:
            out.write((SCRIPT % SCRIPT_COM).replace("\n", "\r\n"))
        # The control reads Lumora.ini beside the program that hosts it: cscript.exe.
        ini = os.path.join(self.prefix.path, "drive_c", "windows", "system32", "Lumora.ini")
        self.addCleanup(lambda: os.path.exists(ini) and os.remove(ini))
        result = subprocess.run(
            ["wine", "cscript", "//nologo", self.prefix.windows_path(script), self.prefix.windows_path(ini)],
            env=self.prefix.env, timeout=60, stdout=subprocess.PIPE,
        )
        lines = result.stdout.decode("latin-1").split()
        text = " ".join(lines)
        self.assertIn("Method1 80040230 USB link has no port: LinkPort is not set", text)
        self.assertIn("Method57 True 0", text)
        self.assertEqual(line.read_exactly(len(b"CALL\t57\t01\t00\n"), 5), b"CALL\t57\t01\t00\n")

    def regsvr32(self, *args):
        return subprocess.run(["wine", "regsvr32", "/s"] + list(args), env=self.prefix.env, timeout=60).returncode

    def add_key(self, key, *value):
        add = ["wine", "reg", "add", key] + list(value or ["/ve"]) + ["/f"]
        subprocess.run(add, env=self.prefix.env, timeout=60, check=True, stdout=subprocess.DEVNULL)

    def delete_class(self):
        delete = ["wine", "reg", "delete", CLASS_KEY, "/f"]
        subprocess.run(delete, env=self.prefix.env, timeout=60, stdout=subprocess.DEVNULL)

    def test_another_owner_keeps_its_registration(self):
        """Neither registering nor unregistering touches a class key that is not ours."""
        ours = self.prefix.windows_path(tools.binary("relvanlink.dll"))
        others = {
            "original": (r"\InprocServer32", "/ve", "/d", r"C:\Program Files\Vendor\usblink.ocx"),
            "local server": (r"\LocalServer32", "/ve", "/d", r"C:\Vendor\usblink.exe"),
            "treated as": (r"\TreatAs", "/ve", "/d", "{00000000-0000-0000-0000-000000000001}"),
        }
        for name, (subkey, *value) in others.items():
            with self.subTest(name):
                self.add_key(CLASS_KEY + subkey, *value)
                before = self.query(CLASS_KEY + subkey)[1]
                for args in ([ours], ["/u", ours]):
                    self.assertNotEqual(0, self.regsvr32(*args), args)
                    self.assertEqual(before, self.query(CLASS_KEY + subkey)[1], args)
                    self.assertNotEqual(0, self.query(CLASS_KEY + r"\Control")[0], args)
                self.delete_class()

    def test_a_copy_elsewhere_is_another_owner(self):
        """A renamed copy registers when the class is free and unregisters itself; while
        it owns the class, the original file can neither register nor unregister."""
        folder = tempfile.mkdtemp(dir=self.prefix.root)
        copy = os.path.join(folder, "renamed.dll")
        shutil.copyfile(tools.binary("relvanlink.dll"), copy)
        ours = self.prefix.windows_path(tools.binary("relvanlink.dll"))
        self.assertEqual(0, self.regsvr32(self.prefix.windows_path(copy)))
        self.assertNotEqual(0, self.regsvr32(ours))
        self.assertNotEqual(0, self.regsvr32("/u", ours))
        self.assertIn("renamed.dll", self.query(CLASS_KEY + r"\InprocServer32")[1])
        self.assertEqual(0, self.regsvr32("/u", self.prefix.windows_path(copy)))
        self.assertNotEqual(0, self.query(CLASS_KEY)[0])

if __name__ == "__main__":
    unittest.main()
