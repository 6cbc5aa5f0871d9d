#!/usr/bin/env python3
"""The design page in a real browser, used as an engineer would use it.

Starts `kalvorden serve --port 0`, opens its page in headless Chromium
(driven by chromedriver through Selenium), types the values of the worked
example, one of them wrong first (its message must appear beside its field),
chooses Letter paper, submits with the keyboard, and checks that the result
page holds the report's rows exactly and a chart, and that its downloads
carry the paper. Takes a screenshot of the result page. Then opens a saved
project file through the page's upload form (its design must show the same
rows), and rates a slab through the rating form (its verdicts, its sheet
and its downloads must be on the page).

Usage: browser_test.py KALVORDEN GOLDEN_REPORT SCREENSHOT_PNG

Exits 77 (reported as skipped by CTest) only when Chromium, chromedriver or
Selenium is not installed.
"""

import os
import select
import shutil
import signal
import subprocess
import sys
import tempfile

SKIPPED = 77
SERVER_START_SECONDS = 30
PAGE_SECONDS = 60

VALUES = {"wheel-load-1": "72.5", "top-cover-1": "50", "paving-1": "1.5",
          "fs-1": "165", "fc-1": "10"}
COMMA_MESSAGE = "Use a decimal point: 72.5, not 72,5."
PROJECT_FILE = ("[design]\nwheel-load = [72.5]\ntop-cover = [50]\npaving = [1.5]\nfs = [165]\n"
                "fc = [10]\n")
RATING = {"rate-thickness": "200", "rate-top-cover": "40", "rate-top-bar": "#16",
          "rate-top-spacing": "150", "rate-concrete-strength": "28", "rate-paving": "1.2",
          "rate-wheel-load": "72.5", "rate-span": "2.4, 3.2", "rate-fs": "165",
          "rate-fc": "11.2", "rate-fs-operating": "248", "rate-fc-operating": "16.8"}


def report_rows(path):
    """The 59-character rows of a report file: records of 11 blanks and a
    row, recognised by the " at " between bar and spacing."""
    with open(path, "rb") as report:
        text = report.read().decode("ascii")
    rows = []
    for line in text.replace("\f", "\n").replace("\r", "\n").split("\n"):
        if len(line) == 70 and line.startswith(" " * 11) and line[43:47] == " at ":
            rows.append(line[11:])
    return rows


def start_server(binary):
    server = subprocess.Popen([binary, "serve", "--port", "0"], stdout=subprocess.PIPE,
                              stderr=subprocess.PIPE, text=True)
    ready, _, _ = select.select([server.stdout], [], [], SERVER_START_SECONDS)
    if not ready:
        server.kill()
        raise AssertionError("the server printed no URL")
    url = server.stdout.readline().strip()
    if not url.startswith("http://127.0.0.1:"):
        server.kill()
        raise AssertionError("unexpected first line: %r (%s)" % (url, server.stderr.read()))
    return server, url


def open_browser(profile):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service

    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium")
    # A root container has no user namespace for Chromium's sandbox and a
    # small /dev/shm.
    for argument in ("--headless=new", "--no-sandbox", "--disable-dev-shm-usage",
                     "--disable-gpu", "--window-size=1280,1500", "--user-data-dir=" + profile):
        options.add_argument(argument)
    browser = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
    browser.set_page_load_timeout(PAGE_SECONDS)
    browser.set_script_timeout(PAGE_SECONDS)
    return browser


def check(condition, what):
    if not condition:
        raise AssertionError(what)


def use_the_page(browser, url, golden_rows, screenshot):
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import Select, WebDriverWait

    wait = WebDriverWait(browser, PAGE_SECONDS)
    browser.get(url)
    check("KALVORDEN" in browser.title, "the form page's title: %r" % browser.title)

    # A decimal comma: the message appears beside the field while typing.
    load = browser.find_element(By.ID, "wheel-load-1")
    load.send_keys("72,5")
    message = browser.find_element(By.ID, "wheel-load-1-message")
    wait.until(lambda _: message.text == COMMA_MESSAGE)
    check(message.find_element(By.XPATH, "..") == load.find_element(By.XPATH, ".."),
          "the message is not beside its field")
    check(load.get_attribute("aria-invalid") == "true", "the field is not marked invalid")
    label = browser.find_element(By.CSS_SELECTOR, "label[for='wheel-load-1']")
    check(label.text.startswith("Wheel load"), "the field has no label")

    # Corrected, the message goes; the other values are typed in turn.
    load.send_keys(Keys.BACKSPACE * 4, "72.5")
    wait.until(lambda _: message.text == "")
    for field, value in VALUES.items():
        if field != "wheel-load-1":
            browser.find_element(By.ID, field).send_keys(value)
    Select(browser.find_element(By.ID, "paper")).select_by_value("letter")
    browser.find_element(By.ID, "fc-1").send_keys(Keys.ENTER)

    wait.until(lambda _: "/design?" in browser.current_url)
    wait.until(lambda _: browser.find_elements(By.CSS_SELECTOR, "table.rows tbody tr"))
    # The report's cells of each row, without the check as built that follows them.
    rows = browser.execute_script(
        "return Array.from(document.querySelectorAll('table.rows tbody tr')).map(r => "
        "Array.from(r.querySelectorAll('td:not(.checks)')).map(c => c.textContent).join(''))")
    check(rows == golden_rows, "the page's rows differ from the report's:\n%s\n%s"
          % ("\n".join(rows[:3]), "\n".join(golden_rows[:3])))
    browser.save_screenshot(screenshot)
    charts = browser.find_elements(By.CSS_SELECTOR, "figure.chart svg")
    check(len(charts) == 1 and charts[0].size["height"] > 100, "no chart on the page")
    check(browser.find_element(By.CSS_SELECTOR, "a[href^='/download/report.rpt?']"),
          "no report download")
    pdf = browser.find_element(By.CSS_SELECTOR, "a[href^='/download/report.pdf?']")
    check("paper=letter" in pdf.get_attribute("href"), "the PDF's link lost the paper")


