#!/usr/bin/env python3
# SPDX-License-Identifier: BSD-3-Clause
"""The tuner in a real browser: headless chromium driven through its WebDriver.

Usage: tune_browser_test.py LFTM PHOTO.hdr SCREENSHOT_FOLDER

Opens the page of `lftm tune PHOTO` (with a second photograph in its folder) through its
one-time address and checks: the layout at 1366x768 (everything reachable without scrolling
the page) and by keyboard; controls in words; a typed value and a slider drag (coarse
previews while it moves, the fine one when it rests), the histogram and the render indicator
following; undo, redo and a double-click back to the default; the before/after split, the
whole "before" and the clipping warnings by their keys; the 100 % view following a change and
panning; a sidecar saved as the command line saves it; an export and "Export all" bit for bit
as the command line writes them, and the tool's rule for existing files; switching the
photograph by its thumbnail keeping the settings; a cancelled export leaving nothing; and that
the address works once and that requests without the session's cookie, for another host or
from another origin, and a path outside the session's folders are refused. Saves tune.png
(1400x1000), tune-1366x768.png, tune-split.png and tune-clipping.png into SCREENSHOT_FOLDER.
Exits 77 (skipped) when chromium, its driver or selenium is missing.
"""
import json
import os
import re
import shutil
import struct
import subprocess
import sys
import tempfile
import time
import urllib.error
import urllib.parse
import urllib.request

SKIP = 77


def skip(why):
    print(f"SKIPPED: {why}; install chromium, chromium-driver and python3-selenium "
          "(scripts/setup.sh) to run this test")
    sys.exit(SKIP)


try:
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.action_chains import ActionChains
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import Select, WebDriverWait
except ImportError:
    skip("python3-selenium is not installed")

CHROMIUM = shutil.which("chromium") or shutil.which("chromium-browser")
DRIVER = shutil.which("chromedriver")
if not CHROMIUM or not DRIVER:
    skip("chromium or its driver (chromedriver) is not installed")


class Tuner:
    """One `lftm tune` process and its address."""

    def __init__(self, lftm, photo, cwd):
        self.process = subprocess.Popen(
            [lftm, "tune", photo, "--no-browser"], cwd=cwd, stdout=subprocess.PIPE,
            stderr=subprocess.DEVNULL, text=True)
        line = self.process.stdout.readline()
        if "code=" not in line:
            self.stop()
            raise AssertionError(f"lftm tune printed no address: {line!r}")
        self.url = line.split()[-1]
        self.base = self.url.split("/?")[0]
        self.cookie = ""  # the session's cookie, once the browser has it

    def sign_in(self, driver, through=None):
        """Opens the one-time address in the browser, typed or `through` a local file that
        leads there as the tuner's own opener does, and takes the cookie it was given."""
        if through:
            with open(through, "w") as f:
                f.write(f'<meta http-equiv="refresh" content="0;url={self.url}">')
            driver.get("file://" + through)
        else:
            driver.get(self.url)
        WebDriverWait(driver, 30).until(lambda d: d.find_elements(By.ID, "preview"))
        assert driver.current_url == self.base + "/", driver.current_url
        name = "lftm_tune_" + self.base.rsplit(":", 1)[1]
        cookie = driver.get_cookie(name)
        assert cookie and cookie["httpOnly"] and cookie["sameSite"] == "Strict", cookie
        self.cookie = f"{name}={cookie['value']}"

    def request(self, path, fields=None, signed=True, headers=None):
        """(status, body) of a request as the page makes it; POST when `fields` is given."""
        own = {"Cookie": self.cookie} if signed else {}
        own["Sec-Fetch-Site"] = "same-origin"
        if fields is not None:
            own["Origin"] = self.base
        own.update(headers or {})
        headers = {k: v for k, v in own.items() if v is not None}
        data = urllib.parse.urlencode(fields).encode() if fields is not None else None
        try:
            with urllib.request.urlopen(urllib.request.Request(
                    self.base + path, data=data, headers=headers)) as r:
                return r.status, r.read()
        except urllib.error.HTTPError as e:
            return e.code, e.read()

    def stop(self):
        # Ctrl-C, as a user stops it.
        self.process.send_signal(2)
        self.process.wait(timeout=30)


