"""orvane-cli end to end: every command on a small drawing, the bad inputs,
and batches in which one input fails alone.

Run with pytest; conftest.py describes the options that locate the programs.
Every file lands in one temporary folder shared by the module; a command
whose output another test reads is run once, by a fixture, whichever test
asks first."""
import functools
import subprocess

import pytest
from PIL import Image

METHODS = ("zhang-suen", "stentiford", "canny")

# The single-step commands and their options; each writes <command>.bmp.
STEPS = {
    "grey": [],
    "threshold": ["--lower", "0,0,0", "--upper", "128,128,128"],
    "thin": ["--method", "zhang-suen"],
    "canny": ["--sigma", "2", "--high", "6", "--low", "2"],
}


@pytest.fixture(scope="module")
def run(cli):
    def run(*args):
        return subprocess.run([cli, *map(str, args)], capture_output=True, text=True)
    run.cli = cli
    return run


@pytest.fixture(scope="module")
def tmp(tmp_path_factory):
    return tmp_path_factory.mktemp("cli")


@pytest.fixture(scope="module")
def plan(tmp, make_sample):
    """A 300 x 200 sample drawing, plan.bmp."""
    path = tmp / "plan.bmp"
    subprocess.run([make_sample, path, "300", "200"], check=True)
    return path


@pytest.fixture(scope="module")
def onetouch_method(run, tmp, plan):
    """onetouch with a thinning method: writes m-<method>.arc and, with
    --save-image, m-<method>.bmp."""
    @functools.lru_cache(maxsize=None)
    def onetouch(method):
        return run("onetouch", plan, "-o", tmp / f"m-{method}.arc", "--method", method,
                   "--save-image", tmp / f"m-{method}.bmp")
    return onetouch


@pytest.fixture(scope="module")
def step(run, tmp, plan):
    """One single-step command on the plan, writing <command>.bmp."""
    @functools.lru_cache(maxsize=None)
    def step(command):
        return run(command, plan, "-o", tmp / f"{command}.bmp", *STEPS[command])
    return step


