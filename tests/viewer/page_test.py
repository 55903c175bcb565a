#!/usr/bin/python3
"""orva-viewer.html in headless Chromium, opened from file:// as a user opens it from a disk:
files chosen and dropped, what the page shows of them, its downloads against orva-import's
outputs for the same files and options, and files it cannot read.

    page_test.py PAGE ORVA_IMPORT SOURCE_DIR WORK_DIR
"""
import os
import pathlib
import shutil
import subprocess
import sys
import time
import unittest

from selenium import webdriver
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import Select, WebDriverWait

PAGE, ORVA_IMPORT, SOURCE, WORK = (pathlib.Path(p).resolve() for p in sys.argv[1:5])
EXAMPLES = SOURCE / "examples"
DATA = SOURCE / "tests" / "host" / "data"


def orva_import(*arguments, cwd):
    """What orva-import writes on stdout for the arguments, run where the page's names hold."""
    return subprocess.run([str(ORVA_IMPORT), *arguments], cwd=cwd, capture_output=True,
                          check=False).stdout


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        options = webdriver.ChromeOptions()
        for argument in ("--headless", "--no-sandbox", "--disable-gpu",
                         "--disable-dev-shm-usage", "--window-size=1400,1000"):
            options.add_argument(argument)
        options.set_capability("goog:loggingPrefs", {"browser": "ALL"})
        cls.browser = webdriver.Chrome(options=options)
        cls.downloads = WORK / "downloads"
        shutil.rmtree(WORK, ignore_errors=True)
        cls.downloads.mkdir(parents=True)
        cls.browser.execute_cdp_cmd("Page.setDownloadBehavior",
                                    {"behavior": "allow", "downloadPath": str(cls.downloads)})

    @classmethod
    def tearDownClass(cls):
        cls.browser.quit()

    def setUp(self):
        self.browser.get(PAGE.as_uri())
        self.wait_ready()

    def tearDown(self):
        # Nothing the page did may have gone wrong in its console (a policy refusal, an error).
        problems = [entry["message"] for entry in self.browser.get_log("browser")
                    if entry["level"] == "SEVERE"]
        self.assertEqual([], problems)

    # ---- helpers -----------------------------------------------------------------------------

    def wait_ready(self):
        WebDriverWait(self.browser, 30).until(
            lambda b: b.execute_script("return document.body.dataset.state") == "ready")

    def choose(self, *paths):
        # Keys sent to a file input add to the files chosen before.
        self.browser.execute_script("""
            document.getElementById('files').value = '';
            document.body.dataset.state = 'reading';""")
        self.browser.find_element(By.ID, "files").send_keys("\n".join(str(p) for p in paths))
        self.wait_ready()

    def select(self, menu, value):
        self.browser.execute_script("document.body.dataset.state = 'reading'")
        Select(self.browser.find_element(By.ID, menu)).select_by_value(value)
        self.wait_ready()

    def drop(self, path):
        """A drop of the file on the page, as a desktop's drag and drop delivers it."""
        self.browser.execute_script("""
            const input = document.createElement('input');
            input.type = 'file';
            input.id = 'drop-source';
            input.hidden = true;
            document.body.appendChild(input);""")
        self.browser.find_element(By.ID, "drop-source").send_keys(str(path))
        self.browser.execute_script("""
            document.body.dataset.state = 'reading';
            const transfer = new DataTransfer();
            transfer.items.add(document.getElementById('drop-source').files[0]);
            document.body.dispatchEvent(new DragEvent('drop', {dataTransfer: transfer,
                bubbles: true, cancelable: true}));""")
        self.wait_ready()

    def summary(self):
        table = self.browser.find_element(By.ID, "summary")
        rows = table.find_elements(By.CSS_SELECTOR, "tbody tr")
        head = [th.text for th in table.find_elements(By.CSS_SELECTOR, "thead th")]
        return [dict(zip(head, (td.text for td in row.find_elements(By.TAG_NAME, "td"))))
                for row in rows]

    def status(self):
        return self.browser.find_element(By.ID, "status").text

    def download(self, name):
        target = self.downloads / name
        if target.exists():
            target.unlink()
        self.browser.find_element(By.CSS_SELECTOR, f'[data-download="{name}"]').click()
        deadline = time.monotonic() + 20
        while time.monotonic() < deadline:
            if target.exists() and not (self.downloads / (name + ".crdownload")).exists():
                return target.read_bytes()
            time.sleep(0.1)
        self.fail(f"{name} was not downloaded")

    def tab(self, name):
        self.browser.find_element(By.CSS_SELECTOR, f'[data-tab="{name}"]').click()
        table = self.browser.find_element(By.ID, "rows")
        return [[td.text for td in row.find_elements(By.TAG_NAME, "td")]
                for row in table.find_elements(By.CSS_SELECTOR, "tbody tr")]

    # ---- tests -------------------------------------------------------------------------------

    def test_policy_allows_no_network(self):
        policy = self.browser.find_element(
            By.CSS_SELECTOR, 'meta[http-equiv="Content-Security-Policy"]').get_attribute("content")
        self.assertIn("default-src 'none'", policy)
        self.assertNotIn("connect-src", policy)
        self.assertNotIn("http", policy)

    def test_chosen_examples_show_counts_messages_and_the_plan(self):
        self.choose(EXAMPLES / "survey-job.idx", EXAMPLES / "site-control-points.idx")
        rows = self.summary()
        self.assertEqual(["survey-job.idx", "site-control-points.idx", "all 2 files"],
                         [row["file"] for row in rows])
        counts = [(r["points"], r["stations"], r["observations"], r["messages"], r["warnings"])
                  for r in rows]
        self.assertEqual([("4", "2", "9", "0", "0"), ("9", "0", "0", "3", "1"),
                          ("13", "2", "9", "3", "1")], counts)
        self.assertEqual(("imported", '","', '";"', "DMY", "degrees, minutes and seconds"),
                         (rows[0]["imported"], rows[0]["separator"], rows[0]["terminator"],
                          rows[0]["date order"], rows[0]["angles"]))
        self.assertIn("THEODOLITE/SLOPE", rows[0]["sections"])
        messages = self.tab("messages")
        self.assertIn(["site-control-points.idx", "30", "message", "Не указано имя точки"],
                      messages)
        self.assertIn(["site-control-points.idx", "32", "warning", '"N/A" is not a length'],
                      messages)
        points = self.tab("points")
        self.assertEqual(13, len(points))
        self.assertEqual(["survey-job.idx", "GGS-4512"], points[0][:2])
        self.browser.find_element(By.CSS_SELECTOR, '[data-tab="plan"]').click()
        width = self.browser.execute_script(
            "const i = document.getElementById('plan-image'); return i.complete && i.naturalWidth")
        self.assertGreater(width, 0)
        self.assertEqual(orva_import("--format", "svg", "survey-job.idx",
                                     "site-control-points.idx", cwd=EXAMPLES),
                         self.download("plan.svg"))

    def test_downloads_are_orva_imports_bytes(self):
        self.choose(EXAMPLES / "survey-job.idx", EXAMPLES / "site-control-points.idx")
        names = ["survey-job.idx", "site-control-points.idx"]
        csv = WORK / "csv"
        subprocess.run([str(ORVA_IMPORT), "--format", "csv", "--output", str(csv), *names],
                       cwd=EXAMPLES, capture_output=True, check=False)
        for table in ("points", "stations", "observations", "extra_values", "messages",
                      "files"):
            self.assertEqual((csv / f"{table}.csv").read_bytes(),
                             self.download(f"{table}.csv"), table)
        self.assertEqual(orva_import(*names, cwd=EXAMPLES), self.download("orva.json"))
        self.assertEqual(orva_import("--format", "geojson", *names, cwd=EXAMPLES),
                         self.download("orva.geojson"))

    def test_a_large_job_shows_one_page_of_rows_at_a_time(self):
        job = WORK / "large" / "job.idx"
        job.parent.mkdir(exist_ok=True)
        subprocess.run([sys.executable, str(SOURCE / "bench" / "generate-job.py"), "--rows",
                        "20000", str(job)], check=True, capture_output=True)
        self.choose(job)
        self.assertEqual(("20,000", "20,000"), (self.summary()[0]["points"],
                                              self.summary()[0]["observations"]))
        rows = self.tab("observations")
        self.assertEqual(200, len(rows))
        self.assertEqual("rows 1–200 of 20,000", self.browser.find_element(By.ID, "page").text)
        self.browser.find_element(By.ID, "next").click()
        self.assertEqual("rows 201–400 of 20,000", self.browser.find_element(By.ID, "page").text)
        self.assertEqual("P201", self.browser.find_element(
            By.CSS_SELECTOR, "#rows tbody tr td:nth-child(4)").text)

    def test_display_units_follow_the_choice(self):
        self.choose(EXAMPLES / "survey-job.idx")
        self.select("angles", "dms")
        self.select("lengths", "ft")
        self.assertEqual(orva_import("--angles", "dms", "--lengths", "ft", "survey-job.idx",
                                     cwd=EXAMPLES), self.download("orva.json"))
        observations = self.tab("observations")
        self.assertRegex(observations[0][5], "^[0-9]+°[0-9]{2}′[0-9]{2}\\.[0-9]″$")

    def test_a_dropped_file_in_a_chosen_code_page(self):
        Select(self.browser.find_element(By.ID, "codepage")).select_by_value("1251")
        self.drop(DATA / "cyrillic-1251.idx")
        self.assertEqual("cyrillic-1251.idx", self.summary()[0]["file"])
        expected = orva_import("--encoding", "1251", "--format", "geojson", "cyrillic-1251.idx",
                               cwd=DATA)
        self.assertEqual(expected, self.download("orva.geojson"))
        self.assertRegex(" ".join(" ".join(row) for row in self.tab("points")), "[А-Яа-я]")

    def test_every_page_of_the_linux_build_is_offered_and_decodes_as_there(self):
        offered = {option.get_attribute("value") for option in
                   Select(self.browser.find_element(By.ID, "codepage")).options}
        for page in ("1252", "1251", "437", "737", "866", "874", "10000", "10007", "20866",
                     "28605", "65001", "54936", "936", "950"):
            self.assertIn(page, offered)
        # The Cyrillic test file written in DOS's Cyrillic page, which only glibc's tables give.
        dos = WORK / "dos" / "cyrillic-866.idx"
        dos.parent.mkdir(exist_ok=True)
        dos.write_bytes((DATA / "cyrillic-1251.idx").read_bytes().decode("cp1251").encode("cp866"))
        Select(self.browser.find_element(By.ID, "codepage")).select_by_value("866")
        self.choose(dos)
        csv = WORK / "csv-866"
        subprocess.run([str(ORVA_IMPORT), "--encoding", "866", "--format", "csv", "--output",
                        str(csv), dos.name], cwd=dos.parent, capture_output=True, check=False)
        self.assertEqual((csv / "points.csv").read_bytes(), self.download("points.csv"))

    def test_files_it_cannot_read_are_named_and_the_page_goes_on(self):
        bad = WORK / "bad"
        bad.mkdir(exist_ok=True)
        (bad / "empty.idx").write_bytes(b"")
        (bad / "binary.idx").write_bytes(bytes(range(256)) * 64)
        (bad / "table.idx").write_bytes(b"name,east,north\r\nA,1,2\r\n")
        # Sparse: past 2 GB without taking the disk's room.
        with open(bad / "huge.idx", "wb") as huge:
            huge.truncate(2_200_000_000)
        self.choose(*(bad / name for name in ("empty.idx", "binary.idx", "table.idx",
                                              "huge.idx")))
        rows = self.summary()
        self.assertEqual(["not imported", "not imported", "not imported",
                          "too large: past 2 GB the page reads no file"],
                         [row["imported"] for row in rows[:3]] + [rows[3]["imported"]])
        self.assertIn("4 of 4 files not imported", self.status())
        messages = self.tab("messages")
        self.assertIn(["binary.idx", "", "message", "Файл содержит данные в неизвестном формате"],
                      messages)
        self.choose(EXAMPLES / "survey-job.idx")
        self.assertEqual("imported", self.summary()[0]["imported"])
        self.assertIn("1 file read", self.status())


if __name__ == "__main__":
    unittest.main(argv=sys.argv[:1], verbosity=2)
