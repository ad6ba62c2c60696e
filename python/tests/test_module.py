# SPDX-License-Identifier: BSD-3-Clause
"""The module's functions on their own: reading, array layouts, refusals, settings and
progress. Comparisons with the tool are in test_same_as_tool.py."""
import _thread
import locale
import math
import os
import pickle
import shutil
import subprocess
import sys
import threading

import numpy as np
import pytest

import lftm


@pytest.fixture(scope="module")
def small(samples):
    """A 96 x 128 crop of a bundled photograph: quick to tone map, real dynamic range."""
    return np.ascontiguousarray(lftm.read(samples / "golden_gate.hdr")[300:396, 500:628])


def test_read_and_info_agree_on_every_format(samples):
    for name, fmt in [("golden_gate.hdr", "Radiance RGBE"), ("desk.exr", "OpenEXR"),
                      ("golden_gate_linear16.tif", "TIFF")]:
        pixels = lftm.read(samples / name)
        about = lftm.info(str(samples / name))
        assert pixels.dtype == np.float32 and pixels.shape == (about["height"], about["width"], 3)
        assert about["format"] == fmt
        assert 0 < about["lum_min"] <= about["lum_geomean"] <= about["lum_max"]
        assert math.isclose(math.log(about["lum_max"]), about["log_max"], rel_tol=1e-6)
        assert np.isfinite(pixels).all() and pixels.max() > 0


def test_every_array_layout_gives_the_pixels_of_its_packed_copy(small):
    packed = lftm.tonemap(small, threads=1)
    assert packed.dtype == np.uint8 and packed.shape == small.shape

    wide = np.zeros((96, 300, 3), np.float32)
    wide[:, 50:178] = small
    for view in (wide[:, 50:178],                       # rows apart by more than a row
                 np.asfortranarray(small),              # columns first: copied
                 small.astype(np.float64),              # float64: converted
                 small[::-1][::-1]):                    # negative row steps: copied
        assert np.array_equal(lftm.tonemap(view, threads=1), packed)

    assert lftm.tonemap(small, bits=16).dtype == np.uint16
    grey = lftm.tonemap(np.ascontiguousarray(small[..., 1]), method="squeezer")
    assert grey.shape == small.shape[:2] and grey.dtype == np.uint8

    rgba = np.dstack([small, np.linspace(-1, 2, 128, dtype=np.float32)[None, :].repeat(96, 0)])
    out = lftm.tonemap(rgba, method="squeezer", bits=16)
    assert out.shape == (96, 128, 4)
    assert out[0, 0, 3] == 0 and out[0, -1, 3] == 65535  # alpha clamped to 0..1
    assert np.array_equal(out[..., :3], lftm.tonemap(small, method="squeezer", bits=16))