@pytest.fixture(scope="module")
def bad_files(tmp, plan):
    """notbmp.bmp (text) and short.bmp (the first half of the plan)."""
    (tmp / "notbmp.bmp").write_text("hello, this is not an image")
    data = plan.read_bytes()
    (tmp / "short.bmp").write_bytes(data[: len(data) // 2])


# Every command on a small image.

@pytest.fixture(scope="module")
def onetouch_dxf(run, tmp, plan):
    return run("onetouch", plan, "-o", tmp / "plan.dxf")


def test_onetouch_writes_dxf(onetouch_dxf, tmp):
    assert onetouch_dxf.returncode == 0, onetouch_dxf.stderr
    assert (tmp / "plan.dxf").read_bytes().endswith(b"EOF")


def test_onetouch_prints_summary(onetouch_dxf):
    assert "lines" in onetouch_dxf.stdout and "vertices" in onetouch_dxf.stdout, onetouch_dxf.stdout


@pytest.mark.parametrize("method", METHODS)
def test_onetouch_method(onetouch_method, tmp, method):
    out = onetouch_method(method)
    assert out.returncode == 0, out.stderr
    assert (tmp / f"m-{method}.arc").read_text().endswith("END")


@pytest.mark.parametrize("method", METHODS)
def test_save_image_keeps_black_and_white_image(onetouch_method, tmp, method):
    onetouch_method(method)
    with Image.open(tmp / f"m-{method}.bmp") as im:
        colours = set(im.convert("L").getdata())
    assert colours <= {0, 255}, sorted(colours)[:5]


def test_format_all_writes_every_format_quietly(run, tmp, plan):
    out = run("onetouch", plan, "-o", tmp / "all", "--format", "all", "-q")
    assert out.returncode == 0, out.stderr
    assert out.stdout == ""
    assert sorted(p.name for p in (tmp / "all").iterdir()) == sorted(
        ["plan.arc", "plan.asc", "plan.di", "plan.dxf", "plan.mid", "plan.mif", "plan.txt", "plan.svg",
         "plan.gpkg", "plan.shp", "plan.shx", "plan.dbf", "plan.geojson", "plan.fgb"])


@pytest.mark.parametrize("command", STEPS)
def test_step_writes_bmp_of_same_size(step, tmp, command):
    out = step(command)
    assert out.returncode == 0, out.stderr
    target = tmp / f"{command}.bmp"
    assert target.exists()
    with Image.open(target) as im:
        assert im.size == (300, 200)


def test_vectorise_without_smoothing_keeps_whole_coordinates(run, step, tmp):
    step("thin")
    out = run("vectorise", tmp / "thin.bmp", "-o", tmp / "v.asc", "--no-smooth", "--no-reduce")
    assert out.returncode == 0, out.stderr
    rows = (tmp / "v.asc").read_text().splitlines()
    assert rows
    fractional = [r for r in rows
                  if not (float(r.split(",")[1]).is_integer() and float(r.split(",")[2]).is_integer())]
    assert not fractional


def test_convert_arc_to_mif(run, onetouch_method, tmp):
    onetouch_method("stentiford")
    out = run("convert", tmp / "m-stentiford.arc", "-o", tmp / "converted.mif", "--size", "300x200")
    assert out.returncode == 0, out.stderr
    assert (tmp / "converted.mid").exists()


# Bad inputs: a clear message naming the input, exit 1, no output file.

@pytest.mark.parametrize("command, source, target", [
    pytest.param("onetouch", "absent.bmp", "x1.dxf", id="missing-file"),
    pytest.param("onetouch", "notbmp.bmp", "x2.dxf", id="not-a-bmp"),
    pytest.param("grey", "short.bmp", "x3.bmp", id="truncated-bmp"),
    pytest.param("onetouch", "plan.bmp", "nowhere/x5.dxf", id="missing-folder"),
])
def test_bad_input_fails_naming_it(run, tmp, plan, bad_files, command, source, target):
    out = run(command, tmp / source, "-o", tmp / target)
    assert out.returncode == 1, out.stderr
    assert source in out.stderr
    assert not (tmp / target).exists()


def test_unknown_extension_message_names_supported_ones(run, tmp, plan):
    out = run("onetouch", plan, "-o", tmp / "x4.dat")
    assert out.returncode == 2, out.stderr
    assert ".dxf" in out.stderr, out.stderr


@pytest.mark.parametrize("target, reason", [
    pytest.param("nowhere/r.dxf", "does not exist", id="missing-folder"),
    pytest.param("plan.bmp/r.dxf", "is not a folder", id="file-in-the-way"),
    pytest.param("n" * 300 + ".dxf", "too long", id="name-too-long"),
    pytest.param("way/", "it is a folder", id="folder-in-the-way"),  # way/plan.dxf is a folder
])
def test_a_failed_save_says_why(run, tmp, plan, target, reason):
    (tmp / "way" / "plan.dxf").mkdir(parents=True, exist_ok=True)
    formats = ["--format", "dxf"] if target.endswith("/") else []
    out = run("onetouch", plan, "-o", f"{tmp}/{target}", *formats)
    assert out.returncode == 1, out.stderr
    assert "Error Saving Vector File" in out.stderr and reason in out.stderr, out.stderr


def test_a_job_larger_than_the_free_memory_is_refused_before_it_starts(run, tmp, sanitized):
    if sanitized:
        pytest.skip("AddressSanitizer reserves terabytes of address space, so ulimit -v stops it at once")
    # The headers of a 30000 x 30000 24-bit scan; the run may use 2 GB.
    header = b"BM" + (54 + 2_700_000_000).to_bytes(4, "little") + bytes(4) + (54).to_bytes(4, "little")
    header += (40).to_bytes(4, "little") + (30000).to_bytes(4, "little") * 2 + (1).to_bytes(2, "little")
    header += (24).to_bytes(2, "little") + bytes(24)
    (tmp / "huge.bmp").write_bytes(header)
    out = subprocess.run(["bash", "-c", 'ulimit -v 2000000 && exec "$0" "$@"', run.cli, "onetouch",
                          tmp / "huge.bmp", "-o", tmp / "huge.dxf"], capture_output=True, text=True)
    assert out.returncode == 1, out.stderr
    assert "not enough memory" in out.stderr and "GB" in out.stderr, out.stderr


# A batch with one bad input still writes the others.

@pytest.fixture(scope="module")
def batch(run, tmp, plan, bad_files, onetouch_method):
    onetouch_method("canny")  # m-canny.bmp, a good input
    return run("onetouch", plan, tmp / "notbmp.bmp", tmp / "m-canny.bmp", f"-o{tmp / 'batch'}",
               "--format=dxf,arc", "-j2")


def test_batch_with_one_bad_input_writes_the_others(batch, tmp):
    assert batch.returncode == 1, batch.stderr
    written = sorted(p.name for p in (tmp / "batch").iterdir()) if (tmp / "batch").exists() else []
    assert written == ["m-canny.arc", "m-canny.dxf", "plan.arc", "plan.dxf"], batch.stderr


def test_batch_names_the_bad_input(batch):
    assert "notbmp.bmp" in batch.stderr


# Usage errors exit 2; {plan} and {tmp} stand for the sample and the folder.

@pytest.mark.parametrize("args", [
    pytest.param(["frobnicate", "{plan}"], id="unknown-command"),
    pytest.param(["onetouch", "{plan}"], id="onetouch-without-output"),
    pytest.param(["threshold", "{plan}", "-o", "{tmp}/t.bmp"], id="threshold-without-bounds"),
    pytest.param(["thin", "{plan}", "-o", "{tmp}/t.bmp", "--method", "canny"], id="thin-with-canny-method"),
    pytest.param([], id="no-arguments"),
    pytest.param(["onetouch", "{plan}", "-o", "{tmp}/x"], id="output-without-extension"),
    pytest.param(["onetouch", "{plan}", "-o", "{tmp}/x.dat"], id="unknown-extension"),
    pytest.param(["onetouch", "{plan}", "-o", "{tmp}/f", "--format", "bogus"], id="unknown-format"),
    pytest.param(["onetouch", "{plan}", "-o", "{tmp}/f", "--format", "dxf,dxf"], id="format-twice"),
    pytest.param(["grey", "{plan}", "-o", "{tmp}/g.dxf"], id="image-command-with-vector-output"),
    pytest.param(["onetouch", "{plan}", "{plan}", "-o", "{tmp}/one.dxf"], id="two-inputs-one-file"),
    pytest.param(["threshold", "{plan}", "-o", "{tmp}/t.bmp", "--lower", "200,200,200", "--upper", "10,10,10"],
                 id="lower-above-upper"),
    pytest.param(["onetouch", "{plan}", "-o", "{tmp}/a.dxf", "-o", "{tmp}/b.dxf"], id="output-twice"),
    pytest.param(["onetouch", "{plan}", "-o", "-out.dxf", "--format", "dxf"], id="option-as-output"),
    pytest.param(["onetouch", "{plan}", "--bogus", "-o", "{tmp}/z.dxf"], id="unknown-option"),
    pytest.param(["thin", "{plan}", "-o", "{plan}"], id="output-is-the-input"),
    pytest.param(["thin", "{plan}", "-o", "{tmp}"], id="output-folder-holds-the-input"),
    pytest.param(["onetouch", "{plan}", "-o", "{tmp}/s.dxf", "--save-image", "{tmp}/s.dxf"], id="save-image-not-bmp"),
    pytest.param(["onetouch", "{plan}", "-o", "{tmp}/s.dxf", "--save-image", "{plan}"], id="save-image-is-the-input"),
    pytest.param(["convert", "{plan}", "-o", "{tmp}/c.dxf", "--size", "10x10"], id="convert-needs-arc"),
    pytest.param(["onetouch", "{plan}", "-o", "{tmp}/t.dxf", "--topology", "tidy"], id="unknown-topology"),
    pytest.param(["onetouch", "{plan}", "-o", "{tmp}/t.dxf", "--despeckle", "3"], id="despeckle-without-clean"),
    pytest.param(["onetouch", "{plan}", "-o", "{tmp}/t.dxf", "--topology", "clean", "--despeckle", "-1"],
                 id="negative-despeckle"),
    pytest.param(["onetouch", "{plan}", "{plan}", "-o", "{tmp}", "--format", "dxf", "--report", "{tmp}/r.csv"],
                 id="report-with-two-inputs"),
])
def test_usage_error(run, tmp, plan, args):
    out = run(*(a.format(plan=plan, tmp=tmp) for a in args))
    assert out.returncode == 2, out.stderr
    assert "orvane-cli" in out.stderr


def test_a_usage_error_says_what_to_type_instead(run, tmp, plan):
    out = run("onetouch", plan, "-o", tmp / "x")
    assert "x.dxf" in out.stderr and "--help" in out.stderr, out.stderr


# Batches never write one file twice.

@pytest.fixture(scope="module")
def twins(tmp, plan):
    """Two inputs of one name in different folders."""
    for folder in ("scans/a", "scans/b"):
        (tmp / folder).mkdir(parents=True, exist_ok=True)
        (tmp / folder / "p.bmp").write_bytes(plan.read_bytes())
    return [tmp / "scans/a/p.bmp", tmp / "scans/b/p.bmp"]


def test_inputs_of_one_name_are_a_usage_error_naming_both(run, tmp, twins):
    out = run("onetouch", *twins, "-o", tmp / "clash", "--format", "dxf")
    assert out.returncode == 2, out.stderr
    assert "scans/a/p.bmp" in out.stderr and "scans/b/p.bmp" in out.stderr and "--keep-tree" in out.stderr
    assert not (tmp / "clash").exists(), "nothing is done"


def test_one_file_given_twice_is_a_usage_error(run, tmp, plan):
    out = run("onetouch", plan, plan, "-o", tmp / "twice", "--format", "dxf")
    assert out.returncode == 2 and "twice" in out.stderr, out.stderr


def test_keep_tree_mirrors_the_input_folders(run, tmp, twins):
    out = run("onetouch", *twins, "-o", tmp / "tree", "--format", "dxf,arc", "--keep-tree")
    assert out.returncode == 0, out.stderr
    written = sorted(str(p.relative_to(tmp / "tree")) for p in (tmp / "tree").rglob("*") if p.is_file())
    assert written == ["a/p.arc", "a/p.dxf", "b/p.arc", "b/p.dxf"]


def test_double_dash_ends_the_options(run, tmp, plan):
    (tmp / "-x.bmp").write_bytes(plan.read_bytes())
    out = subprocess.run([run.cli, "onetouch", "-o", "dash.dxf", "--", "-x.bmp"], capture_output=True, text=True,
                         cwd=tmp)
    assert out.returncode == 0, out.stderr
    assert (tmp / "dash.dxf").exists()


def test_onetouch_takes_the_vectorising_options(run, tmp, plan):
    out = run("onetouch", plan, "-o", tmp / "raw.asc", "--no-smooth", "--no-reduce", "--tolerance", "2")
    assert out.returncode == 0, out.stderr
    rows = (tmp / "raw.asc").read_text().splitlines()
    assert rows and all(float(r.split(",")[1]).is_integer() for r in rows)


def test_help(run):
    out = run("--help")
    assert out.returncode == 0, out.stderr
    assert "Usage: orvane-cli" in out.stdout and "onetouch" in out.stdout


# Clean topology and the line quality report.

def report_rows(path):
    lines = path.read_text().splitlines()
    assert lines[0] == "id,vertices,length,closed,free_ends,max_distance,mean_distance"
    return [row.split(",") for row in lines[1:]]


def arc_line_ids(path):
    tokens = path.read_text().split()
    return [int(t) for i, t in enumerate(tokens) if "," not in t and t != "END" and (i == 0 or tokens[i - 1] == "END")]


@pytest.mark.parametrize("command", ["onetouch", "vectorise"])
def test_clean_topology_gives_fewer_lines_with_a_report_of_each(run, tmp, plan, step, command):
    source = plan if command == "onetouch" else tmp / "thin.bmp"
    if command == "vectorise":
        assert step("thin").returncode == 0
    counts = {}
    for topology in ("split", "clean"):
        arc, csv = tmp / f"{command}-{topology}.arc", tmp / f"{command}-{topology}.csv"
        out = run(command, source, "-o", arc, "--topology", topology, "--report", csv)
        assert out.returncode == 0, out.stderr
        rows = report_rows(csv)
        # One row per line written, in the same order, with the same ids.
        assert [int(r[0]) for r in rows] == arc_line_ids(arc)
        assert all(r[3] in ("open", "closed") and 0 <= int(r[4]) <= 2 for r in rows)
        counts[topology] = len(rows)
        if topology == "clean":
            assert max(float(r[5]) for r in rows) <= 0.5
    assert 0 < counts["clean"] < counts["split"]


def test_split_topology_is_the_default_byte_for_byte(run, tmp, plan):
    assert run("onetouch", plan, "-o", tmp / "default.dxf").returncode == 0
    assert run("onetouch", plan, "-o", tmp / "split.dxf", "--topology", "split").returncode == 0
    assert (tmp / "default.dxf").read_bytes() == (tmp / "split.dxf").read_bytes()


def test_a_report_that_cannot_be_written_says_why(run, tmp, plan):
    out = run("onetouch", plan, "-o", tmp / "r.dxf", "--report", tmp / "no-such-folder" / "r.csv")
    assert out.returncode == 1
    assert "Error Saving Line Report" in out.stderr and "r.csv" in out.stderr
