#!/usr/bin/python3
"""Takes the README's picture of orva-viewer.html: the page in headless Chromium with the bundled
example job read, showing its summary and its plan.

    tools/viewer-screenshot.py [PAGE] [PNG]   (defaults: build/wasm/orva-viewer.html,
                                               docs/orva-viewer.png)
"""
import pathlib
import sys

from selenium import webdriver
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

root = pathlib.Path(__file__).resolve().parent.parent
page = pathlib.Path(sys.argv[1] if len(sys.argv) > 1 else root / "build/wasm/orva-viewer.html")
picture = pathlib.Path(sys.argv[2] if len(sys.argv) > 2 else root / "docs/orva-viewer.png")
options = webdriver.ChromeOptions()
for argument in ("--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                 "--window-size=1280,1100"):
    options.add_argument(argument)
browser = webdriver.Chrome(options=options)
try:
    browser.get(page.resolve().as_uri())
    ready = lambda b: b.execute_script("return document.body.dataset.state") == "ready"
    WebDriverWait(browser, 30).until(ready)
    browser.execute_script("document.body.dataset.state = 'reading'")
    examples = [root / "examples/survey-job.idx"]
    browser.find_element(By.ID, "files").send_keys("\n".join(str(p) for p in examples))
    WebDriverWait(browser, 30).until(ready)
    browser.execute_script("document.getElementById('plan-frame').style.height = '560px'")
    browser.execute_script("fitPlan()")
    browser.save_screenshot(str(picture))
finally:
    browser.quit()
