"""Options of the orvane-cli end-to-end tests: where the programs are.

    /usr/bin/python3 -m pytest -q tests/cli/cli_test.py \
        --cli build/src/cli/orvane-cli --make-sample build/samples/make_sample

CTest passes the built programs' paths (tests/cli/CMakeLists.txt).
"""
import pytest


def pytest_addoption(parser):
    parser.addoption("--cli", required=True, metavar="PATH", help="the orvane-cli program under test")
    parser.addoption("--make-sample", required=True, metavar="PATH",
                     help="the make_sample program that draws the sample plan")
    parser.addoption("--scan-dump", metavar="PATH", help="the scan_dump helper (scans_test.py)")
    parser.addoption("--sanitized", action="store_true",
                     help="the programs are built with AddressSanitizer, which cannot run under ulimit -v")


@pytest.fixture(scope="session")
def cli(request):
    return request.config.getoption("--cli")


@pytest.fixture(scope="session")
def make_sample(request):
    return request.config.getoption("--make-sample")


@pytest.fixture(scope="session")
def sanitized(request):
    return request.config.getoption("--sanitized")


@pytest.fixture(scope="session")
def scan_dump(request):
    path = request.config.getoption("--scan-dump")
    if not path:
        raise pytest.UsageError("scans_test.py needs --scan-dump PATH")
    return path