def test_refusals_name_what_is_wrong(samples, small, tmp_path):
    with pytest.raises(lftm.Error) as missing:
        lftm.read(tmp_path / "none.hdr")
    assert missing.value.code < 0 and "none.hdr: there is no such file" in str(missing.value)
    assert isinstance(missing.value, RuntimeError)
    with pytest.raises(lftm.Error, match="no such file"):
        lftm.tonemap_file(tmp_path / "none.hdr", tmp_path / "out.jpg")
    # A pipe is refused at once, not read until something writes to it.
    os.mkfifo(tmp_path / "pipe.hdr")
    with pytest.raises(lftm.Error, match="pipe.hdr: this is not a regular file"):
        lftm.tonemap_file(tmp_path / "pipe.hdr", tmp_path / "out.jpg")

    with pytest.raises(TypeError, match="Strength, ColorSaturation"):
        lftm.tonemap(small, strength=60)
    with pytest.raises(TypeError, match="Brightness"):
        lftm.tonemap(small, method="squeezer", Strength=60)
    with pytest.raises(ValueError, match="0 to 100"):
        lftm.tonemap(small, Strength=101)
    with pytest.raises(ValueError):
        lftm.tonemap(small, Gamma=float("nan"))
    with pytest.raises(ValueError, match="Light or Slider"):
        lftm.tonemap(small, SmoothingMode="Heavy")
    with pytest.raises(TypeError):
        lftm.tonemap(small, Strength="high")
    with pytest.raises(ValueError, match="booster"):
        lftm.tonemap(small, method="fast")
    with pytest.raises(ValueError, match="squeezer"):
        lftm.tonemap(small, method="booster", settings=lftm.Settings("squeezer"))

    with pytest.raises(TypeError, match="float32 or float64"):
        lftm.tonemap((small * 100).astype(np.int32))
    with pytest.raises(ValueError, match=r"\(96, 128, 2\)"):
        lftm.tonemap(small[..., :2])
    with pytest.raises(ValueError, match="empty"):
        lftm.tonemap(small[:0])
    broken = small.copy()
    broken[7, 9, 2] = np.nan
    with pytest.raises(ValueError, match="row 7, column 9"):
        lftm.tonemap(broken)
    huge = small.astype(np.float64)
    huge[2, 3, 0] = 1e300  # finite, but not as a 32-bit float
    with np.errstate(over="ignore"), pytest.raises(ValueError, match="too large for 32-bit"):
        lftm.tonemap(huge)
    # A view of far more samples than any memory holds: its float32 copy cannot be had.
    with pytest.raises(MemoryError, match="memory"):
        lftm.tonemap(np.broadcast_to(np.float64(1), (10**7, 10**7, 3)))

    with pytest.raises(ValueError, match="8 or 16"):
        lftm.tonemap(small, bits=12)
    for threads in (33, 2**40):  # one sentence for any int out of range
        with pytest.raises(ValueError, match="threads must be 0 .* to 32, not"):
            lftm.tonemap(small, threads=threads)
    with pytest.raises(ValueError, match="memory_limit"):
        lftm.tonemap(small, memory_limit=-1)
    with pytest.raises(lftm.Error) as tight:
        lftm.tonemap(small, disk=True, memory_limit=1 << 20)  # less than any run needs
    assert "the limit set is 1048576 bytes" in str(tight.value)
    with pytest.raises(TypeError, match="callable"):
        lftm.tonemap(small, progress=0.5)
    with pytest.raises(ValueError, match="16 bits"):
        lftm.tonemap_file(tmp_path / "none.hdr", tmp_path / "out.jpg", bits=16)
    with pytest.raises(ValueError, match=".tif"):
        lftm.tonemap_file(tmp_path / "none.hdr", tmp_path / "out.png")
    with pytest.raises(ValueError, match="null"):
        lftm.tonemap_file(tmp_path / "none.hdr", str(tmp_path / "out.jpg\0.tif"), bits=16)
    # The original must survive a run asked to write over it, by its name or another link.
    photo = tmp_path / "photo.tif"
    shutil.copy(samples / "golden_gate_linear16.tif", photo)
    os.link(photo, tmp_path / "link.tif")
    for target in (photo, tmp_path / "link.tif"):
        with pytest.raises(ValueError, match="input"):
            lftm.tonemap_file(photo, target, bits=16)
    assert photo.read_bytes() == (samples / "golden_gate_linear16.tif").read_bytes()


def test_tonemap_file_replaces_only_its_own_outputs_unless_told(samples, tmp_path):
    source = samples / "desk.exr"
    notes = tmp_path / "notes.jpg"
    notes.write_text("notes\n")
    with pytest.raises(FileExistsError, match="overwrite=True"):
        lftm.tonemap_file(source, notes, method="squeezer")
    assert notes.read_text() == "notes\n"
    lftm.tonemap_file(source, notes, method="squeezer", overwrite=True)
    lftm.tonemap_file(source, notes, method="squeezer")  # now lftm's own output
    assert notes.read_bytes()[:2] == b"\xff\xd8"
    pipe = tmp_path / "pipe.jpg"
    os.mkfifo(pipe)
    with pytest.raises(lftm.Error) as special:
        lftm.tonemap_file(source, pipe, method="squeezer", overwrite=True)
    assert special.value.code == -55


