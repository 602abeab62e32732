"""The Python reader against vnxinfo, on recordings the program makes: every header field and
every sample agree; unfinalised, wrongly counted, cut-short and malformed files are handled as
vnxinfo handles them; a 1 GB file is mapped, not loaded."""

import datetime
import resource
import shutil
import warnings

import numpy as np
import pytest

import trelvanix_vnx
from trelvanix_vnx import VnxDataWarning, VnxFormatError
from vnx_files import csv_text, info_text, run_vnxinfo, set_word, word


def test_every_field_and_sample_agrees_with_vnxinfo(recording):
    f = trelvanix_vnx.read(recording)
    assert isinstance(f.samples, np.memmap)
    status, out, err = run_vnxinfo(recording)
    assert (status, err) == (0, "")
    assert info_text(f) == out
    status, out, err = run_vnxinfo(recording, "--csv")
    assert (status, err) == (0, "")
    assert csv_text(f) == out


def test_the_header_holds_what_the_operator_set(recordings):
    h = trelvanix_vnx.read(recordings["one channel"]).header
    assert (h.rate, h.channel_count, h.version, h.header_blocks) == (4000, 1, 807, 1)
    assert h.declared_samples == h.samples == 4000  # a finalised timed recording of 1 s
    assert h.comment == "slice 3\nbath 32 C\n"
    assert h.comment_lines == ["slice 3", "bath 32 C"]
    assert h.labels == ["membrane"] and h.units == ["V"] and h.scale_factors == [1.0]
    assert h.date == datetime.datetime(2026, 1, 1, 12, 0, 0)
    assert h.stimulus is None

    f = trelvanix_vnx.read(recordings["units and filters"])
    h = f.header
    assert h.units == ["mV", "pA", "MV", "cO"]
    assert h.gains == [1, 1, 0.5, 1]  # ai2 on the +-10 V range: its gain is stored as 0
    assert h.scale_factors == pytest.approx([0.001, 0.0005, 2, 0.25], rel=1e-7)
    assert [(g.type, g.low_hz, g.high_hz, g.window_type, g.window_size)
            for g in h.filters[:2]] == [(1, 500, 100, 4, 101), (3, 10, pytest.approx(
                4000 - 2**32 / 655360), 5, 31)]  # 4000 Hz is beyond the field and wraps
    # The boards' constants come back in each channel's unit.
    for index, expected in enumerate([1000.0, -2000.0, 1.0, 2.0]):
        assert f.channel(index) == pytest.approx(np.full(h.scans, expected), rel=1e-4)


def test_a_split_recording_reads_as_two_files_of_the_same_scans(recordings):
    first = trelvanix_vnx.read(recordings["split 1"])
    second = trelvanix_vnx.read(recordings["split 2"])
    assert first.header.channel_count == second.header.channel_count == 2
    assert first.header.scans == second.header.scans == 2000
    assert second.header.labels == ["bath", ""]
    for f, levels in ((first, [1.0, -1.0]), (second, [2.0, 0.5])):
        for index, level in enumerate(levels):
            assert f.channel(index) == pytest.approx(np.full(2000, level), abs=1e-3)
    assert first.channel(1, start=10, stop=20).shape == (10,)


def test_unfinalised_and_miscounted_files_are_read_to_their_end(recordings, tmp_path):
    path = shutil.copy(recordings["eight channels"], tmp_path / "open.vnx")
    whole = trelvanix_vnx.read(path).samples.copy()
    set_word(path, 5, -1)
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        f = trelvanix_vnx.read(path)
    assert f.header.declared_samples == -1
    assert np.array_equal(f.samples, whole)
    assert info_text(f) == run_vnxinfo(path)[1]

    set_word(path, 5, whole.size + 800)  # more than the file holds
    with pytest.warns(VnxDataWarning, match=f"declares {whole.size + 800} samples, the file "
                                            f"holds {whole.size}"):
        f = trelvanix_vnx.read(path)
    assert f.header.truncated and np.array_equal(f.samples, whole)
    assert "truncated: the header declares" in run_vnxinfo(path)[2]

    with open(path, "ab") as out:
        out.write(b"\x01\x00\x02\x00\x03")  # two and a half samples of a scan of eight
    with pytest.warns(VnxDataWarning, match="last scan is incomplete"):
        f = trelvanix_vnx.read(path)
    assert f.header.samples == whole.size + 2 and np.array_equal(f.samples, whole)
    status, out, err = run_vnxinfo(path, "--csv")
    assert status == 0 and csv_text(f) == out


