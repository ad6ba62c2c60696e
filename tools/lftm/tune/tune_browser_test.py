#!/usr/bin/env python3
"""The tuner in a real browser: headless chromium driven through its WebDriver.

Usage: tune_browser_test.py LFTM PHOTO.hdr SCREENSHOT.png

Opens the page of `lftm tune PHOTO` through its one-time address, moves a control and sees
the preview change, switches the method, sees the 1:1 view follow a change, saves a sidecar
and compares it with the one the command line saves, exports and compares the file bit for
bit with the command line's, cancels an export of a larger image midway (no file left), and
checks that the address works once, that requests without the session's cookie, for another
host or from another origin, and a path outside the session's folders are refused. Exits 77
(skipped) when chromium, its driver or selenium is missing.
"""
import json
import os
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


def main():
    lftm, photo, screenshot = sys.argv[1:4]
    work = tempfile.mkdtemp(prefix="lftm-tune-test-")
    tuners = []
    options = webdriver.ChromeOptions()
    options.binary_location = CHROMIUM
    for arg in ("--headless=new", "--no-sandbox", "--disable-gpu", "--window-size=1200,820",
                "--disable-dev-shm-usage"):
        options.add_argument(arg)
    driver = webdriver.Chrome(service=Service(DRIVER), options=options)
    try:
        shutil.copy(photo, os.path.join(work, "photo.hdr"))
        tuner = Tuner(lftm, "photo.hdr", work)
        tuners.append(tuner)
        wait = WebDriverWait(driver, 60)

        # The address opens the page once, and its code then leaves the address bar.
        assert tuner.request("/", signed=False)[0] == 403
        tuner.sign_in(driver, os.path.join(work, "open.html"))
        status, body = tuner.request(tuner.url[len(tuner.base):], signed=False)
        assert status == 403 and b"start it again" in body, (status, body)
        # Refused: another host name (a rebound DNS name), a change without the page's origin
        # or from another one, a folder the session does not own.
        status, body = tuner.request("/api/settings", headers={"Host": "evil.example"})
        assert status == 403, (status, body)
        for origin in (None, "http://127.0.0.1:9", "http://evil.example"):
            headers = {"Origin": origin, "Sec-Fetch-Site": None if origin else "cross-site"}
            status, _ = tuner.request("/api/reset", {"method": "Range Squeezer"}, headers=headers)
            assert status == 403, (origin, status)
        status, body = tuner.request("/api/save", {"path": "/etc/lftm-tune.xmp"})
        assert status == 400 and b"outside" in body, (status, body)
        assert not os.path.exists("/etc/lftm-tune.xmp")

        driver.refresh()
        preview = driver.find_element(By.ID, "preview")

        def shown_generation():
            element = driver.find_element(By.ID, "preview")  # of the page open now
            return int(element.get_attribute("data-generation") or 0)

        def wait_for_generation_after(generation):
            wait.until(lambda d: shown_generation() > generation)
            return shown_generation()

        generation = wait_for_generation_after(0)
        before = preview.screenshot_as_png

        # Move a control: the number beside the Strength slider.
        number = driver.find_element(By.CSS_SELECTOR, 'input.number[data-for="Strength"]')
        number.send_keys(Keys.CONTROL, "a")
        number.send_keys("15\t")
        generation = wait_for_generation_after(generation)
        strength = driver.find_element(By.NAME, "Strength").get_attribute("value")
        assert strength == "15", strength
        assert preview.screenshot_as_png != before, "the preview did not change"
        wait.until(lambda d: d.find_element(By.ID, "histogram").get_attribute(
            "data-generation") == str(generation))

        # Drag the slider: whatever was sent on the way, the last value wins.
        slider = driver.find_element(By.NAME, "ColorSaturation")
        for value in (10, 20, 30, 40, 55):
            driver.execute_script(
                "arguments[0].value = arguments[1];"
                "arguments[0].dispatchEvent(new Event('input'));", slider, value)
        wait.until(lambda d: json.loads(tuner.request("/api/settings")[1])["settings"][2]
                   ["value"] == 55)
        wait.until(lambda d: shown_generation() == json.loads(
            tuner.request("/api/settings")[1])["generation"])

        # Switch the method: the Range Squeezer's own controls appear.
        Select(driver.find_element(By.NAME, "method")).select_by_visible_text("Range Squeezer")
        wait.until(lambda d: d.find_elements(By.NAME, "Brightness"))
        generation = wait_for_generation_after(generation)
        number = driver.find_element(By.CSS_SELECTOR, 'input.number[data-for="Brightness"]')
        number.send_keys(Keys.CONTROL, "a")
        number.send_keys("2.5\t")
        generation = wait_for_generation_after(generation)

        # The 1:1 view of a clicked region, which follows the next change.
        def zoom_is_current(d):
            settings = json.loads(tuner.request("/api/settings")[1])
            return zoom.get_attribute("data-generation") == str(settings["generation"])

        driver.find_element(By.ID, "preview").click()
        zoom = driver.find_element(By.ID, "zoom")
        wait.until(zoom_is_current)
        zoomed = zoom.screenshot_as_png
        number = driver.find_element(By.CSS_SELECTOR, 'input.number[data-for="Brightness"]')
        number.send_keys(Keys.CONTROL, "a")
        number.send_keys("-3\t")
        generation = wait_for_generation_after(generation)
        wait.until(zoom_is_current)
        assert "stale" not in zoom.get_attribute("class")
        assert zoom.screenshot_as_png != zoomed, "the 1:1 view kept the old pixels"
        number.send_keys(Keys.CONTROL, "a")
        number.send_keys("2.5\t")
        generation = wait_for_generation_after(generation)
        wait.until(zoom_is_current)
        # The session's secret is in no address the page used.
        secret = tuner.cookie.split("=")[1]
        for element in (preview, zoom):
            assert secret not in (element.get_attribute("src") or "")

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

        driver.save_screenshot(screenshot)

        # Export, then the command line with the saved sidecar: the same file, bit for bit.
        driver.find_element(By.ID, "export-path").send_keys("page.jpg")
        driver.find_element(By.ID, "export").click()
        wait.until(lambda d: d.find_element(By.ID, "export-status").text.startswith("wrote"))
        assert driver.find_element(By.ID, "progress").get_attribute("value") == "1"
        subprocess.run([lftm, "--settings", "saved.xmp", "photo.hdr", "tool.jpg"], cwd=work,
                       check=True, capture_output=True)
        with open(os.path.join(work, "page.jpg"), "rb") as a, \
                open(os.path.join(work, "tool.jpg"), "rb") as b:
            assert a.read() == b.read(), "the export differs from the command line's output"

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
        tuner = Tuner(lftm, "big.hdr", big)
        tuners.append(tuner)
        tuner.sign_in(driver)
        wait.until(lambda d: shown_generation() > 0)
        driver.find_element(By.ID, "export-path").send_keys("big.tif")
        driver.find_element(By.ID, "export").click()
        wait.until(lambda d: d.find_element(By.ID, "cancel").is_enabled())
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
