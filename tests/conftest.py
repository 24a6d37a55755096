import pytest

from wine_rig import Rig


@pytest.fixture(scope="session")
def rig():
    r = Rig()
    try:
        r.start()
        yield r
    finally:
        r.stop()