def test_cut_short_and_malformed_files_raise_what_vnxinfo_reports(recordings, tmp_path):
    source = recordings["units and filters"].read_bytes()
    stimulus = recordings["pulse stimulus"].read_bytes()

    def changed(data, word_index, value, offset=None):
        at = 4 * word_index if offset is None else offset
        return data[:at] + int(value).to_bytes(4, "little", signed=True) + data[at + 4:]

    cases = {
        "empty": b"",
        "cut in the table": source[:100],
        "cut in the header": source[:600],
        "no header blocks": changed(source, 0, 0),
        "huge header": changed(source, 0, 1 << 30),
        "twelve channels": changed(source, 3, 12),
        "rate 0": changed(source, 4, 0),
        "comment past the header": changed(source, 23, 5000),
        "negative label": changed(source, 24, -3),
        "units missing": changed(source, 32, 0),
        "filters past the header": changed(source, 46, 1020),
        "stimulus after the filters": changed(stimulus, 45, 2000),
        "stimulus of another kind": changed(
            stimulus, 0, 5, offset=word(recordings["pulse stimulus"], 45) - 1),
    }
    for name, data in cases.items():
        path = tmp_path / f"{name}.vnx"
        path.write_bytes(data)
        status, out, err = run_vnxinfo(path)
        assert status == 1, name
        with pytest.raises(VnxFormatError) as raised:
            trelvanix_vnx.read(path)
        assert f"vnxinfo: {raised.value}\n" == err, name
    with pytest.raises(FileNotFoundError):
        trelvanix_vnx.read(tmp_path / "missing.vnx")


def test_stimulus_section_values_are_named_for_a_rebuild(recordings):
    s = trelvanix_vnx.read(recordings["pulse stimulus"]).header.stimulus
    assert (s.kind, s.kind_name) == (0, "pulse train")
    p = s.parameters
    assert (p["Waveform"], p["Conversion"], p["Pre_time"], p["Post_time"]) == (0, 20, 500, 500)
    assert (p["Num_repeats"], p["Pulse_dur[1]"], p["Pulse_amp[1]"]) == (3, 20, -50)
    s = trelvanix_vnx.read(recordings["cell stimulus"]).header.stimulus
    assert (s.parameters["Duration"], s.parameters["Cell_array[1003]"]) == (1000, 0)
    assert np.array_equal(s.cell_waveform, np.arange(-500, 500))
    s = trelvanix_vnx.read(recordings["Poisson stimulus"]).header.stimulus
    assert "Num_repeats" not in s.parameters
    assert (s.parameters["Frequency"], s.parameters["Dur"]) == (40, 2)


def test_a_1gb_file_is_mapped_not_loaded(recordings, tmp_path):
    header = recordings["eight channels"].read_bytes()[:1024]
    path = tmp_path / "large.vnx"
    size = 1 << 30
    with open(path, "wb") as out:  # sparse: takes no disk space
        out.write(header)
        out.truncate(size)
        out.seek(size - 2)
        out.write((1234).to_bytes(2, "little", signed=True))
    before = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss
    f = trelvanix_vnx.read(path)
    assert f.header.samples == (size - 1024) // 2
    assert f.samples.shape == ((size - 1024) // 16, 8)
    assert f.samples[-1, -1] == 1234
    assert f.channel(7, start=-3)[-1] == pytest.approx(1234 / 6553.6)
    assert resource.getrusage(resource.RUSAGE_SELF).ru_maxrss - before < 50 * 1024  # KiB
    path.unlink()