def test_settings_survive_a_sidecar_and_render_alike(samples, small, tmp_path, capfd):
    chosen = lftm.Settings("booster", Strength=55.56, Gamma=1.23, Smoothing="Medium",
                           WhiteClip=0.3333333, **{"360DegreeImage": "Yes"})
    # Kept as a sidecar keeps them, so that the saved file renders the same image again.
    assert (chosen.Strength, chosen.Gamma, chosen.WhiteClip) == (55.6, 1.2, 0.333333)
    assert (chosen.SmoothingMode, chosen.Smoothing) == ("Light", "Medium")
    chosen.ColorSaturation = 60
    with pytest.raises(AttributeError, match="Strength"):
        chosen.Sharpness = 3
    with pytest.raises(ValueError):
        chosen.Microsmoothing = -1

    chosen.save(tmp_path / "look.xmp")
    loaded = lftm.Settings.load(tmp_path / "look.xmp")
    assert loaded == chosen and loaded.method == "booster"
    assert eval(repr(chosen), {"lftm": lftm}) == chosen
    assert pickle.loads(pickle.dumps(chosen)) == chosen
    assert np.array_equal(lftm.tonemap(small, settings=tmp_path / "look.xmp"),
                          lftm.tonemap(small, settings=chosen))
    assert np.array_equal(lftm.tonemap(small, settings=chosen, Strength=70),
                          lftm.tonemap(small, Strength=70, Gamma=1.2, Smoothing="Medium",
                                       WhiteClip=0.333333, ColorSaturation=60,
                                       **{"360DegreeImage": "Yes"}))

    for protocol in range(pickle.HIGHEST_PROTOCOL + 1):
        assert pickle.loads(pickle.dumps(chosen, protocol)) == chosen, protocol
    assert chosen.names()[:3] == ["Luminosity", "Strength", "ColorSaturation"]

    with pytest.raises(lftm.Error) as other_method:
        lftm.Settings.load(tmp_path / "look.xmp", method="squeezer")
    assert other_method.value.code == -5
    assert str(other_method.value) == (
        f"{tmp_path / 'look.xmp'} holds Texture Booster settings, not Range Squeezer ones")

    # A value the reader cannot take refuses the file, as the tool does, naming the setting.
    text = (tmp_path / "look.xmp").read_text()
    (tmp_path / "odd.xmp").write_text(text.replace("<lftm:Strength>55.6<",
                                                   "<lftm:Strength>abc<"))
    with pytest.raises(lftm.Error, match='"abc" of Strength'):
        lftm.Settings.load(tmp_path / "odd.xmp")

    # Saving never replaces a file that is not a sidecar, unless asked to.
    photo = tmp_path / "photo.hdr"
    shutil.copy(samples / "golden_gate.hdr", photo)
    with pytest.raises(lftm.Error, match="not a settings sidecar"):
        chosen.save(photo)
    assert photo.read_bytes() == (samples / "golden_gate.hdr").read_bytes()
    chosen.save(photo, overwrite=True)
    assert lftm.Settings.load(photo) == chosen

    text = (tmp_path / "look.xmp").read_text().replace(
        "<lftm:Strength>55.6<", "<lftm:Strength>250.0<")
    (tmp_path / "wild.xmp").write_text(text)
    with pytest.warns(UserWarning, match="Strength 250 is outside 0 to 100; 100 is used"):
        assert lftm.Settings.load(tmp_path / "wild.xmp").Strength == 100
    assert capfd.readouterr().out == ""  # the reader prints nothing


def test_settings_read_back_under_a_decimal_comma_locale():
    before = locale.setlocale(locale.LC_NUMERIC)
    try:
        locale.setlocale(locale.LC_NUMERIC, "de_DE.UTF-8")
    except locale.Error:
        pytest.skip("no de_DE.UTF-8 locale")
    try:
        chosen = lftm.Settings("booster", Strength=55.6, Gamma=1.2)
        assert (chosen.Strength, chosen.Gamma) == (55.6, 1.2)
        assert pickle.loads(pickle.dumps(chosen)) == chosen
    finally:
        locale.setlocale(locale.LC_NUMERIC, before)


def test_progress_reports_and_cancels_on_the_calling_thread(small):
    seen, threads = [], set()

    def note(fraction):
        seen.append(fraction)
        threads.add(threading.get_ident())
    lftm.tonemap(small, threads=4, progress=note)
    assert len(seen) >= 2 and seen == sorted(seen) and 0 <= seen[0] and seen[-1] == 1
    assert threads == {threading.get_ident()}

    with pytest.raises(lftm.Cancelled) as cancelled:
        lftm.tonemap(small, progress=lambda fraction: fraction > 0.3)
    assert cancelled.value.code == -50 and isinstance(cancelled.value, lftm.Error)

    def fails(fraction):
        raise ZeroDivisionError("from the callback")
    with pytest.raises(ZeroDivisionError, match="from the callback"):
        lftm.tonemap(small, method="squeezer", progress=fails)

    # Ctrl-C while the library works: the hook sees the pending signal and stops the run.
    def interrupt_once(fraction, asked=[]):
        if not asked:
            asked.append(fraction)
            _thread.interrupt_main()
    with pytest.raises(KeyboardInterrupt):
        lftm.tonemap(small, progress=interrupt_once)


EXIT_MID_RUN = """
import sys, threading, time
import numpy as np
import lftm
image = np.random.default_rng(1).random((1200, 1600, 3), dtype=np.float32) * 100
started = threading.Event()
def work():
    started.set()
    lftm.tonemap(image, threads=2, progress=lambda fraction: None)
threading.Thread(target=work, daemon=True).start()
started.wait()
time.sleep(float(sys.argv[1]))
"""


def test_interpreter_exits_cleanly_while_a_thread_tone_maps():
    # The interpreter shuts down at a different point of the run each time; a thread that
    # took the GIL then would be ended by a forced unwind through the library.
    for delay in (0.05, 0.2, 0.4, 0.6, 0.8, 1.0):
        run = subprocess.run([sys.executable, "-c", EXIT_MID_RUN, str(delay)],
                             capture_output=True, text=True, timeout=120, env=os.environ)
        assert run.returncode == 0 and run.stderr == "", (delay, run.stderr)