def write_flat_hdr(path, width, height):
    """A Radiance file of flat (not run-length) RGBE pixels: a sky, a dark ground, a sun."""
    rows = []
    for y in range(0, height, 64):
        row = bytearray()
        for x in range(width):
            sun = (x - width // 3) ** 2 + (y - height // 4) ** 2 < (height // 10) ** 2
            e = 140 if sun else (129 if y < height // 2 else 125)
            row += bytes((100 + x % 100, 120 + (x // 7) % 80, 200 - y * 100 // height, e))
        rows.append(bytes(row))
    with open(path, "wb") as f:
        f.write(f"#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y {height} +X {width}\n".encode())
        for y in range(height):
            f.write(rows[y // 64])


def viewport(driver, width, height):
    """The page's own area at exactly width x height, whatever the window's frame takes."""
    driver.execute_cdp_cmd("Emulation.setDeviceMetricsOverride", {
        "width": width, "height": height, "deviceScaleFactor": 1, "mobile": False})


def settings_of(tuner):
    return json.loads(tuner.request("/api/settings")[1])


def value_of(tuner, name):
    return next(s["value"] for s in settings_of(tuner)["settings"] if s["name"] == name)


def check_refusals(tuner):
    """Refused: another host name (a rebound DNS name), a change without the page's origin or
    from another one, a folder the session does not own."""
    status, body = tuner.request("/api/settings", headers={"Host": "evil.example"})
    assert status == 403, (status, body)
    for origin in (None, "http://127.0.0.1:9", "http://evil.example"):
        headers = {"Origin": origin, "Sec-Fetch-Site": None if origin else "cross-site"}
        status, _ = tuner.request("/api/reset", {"method": "Range Squeezer"}, headers=headers)
        assert status == 403, (origin, status)
    for path, fields in (("/api/save", {"path": "/etc/lftm-tune.xmp"}),
                         ("/api/export-all", {"folder": "/etc"})):
        status, body = tuner.request(path, fields)
        assert status == 400 and b"outside" in body, (path, status, body)
    assert not os.path.exists("/etc/lftm-tune.xmp")


def check_layout(driver):
    """At 1366x768 the page does not scroll and every part of it lies in view; the settings
    scroll inside their own box."""
    viewport(driver, 1366, 768)
    time.sleep(0.3)
    size = driver.execute_script(
        "const e = document.scrollingElement;"
        "return [e.scrollWidth, e.scrollHeight, innerWidth, innerHeight];")
    assert size[0] <= size[2] and size[1] <= size[3], f"the page scrolls: {size}"
    for selector in ("#preview", "#histogram", "#save", "#load", "#export", "#export-all",
                     "#cancel", "#reset", "#undo", "#redo", "#zoom", "#split", "#clipping",
                     "#status", "#sidecar-path", "#export-path", "[name=method]",
                     "#thumbnails button"):
        box = driver.execute_script(
            "const r = document.querySelector(arguments[0]).getBoundingClientRect();"
            "return [r.left, r.top, r.right, r.bottom, r.width * r.height];", selector)
        assert box[4] > 0 and box[0] >= 0 and box[1] >= 0 and box[2] <= 1366 \
            and box[3] <= 768, (selector, box)


def check_keyboard(driver):
    """Tab reaches every control; each setting has a label in words and a description."""
    driver.execute_script("document.activeElement.blur(); window.scrollTo(0, 0);")
    reached = set()
    for _ in range(110):
        ActionChains(driver).send_keys(Keys.TAB).perform()
        element = driver.switch_to.active_element
        reached.add(element.get_attribute("id") or element.get_attribute("name"))
    for wanted in ("method", "reset", "Strength", "undo", "redo", "zoom", "split", "clipping",
                   "save", "load", "export", "export-all"):
        assert wanted in reached, (wanted, sorted(r for r in reached if r))
    unnamed = driver.execute_script(
        "return [...document.querySelectorAll('#controls input, #controls select')]"
        ".filter(c => !(c.labels.length || c.getAttribute('aria-label'))"
        " || (c.id && !c.getAttribute('aria-describedby'))).map(c => c.name);")
    assert not unnamed, unnamed
    label = driver.find_element(By.CSS_SELECTOR, 'label[for="HighlightsSmoothing"]')
    assert "HighlightsSmoothing" not in label.text, label.text
    row = driver.find_element(By.NAME, "HighlightsSmoothing").find_element(By.XPATH, "..")
    assert "HighlightsSmoothing" in row.get_attribute("title"), row.get_attribute("title")


def type_number(driver, name, text):
    number = driver.find_element(By.CSS_SELECTOR, f'input.number[data-for="{name}"]')
    number.send_keys(Keys.CONTROL, "a")
    number.send_keys(text + "\t")


def drag_slider(driver, name, values):
    """Moves a slider as a hand does: input events on the way, a change when let go. The hand
    goes on moving (back and forth over `values`) until a coarse preview has shown, as it would
    on a busy machine, then stops at the last value."""
    slider = driver.find_element(By.NAME, name)
    values = list(values)

    def move(value):
        driver.execute_script(
            "arguments[0].value = arguments[1];"
            "arguments[0].dispatchEvent(new Event('input'));", slider, value)
        time.sleep(0.05)

    for step in range(600):
        if step >= len(values) and driver.execute_script(
                "return qualities.includes('coarse');"):
            break
        move(values[step % len(values)])
    move(values[-1])
    driver.execute_script("arguments[0].dispatchEvent(new Event('change'));", slider)


def press(driver, *keys):
    chain = ActionChains(driver)
    for key in keys[:-1]:
        chain.key_down(key)
    chain.send_keys(keys[-1])
    for key in reversed(keys[:-1]):
        chain.key_up(key)
    chain.perform()


def main():
    lftm, photo, shots = sys.argv[1:4]
    os.makedirs(shots, exist_ok=True)
    work = tempfile.mkdtemp(prefix="lftm-tune-test-")
    tuners = []
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1400,1000",
                "--disable-dev-shm-usage"):
        options.add_argument(arg)
    driver = webdriver.Chrome(service=Service(DRIVER), options=options)
    try:
        shutil.copy(photo, os.path.join(work, "photo.hdr"))
        # A second photograph of the folder: smaller, for the thumbnails and Export all.
        write_flat_hdr(os.path.join(work, "second.hdr"), 300, 200)
        tuner = Tuner(lftm, "photo.hdr", work)
        tuners.append(tuner)
        wait = WebDriverWait(driver, 60)
        quick = WebDriverWait(driver, 60, poll_frequency=0.05)

        # The address opens the page once, and its code then leaves the address bar.
        assert tuner.request("/", signed=False)[0] == 403
        tuner.sign_in(driver, os.path.join(work, "open.html"))
        status, body = tuner.request(tuner.url[len(tuner.base):], signed=False)
        assert status == 403 and b"start it again" in body, (status, body)
        check_refusals(tuner)

        driver.refresh()
        viewport(driver, 1400, 1000)
        preview = driver.find_element(By.ID, "preview")

        def shown_generation():
            element = driver.find_element(By.ID, "preview")  # of the page open now
            return int(element.get_attribute("data-generation") or 0)

        def wait_for_generation_after(generation):
            wait.until(lambda d: shown_generation() > generation)
            return shown_generation()

        def shows_current(d):
            return shown_generation() == settings_of(tuner)["generation"] and \
                d.find_element(By.ID, "preview").get_attribute("data-quality") == "fine"

        generation = wait_for_generation_after(0)
        wait.until(lambda d: len(d.find_elements(By.CSS_SELECTOR, "#thumbnails button")) == 2)
        wait.until(lambda d: all(d.execute_script(
            "return [...document.querySelectorAll('#thumbnails img')].map(i => i.complete && "
            "i.naturalWidth > 0)")))
        wait.until(lambda d: "ms" in d.find_element(By.ID, "status").text)
        driver.save_screenshot(os.path.join(shots, "tune.png"))
        check_layout(driver)
        driver.save_screenshot(os.path.join(shots, "tune-1366x768.png"))
        check_keyboard(driver)
        viewport(driver, 1400, 1000)
        before = preview.screenshot_as_png

        # A typed value: the preview, the histogram with its clipped shares and the render
        # time follow.
        type_number(driver, "Strength", "15")
        generation = wait_for_generation_after(generation)
        assert driver.find_element(By.NAME, "Strength").get_attribute("value") == "15"
        assert preview.screenshot_as_png != before, "the preview did not change"
        wait.until(lambda d: d.find_element(By.ID, "histogram").get_attribute(
            "data-generation") == str(generation))
        assert "to white" in driver.find_element(By.ID, "clip-shares").text
        assert re.search(r"last render \d+ ms", driver.find_element(By.ID, "status").text)

        # Drag a slider: coarse previews on the way, the fine one of the last value at rest.
        driver.execute_script(
            "window.qualities = [];"
            "new MutationObserver(() => qualities.push(arguments[0].dataset.quality))"
            ".observe(arguments[0], {attributes: true, attributeFilter: ['data-quality']});",
            preview)
        drag_slider(driver, "ColorSaturation", range(10, 56, 5))
        wait.until(lambda d: value_of(tuner, "ColorSaturation") == 55)
        wait.until(shows_current)
        assert "coarse" in driver.execute_script("return qualities;")

        # Undo and redo, by button and by key; a double-click gives the default back.
        driver.find_element(By.ID, "undo").click()
        wait.until(lambda d: value_of(tuner, "ColorSaturation") == 46)
        press(driver, Keys.CONTROL, Keys.SHIFT, "z")
        wait.until(lambda d: value_of(tuner, "ColorSaturation") == 55)
        ActionChains(driver).double_click(driver.find_element(By.NAME, "Strength")).perform()
        wait.until(lambda d: value_of(tuner, "Strength") == 70)
        driver.find_element(By.TAG_NAME, "h1").click()
        press(driver, Keys.CONTROL, "z")
        wait.until(lambda d: value_of(tuner, "Strength") == 15)
        wait.until(shows_current)

        # The split: before on the left of the divider, dragged across; the whole "before"
        # on the backslash key; the clipping warnings on J.
        driver.find_element(By.ID, "split").click()
        divider = driver.find_element(By.ID, "divider")
        wait.until(lambda d: divider.is_displayed() and d.execute_script(
            "const b = document.getElementById('before');"
            "return b.complete && b.naturalWidth > 0;"))
        ActionChains(driver).drag_and_drop_by_offset(divider, -120, 0).perform()
        assert float(divider.get_attribute("aria-valuenow")) < 45
        driver.save_screenshot(os.path.join(shots, "tune-split.png"))
        press(driver, "\\")
        assert "whole" in driver.find_element(By.ID, "before").get_attribute("class")
        press(driver, "\\")
        driver.find_element(By.ID, "split").click()
        plain = preview.screenshot_as_png
        press(driver, "j")
        assert driver.find_element(By.ID, "clipping").is_selected()
        wait.until(lambda d: d.find_element(By.ID, "preview").screenshot_as_png != plain)
        red = driver.execute_script(
            "const i = arguments[0], c = document.createElement('canvas');"
            "c.width = i.naturalWidth; c.height = i.naturalHeight;"
            "const g = c.getContext('2d'); g.drawImage(i, 0, 0);"
            "const d = g.getImageData(0, 0, c.width, c.height).data; let n = 0;"
            "for (let k = 0; k < d.length; k += 4) n += d[k] == 255 && d[k + 1] == 0 && d[k + 2] == 0;"
            "return n;", preview)
        assert red > 0, "no pixel painted as clipped to white"
        driver.save_screenshot(os.path.join(shots, "tune-clipping.png"))
        press(driver, "j")

        # 100 %: the view follows the next change, and moves with the hand.
        Select(driver.find_element(By.ID, "zoom")).select_by_value("100")
        magnified = driver.find_element(By.ID, "magnified")

        def magnified_is_current(d):
            return magnified.get_attribute("data-generation") == str(
                settings_of(tuner)["generation"]) and "stale" not in magnified.get_attribute(
                    "class")

        wait.until(magnified_is_current)
        zoomed = magnified.screenshot_as_png
        type_number(driver, "Strength", "60")
        wait.until(lambda d: value_of(tuner, "Strength") == 60)
        wait.until(magnified_is_current)
        assert magnified.screenshot_as_png != zoomed, "the 100 % view kept the old pixels"
        zoomed = magnified.screenshot_as_png
        ActionChains(driver).drag_and_drop_by_offset(magnified, 150, 80).perform()
        wait.until(magnified_is_current)
        assert magnified.screenshot_as_png != zoomed, "panning did not move the view"
        Select(driver.find_element(By.ID, "zoom")).select_by_value("fit")
        # The session's secret is in no address the page used.
        secret = tuner.cookie.split("=")[1]
        for element in (preview, magnified):
            assert secret not in (element.get_attribute("src") or "")

        # Switch the method: the Range Squeezer's own controls appear.
        Select(driver.find_element(By.NAME, "method")).select_by_visible_text("Range Squeezer")
        wait.until(lambda d: d.find_elements(By.NAME, "Brightness"))
        type_number(driver, "Brightness", "2.5")
        wait.until(lambda d: value_of(tuner, "Brightness") == 2.5)
        wait.until(shows_current)

        # Save a sidecar; the command line saves the same one for the same settings.
        path = driver.find_element(By.ID, "sidecar-path")
        path.send_keys("saved.xmp")
        driver.find_element(By.ID, "save").click()
        wait.until(lambda d: "saved" in d.find_element(By.ID, "message").text)
        subprocess.run([lftm, "--method", "squeezer", "--Brightness", "2.5", "--save-settings",
                        "tool.xmp", "photo.hdr", "tool-settings.jpg"], cwd=work, check=True,
                       capture_output=True)
        with open(os.path.join(work, "saved.xmp"), "rb") as a, \
                open(os.path.join(work, "tool.xmp"), "rb") as b:
            assert a.read() == b.read(), "the page's sidecar differs from the tool's"

        def same_as_tool(page_file, input_name):
            tool_file = os.path.join(work, "tool-" + os.path.basename(page_file))
            subprocess.run([lftm, "--settings", "saved.xmp", input_name, tool_file], cwd=work,
                           check=True, capture_output=True)
            with open(page_file, "rb") as a, open(tool_file, "rb") as b:
                return a.read() == b.read()

        # Export, then the command line with the saved sidecar: the same file, bit for bit.
        driver.find_element(By.ID, "export-path").send_keys("page.jpg")
        driver.find_element(By.ID, "export").click()
        wait.until(lambda d: d.find_element(By.ID, "export-status").text.startswith("wrote"))
        assert driver.find_element(By.ID, "progress").get_attribute("value") == "1"
        assert same_as_tool(os.path.join(work, "page.jpg"), "photo.hdr"), \
            "the export differs from the command line's output"

        # Another photograph by its thumbnail: the settings stay.
        driver.find_element(By.CSS_SELECTOR, '#thumbnails button[data-file="second.hdr"]').click()
        wait.until(lambda d: "second.hdr" in d.find_element(By.ID, "file").text)
        assert value_of(tuner, "Brightness") == 2.5
        wait.until(shows_current)

        # Export all: every photograph as the command line writes it; a file lftm did not
        # write is replaced only when asked to.
        os.mkdir(os.path.join(work, "tuned"))
        with open(os.path.join(work, "tuned", "second.jpg"), "w") as f:
            f.write("not lftm's")
        driver.find_element(By.ID, "export-all").click()
        wait.until(lambda d: "overwrite" in d.find_element(By.ID, "export-status").text)
        driver.find_element(By.ID, "export-overwrite").click()
        driver.find_element(By.ID, "export-all").click()
        wait.until(lambda d: d.find_element(By.ID, "export-status").text == "wrote 2 files")
        for name in ("photo", "second"):
            assert same_as_tool(os.path.join(work, "tuned", name + ".jpg"), name + ".hdr"), name

        # A request the page never makes: a path outside, refused with a message.
        driver.find_element(By.ID, "export-path").clear()
        driver.find_element(By.ID, "export-path").send_keys("../outside.jpg")
        driver.find_element(By.ID, "export").click()
        wait.until(lambda d: "outside" in d.find_element(By.ID, "export-status").text)
        tuner.stop()
        tuners.remove(tuner)

        # Cancel an export of a larger photograph midway: nothing is left behind.
        big = os.path.join(work, "big")
        os.mkdir(big)
        write_flat_hdr(os.path.join(big, "big.hdr"), 3000, 2000)
        tuner = Tuner(lftm, "big/", work)
        tuners.append(tuner)
        tuner.sign_in(driver)
        wait.until(lambda d: shown_generation() > 0)
        driver.find_element(By.ID, "export-path").send_keys("big.tif")
        driver.find_element(By.ID, "export").click()
        quick.until(lambda d: d.find_element(By.ID, "cancel").is_enabled())
        driver.find_element(By.ID, "cancel").click()
        wait.until(lambda d: "cancelled" in d.find_element(By.ID, "export-status").text)
        assert sorted(os.listdir(big)) == ["big.hdr"], os.listdir(big)
        print("tune browser test: passed")
        return 0
    finally:
        driver.quit()
        for tuner in tuners:
            tuner.stop()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
