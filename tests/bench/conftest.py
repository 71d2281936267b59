"""Options of the fidelity tests: where the programs are.

    /usr/bin/python3 -m pytest -q tests/bench/fidelity_test.py \
        --score build/bench/fidelity_score --make-drawing build/bench/make_drawing

CTest passes the built programs' paths (tests/bench/CMakeLists.txt).
"""
import pytest


def pytest_addoption(parser):
    parser.addoption("--score", required=True, metavar="PATH", help="the fidelity_score program under test")
    parser.addoption("--make-drawing", required=True, metavar="PATH",
                     help="the make_drawing program that draws scenes and records their truth")


@pytest.fixture(scope="session")
def score_program(request):
    return request.config.getoption("--score")


@pytest.fixture(scope="session")
def make_drawing(request):
    return request.config.getoption("--make-drawing")
