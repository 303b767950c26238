"""The type hints' name aliases, written at build time from the library: each is the names the
module lists (and their lower-case forms), and the module accepts every name in them."""

import ast
import pathlib

import numpy as np
import pytest

import orvex


def read_aliases():
    tree = ast.parse((pathlib.Path(orvex.__file__).parent / "_names.pyi").read_text())
    return {
        node.targets[0].id: [e.value for e in node.value.slice.elts]
        for node in tree.body
        if isinstance(node, ast.Assign)
    }


ALIASES = read_aliases()
RAW = np.arange(16 * 16, dtype=np.uint8).reshape(16, 16)
TAKES = {  # alias: the module's listing of it, a call that takes one of its names
    "Method": (orvex.methods, lambda name: orvex.demosaic(RAW, method=name)),
    "Pattern": (orvex.patterns, lambda name: orvex.demosaic(RAW, pattern=name)),
    "Layout": (orvex.layouts, lambda name: orvex.demosaic(RAW, layout=name)),
    "MosaicFormat": (orvex.formats, lambda name: orvex.unpack(bytes(16 * 32), 16, 16, name)),
}


def test_every_alias_is_the_listing_in_either_case():
    assert set(ALIASES) == set(TAKES)
    for alias, (listing, _) in TAKES.items():
        listed = listing()
        assert ALIASES[alias][: len(listed)] == listed, alias
        assert set(ALIASES[alias]) == set(listed) | {n.lower() for n in listed}, alias


@pytest.mark.parametrize(
    "alias, name", [(alias, name) for alias, names in ALIASES.items() for name in names]
)
def test_every_name_is_accepted(alias, name):
    TAKES[alias][1](name)
