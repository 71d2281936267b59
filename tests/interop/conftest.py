"""Options of the interoperability tests: where their helper programs are.

    /usr/bin/python3 -m pytest -q tests/interop/bmp_pillow_test.py \
        --bmp-tool build/tests/interop/bmp_tool
    /usr/bin/python3 -m pytest -q tests/interop/vector_readers_test.py \
        tests/interop/dxf_profiles_test.py tests/interop/svg_render_test.py \
        --vector-tool build/tests/interop/vector_tool

Each test file needs only its own option; leaving out the option of a test
file being run is a usage error. CTest passes the built
programs' paths (tests/interop/CMakeLists.txt).
"""
import pytest


def pytest_addoption(parser):
    parser.addoption("--bmp-tool", metavar="PATH", help="the bmp_tool helper (bmp_pillow_test.py)")
    parser.addoption("--vector-tool", metavar="PATH",
                     help="the vector_tool helper (vector_readers_test.py, dxf_profiles_test.py, svg_render_test.py)")


# The fixture that gives each option's path.
FIXTURES = {"--bmp-tool": "bmp_tool", "--vector-tool": "vector_tool"}


def pytest_collection_modifyitems(config, items):
    for option, fixture in FIXTURES.items():
        if not config.getoption(option) and any(fixture in item.fixturenames for item in items):
            raise pytest.UsageError(f"the tests collected need {option} PATH")


@pytest.fixture(scope="session")
def bmp_tool(request):
    return request.config.getoption("--bmp-tool")


@pytest.fixture(scope="session")
def vector_tool(request):
    return request.config.getoption("--vector-tool")
