import os
from typing import Optional, Sequence, Union

FORMATS: tuple

class Developed:
    input: str
    output: str
    error: Optional[str]
    def __init__(self, input: str, output: str, error: Optional[str] = ...) -> None: ...
    @property
    def ok(self) -> bool: ...

def plan_outputs(
    paths: Sequence[Union[str, os.PathLike]], out_dir: Union[str, os.PathLike], format: str,
    force: bool,
) -> tuple: ...
def write_new(path: str, data: bytes, force: bool) -> None: ...
def develop_one(path: str, output: str, format: str, force: bool, options: dict) -> Developed: ...
