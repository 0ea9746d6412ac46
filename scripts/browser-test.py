#!/usr/bin/python3
"""The settings page of sensor-sim in a real browser (headless Chromium
through chromedriver and Selenium, Debian's packages).

For ir-bullet and for both channels of thermal-dual it starts
`sensor-sim --http 127.0.0.1:0 --quiet` and checks on the page that every tab
of the channel's fitted style appears; that moving brightness reaches the ISP
(the trace panel shows command 34) and, after "Save", the scheme file in the
working root; that a change through the API shows on the page without a
reload; and that day/night switching chosen on the page, the
clock at 18:30, night reported by the ISP and one sensor-thread pass switch
the scheme shown to the night scheme. Screenshots go to build/ci-logs/
(settings-page.png at 1366 x 768, settings-page-1200.png scaled to 1200 px
wide, the one docs/images/ holds; the thermal channels' beside them).

  /usr/bin/python3 scripts/browser-test.py SENSOR_SIM [OUTPUT_DIR]

Run with Debian's /usr/bin/python3: its python3-selenium is the one installed.
"""
import base64
import json
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.request
import xml.etree.ElementTree as ET

from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.common.exceptions import StaleElementReferenceException
from selenium.webdriver.common.by import By
from selenium.webdriver.support.ui import WebDriverWait

WAIT_S = 20
BRIGHTNESS = 34


class Simulator:
    """One sensor-sim run with --http on a free port, its output collected."""

    def __init__(self, exe, profile, work):
        self.work = work
        self.lines = []
        self.proc = subprocess.Popen(
            [exe, "--http", "127.0.0.1:0", "--quiet", "--profile", profile, "--work", work],
            stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
        self.ready = threading.Event()
        self.url = None
        threading.Thread(target=self._read, daemon=True).start()
        if not self.ready.wait(60) or self.url is None:
            self.proc.kill()
            raise AssertionError("sensor-sim did not start serving:\n" + "".join(self.lines))

    def _read(self):
        for line in self.proc.stdout:
            self.lines.append(line)
            if line.startswith("sim: serving http://"):
                self.url = line.split("serving ", 1)[1].strip().rstrip("/")
                self.ready.set()
        self.ready.set()

    def api(self, path, body=None):
        data = None if body is None else json.dumps(body).encode()
        with urllib.request.urlopen(self.url + "/api/" + path, data, timeout=10) as answer:
            return json.load(answer)

    def stop(self):
        self.proc.terminate()
        status = self.proc.wait(30)
        if status != 0:
            raise AssertionError("sensor-sim ended with status %d:\n%s" % (status, "".join(self.lines[-20:])))

    def saved_value(self, channel, scheme, key):
        """The key's value in the channel's scheme file: 8-byte little-endian records."""
        name = ("sensor-thermal%d.cfg" % scheme if channel["thermal"]
                else "sensor%d_%d.cfg" % (channel["channel"], scheme))
        with open(os.path.join(self.work, "mnt/mtd/code/config_file", name), "rb") as f:
            data = f.read()
        for offset in range(0, len(data) - 7, 8):
            record_key, value = struct.unpack_from("<Ii", data, offset)
            if record_key == key:
                return value
        return None


def browser():
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium") or "/usr/bin/chromium"
    for argument in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-dev-shm-usage",
                     "--window-size=1366,768", "--lang=en-GB"):
        options.add_argument(argument)
    driver = webdriver.Chrome(service=Service(shutil.which("chromedriver") or "/usr/bin/chromedriver"),
                              options=options)
    # The page itself, not the window around it, gets the laptop screen's 1366 x 768.
    inner = driver.execute_script("return [window.innerWidth, window.innerHeight];")
    driver.set_window_size(2 * 1366 - inner[0], 2 * 768 - inner[1])
    return driver


def save_scaled_screenshot(driver, path, width):
    """The page scaled to the given width, as the README shows it."""
    size = driver.execute_script("return [window.innerWidth, window.innerHeight];")
    clip = {"x": 0, "y": 0, "width": size[0], "height": size[1], "scale": width / size[0]}
    shot = driver.execute_cdp_cmd("Page.captureScreenshot", {"format": "png", "clip": clip})
    with open(path, "wb") as f:
        f.write(base64.b64decode(shot["data"]))


def wait_for(driver, what, condition):
    try:
        # The page redraws what it shows; an element found just before is then stale.
        return WebDriverWait(driver, WAIT_S, ignored_exceptions=[StaleElementReferenceException]).until(
            lambda d: condition())
    except Exception:
        logs = "\n".join(entry["message"] for entry in driver.get_log("browser"))
        raise AssertionError("timed out waiting for %s (status: %s)\n%s"
                             % (what, driver.find_element(By.ID, "status").text, logs))


def choose(driver, element_id, value):
    """Picks an option of a select as a user's choice does (its change event)."""
    select = driver.find_element(By.ID, element_id)
    driver.execute_script("arguments[0].value = arguments[1];"
                          "arguments[0].dispatchEvent(new Event('change'));", select, value)
    if select.get_attribute("value") != value:
        raise AssertionError("%s has no option %s" % (element_id, value))


def text(driver, element_id):
    return driver.find_element(By.ID, element_id).text


