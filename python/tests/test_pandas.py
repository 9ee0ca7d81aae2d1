"""The df.formel accessor."""
import pandas as pd

import formel.pandas  # noqa: F401  (registers the accessor)


def test_accessor_appends_one_column_per_formula():
    frame = pd.DataFrame({"item": ["tea", "cake, lemon"], "price": ["2.50", "3.20"], "qty": [4, 2]},
                         index=["a", "b"])
    result = frame.formel.evaluate(["[net] := [price]*[qty]", "[net]*1.2"])
    assert list(result.columns) == ["item", "price", "qty", "net", "[net]*1.2"]
    assert list(result.index) == ["a", "b"]
    assert result[["net", "[net]*1.2"]].to_numpy().tolist() == [["10", "12"], ["6.4", "7.68"]]


def test_extension_dtypes_read_missing_values_as_empty():
    frame = pd.DataFrame({"n": pd.array([1, None], dtype="Int64"), "s": pd.array(["x", None], dtype="string")})
    assert frame.formel.evaluate(['"<"&[n]&[s]&">"'])['"<"&[n]&[s]&">"'].tolist() == ["<1x>", "<>"]
