"""relvanlink.dll registered in the prefix with regsvr32, as the end-to-end tests of the
console register it: an in-process server of the apartment model under the link
control's class id, gone again after unregistering; and never over, nor removing, an
original component registered under the same class id."""

import subprocess
import unittest

import tools
from harness import E2ETestCase

CLASS_KEY = r"HKCR\CLSID\{7127E44D-6E77-4C78-B2C9-502CB56EE693}"


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

    def test_an_original_component_keeps_its_registration(self):
        original = r"C:\Program Files\Vendor\usblink.ocx"
        add = ["wine", "reg", "add", CLASS_KEY + r"\InprocServer32", "/ve", "/d", original, "/f"]
        subprocess.run(add, env=self.prefix.env, timeout=60, check=True, stdout=subprocess.DEVNULL)
        ours = self.prefix.windows_path(tools.binary("relvanlink.dll"))
        for args in (["/s", ours], ["/u", "/s", ours]):
            refused = subprocess.run(["wine", "regsvr32"] + args, env=self.prefix.env, timeout=60)
            self.assertNotEqual(0, refused.returncode, args)
            self.assertIn(original, self.query(CLASS_KEY + r"\InprocServer32")[1])
        subprocess.run(["wine", "reg", "delete", CLASS_KEY, "/f"], env=self.prefix.env, timeout=60, stdout=subprocess.DEVNULL)


if __name__ == "__main__":
    unittest.main()