def check_channel(driver, sim, channel, shot):
    number = channel["channel"]
    label = "ch%d" % number
    if driver.find_element(By.ID, "channel").get_attribute("value") != str(number):
        choose(driver, "channel", str(number))
    style = ET.fromstring(sim.api("channels/%d/style" % number)["style"].encode())
    tabs = [tab for tab in style if tab.tag == "tab"]
    titles = [tab.get("title") for tab in tabs]
    shown = lambda: [b.text for b in driver.find_elements(By.CSS_SELECTOR, "#tabs button")]
    try:
        wait_for(driver, label + " tabs", lambda: shown() == titles)
    except AssertionError as error:
        raise AssertionError("%s\nexpected %s\nshown %s" % (error, titles, shown()))
    for index, title in enumerate(titles):
        driver.find_elements(By.CSS_SELECTOR, "#tabs button")[index].click()
        wait_for(driver, "tab " + title, lambda: driver.find_element(By.CSS_SELECTOR, "#panel h2").text == title)
    print("ok   %s: %d tabs: %s" % (label, len(titles), ", ".join(titles)))

    # Brightness, moved on its slider as a user's release of it does.
    tab_index = next(i for i, tab in enumerate(tabs) if tab.find(".//param[@id='%d']" % BRIGHTNESS) is not None)
    driver.find_elements(By.CSS_SELECTOR, "#tabs button")[tab_index].click()
    slider = wait_for(driver, "the brightness slider",
                      lambda: driver.find_element(By.CSS_SELECTOR, "input[data-key='%d']" % BRIGHTNESS))
    before = sim.api("channels/%d/current" % number)[str(BRIGHTNESS)]
    wanted = before + 13 if before + 13 <= int(slider.get_attribute("max")) else before - 13
    driver.execute_script("arguments[0].value = arguments[1];"
                          "arguments[0].dispatchEvent(new Event('input'));"
                          "arguments[0].dispatchEvent(new Event('change'));", slider, str(wanted))
    wait_for(driver, "command 34 in the trace",
             lambda: "isp ch%d set 34 KEY_BRIGHTNESS: %d -> ok" % (number, wanted) in text(driver, "trace-isp"))
    now = sim.api("channels/%d/current" % number)[str(BRIGHTNESS)]
    assert now == wanted, "%s: brightness reads %s, not %d\n%s" % (label, now, wanted, "".join(sim.lines[-12:]))
    driver.save_screenshot(shot)
    save_scaled_screenshot(driver, shot.replace(".png", "-1200.png"), 1200)
    scheme = next(c for c in sim.api("channels") if c["channel"] == number)["scheme"]
    driver.find_element(By.ID, "flush").click()
    wait_for(driver, "the flush", lambda: "Saved" in text(driver, "trace-scheme"))
    saved = sim.saved_value(channel, scheme, BRIGHTNESS)
    assert saved == wanted, "scheme file holds %r for 34, not %d" % (saved, wanted)
    print("ok   %s: brightness %d -> %d reached the ISP and, after flush, scheme %d's file" % (label, before, wanted, scheme))

    # A change made elsewhere (a script, the prompt) shows without a reload.
    sim.api("channels/%d/set" % number, {"key": BRIGHTNESS, "value": before})
    wait_for(driver, "another client's change on the page", lambda: slider.get_attribute("value") == str(before))
    print("ok   %s: brightness set back to %d by another client shows on the page" % (label, before))

    # Dusk: day/night switching, 18:30, night from the ISP, one pass.
    choose(driver, "scheme-mode", "2")
    wait_for(driver, "scheme mode 2", lambda: "Scheme switching = 2" in text(driver, "trace-what"))
    driver.execute_script("document.getElementById('clock').value = '18:30';"
                          "document.getElementById('clock-set').click();")
    wait_for(driver, "the clock", lambda: sim.api("clock")["hour"] == 18)
    choose(driver, "daynight", "1")
    driver.find_element(By.ID, "daynight-set").click()
    wait_for(driver, "night", lambda: "night" in text(driver, "trace-what"))
    shown = text(driver, "scheme-current")
    driver.find_element(By.ID, "pass").click()
    wait_for(driver, "the night scheme", lambda: text(driver, "scheme-current") == "Scheme 1 (night)")
    print("ok   %s: scheme mode day/night, 18:30, night, one pass: '%s' -> '%s'" % (label, shown, text(driver, "scheme-current")))


def run_profile(exe, profile, out_dir, shots):
    work = tempfile.mkdtemp(prefix="browser-test-")
    sim = Simulator(exe, profile, work)
    driver = None
    try:
        driver = browser()
        driver.get(sim.url + "/")
        wait_for(driver, "the page", lambda: driver.find_elements(By.CSS_SELECTOR, "#tabs button"))
        for channel, shot in zip(sim.api("channels"), shots):
            check_channel(driver, sim, channel, os.path.join(out_dir, shot))
        errors = [entry for entry in driver.get_log("browser") if entry["level"] == "SEVERE"]
        assert not errors, "the page logged errors: %s" % errors
    finally:
        if driver is not None:
            driver.quit()
        sim.stop()
        shutil.rmtree(work, ignore_errors=True)


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    exe = os.path.abspath(sys.argv[1])
    out_dir = sys.argv[2] if len(sys.argv) > 2 else os.path.join(os.path.dirname(__file__), "..", "build", "ci-logs")
    os.makedirs(out_dir, exist_ok=True)
    started = time.time()
    try:
        run_profile(exe, "ir-bullet", out_dir, ["settings-page.png"])
        run_profile(exe, "thermal-dual", out_dir, ["settings-page-thermal-ch1.png", "settings-page-thermal.png"])
    except AssertionError as error:
        print("FAIL", error)
        return 1
    print("browser test passed in %.1f s; screenshots in %s" % (time.time() - started, out_dir))
    return 0


if __name__ == "__main__":
    sys.exit(main())