def open_a_project(browser, url, golden_rows, project_path):
    """The upload form posts the file; the server answers 303 to the design."""
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait

    wait = WebDriverWait(browser, PAGE_SECONDS)
    browser.get(url)
    browser.find_element(By.ID, "project-file").send_keys(project_path)
    browser.find_element(By.CSS_SELECTOR, "form.open-project button").click()
    wait.until(lambda _: "/design?" in browser.current_url)
    wait.until(lambda _: browser.find_elements(By.CSS_SELECTOR, "table.rows tbody tr"))
    rows = browser.execute_script(
        "return Array.from(document.querySelectorAll('table.rows tbody tr')).map(r => "
        "Array.from(r.querySelectorAll('td:not(.checks)')).map(c => c.textContent).join(''))")
    check(rows == golden_rows, "the uploaded project's rows differ from the report's")


def rate_a_slab(browser, url):
    """The rating form beside the design form: a bar that is not in the table
    is refused beside its field; corrected, the slab is rated."""
    from selenium.webdriver.common.by import By
    from selenium.webdriver.common.keys import Keys
    from selenium.webdriver.support.ui import WebDriverWait

    wait = WebDriverWait(browser, PAGE_SECONDS)
    browser.get(url)
    for field, value in RATING.items():
        browser.find_element(By.ID, field).send_keys("15" if field == "rate-top-bar" else value)
    browser.find_element(By.ID, "rate-continuity").click()
    browser.find_element(By.ID, "rate-fc-operating").send_keys(Keys.ENTER)
    wait.until(lambda _: "/rate?" in browser.current_url)
    message = browser.find_element(By.ID, "rate-top-bar-message").text
    check(message.startswith('top-bar "15": is not a bar of the table'),
          "no message beside the bar: %r" % message)
    bar = browser.find_element(By.ID, "rate-top-bar")
    bar.clear()
    bar.send_keys("#16", Keys.ENTER)
    wait.until(lambda _: browser.find_elements(By.CSS_SELECTOR, "table.verdicts tbody tr"))
    rows = browser.find_elements(By.CSS_SELECTOR, "table.verdicts tbody tr")
    check(len(rows) == 2, "%d rows of verdicts, not one per span" % len(rows))
    check("below the design level" in rows[1].text, "no verdict: %r" % rows[1].text)
    sheet = browser.find_element(By.CSS_SELECTOR, "pre.sheet").text
    check("ALLOWABLE-STRESS RATING (ASR)" in sheet, "no rating sheet on the page")
    for name in ("rating.csv", "rating.txt", "project.toml"):
        link = browser.find_element(By.CSS_SELECTOR, "a[href^='/rate/download/%s?']" % name)
        check("continuity=on" in link.get_attribute("href"), "%s lost the continuity" % name)


def main():
    if len(sys.argv) != 4:
        print(__doc__)
        return 2
    binary, golden, screenshot = sys.argv[1:]
    if not shutil.which("chromium") or not shutil.which("chromedriver"):
        print("SKIPPED: Chromium is not installed (apt-get install chromium chromium-driver "
              "python3-selenium)")
        return SKIPPED
    try:
        import selenium  # noqa: F401
    except ImportError:
        print("SKIPPED: Selenium is not installed (apt-get install python3-selenium)")
        return SKIPPED

    server, url = start_server(binary)
    browser = None
    try:
        with tempfile.TemporaryDirectory() as profile:
            browser = open_browser(profile)
            use_the_page(browser, url, report_rows(golden), screenshot)
            project_path = os.path.join(profile, "deck.toml")
            with open(project_path, "w", encoding="ascii") as project:
                project.write(PROJECT_FILE)
            open_a_project(browser, url, report_rows(golden), project_path)
            rate_a_slab(browser, url)
            browser.quit()
            browser = None
    finally:
        if browser is not None:
            browser.quit()
        server.send_signal(signal.SIGTERM)
        try:
            status = server.wait(timeout=30)
        except subprocess.TimeoutExpired:
            server.kill()
            status = "no end after SIGTERM"
    check(status == 0, "the server ended with %s: %s" % (status, server.stderr.read()))
    print("PASSED: the rows, the chart, the paper, an uploaded project and a rating are on the "
          "page; screenshot " +
          os.path.abspath(screenshot))
    return 0


if __name__ == "__main__":
    sys.exit(main())
