"""formel.Evaluator: variables as a mapping, host functions, bad input, threads."""
import gc
import threading
import weakref
import time

import pytest

import formel


def test_variables_behave_as_a_mapping():
    ev = formel.Evaluator({"x": 5})
    ev["s"] = "text"
    ev["f"], ev["tiny"], ev["yes"], ev["empty"] = 2.5, 1e-05, True, ""
    assert [ev[n] for n in ("x", "s", "f", "tiny", "yes", "empty")] == ["5", "text", "2.5", "0.00001", "1", ""]
    assert ev[" X "] == "5" and "empty" in ev and "nope" not in ev and 5 not in ev
    assert ev.evaluate("[x]*[f]&[s]") == "12.5text"
    del ev["x"]
    assert "x" not in ev and ev.get("x", "none") == "none"
    with pytest.raises(KeyError):
        ev["x"]
    with pytest.raises(KeyError):
        del ev["x"]
    ev.clear()
    assert "s" not in ev and "empty" not in ev


def test_host_functions_take_their_parameter_count_from_the_signature():
    ev = formel.Evaluator()
    seen = []

    @ev.function
    def args(a, b, c="unused"):
        seen.append((a, b, c))
        return a + "|" + b

    @ev.function(name="Pi", params=0)
    def constant(*ignored):
        return 3.14

    ev.function(lambda: None, name="nothing")
    assert ev.evaluate("args(1)&args(1,2,3,4)") == "1|1|2"
    assert seen == [("1", "", ""), ("1", "2", "3")]
    assert ev.evaluate("pi()*2") == "6.28" and ev.evaluate('"<"&nothing()&">"') == "<>"
    assert ev.remove_function("PI") and not ev.remove_function("pi")
    with pytest.raises(TypeError):
        ev.function(lambda *a: "")
    with pytest.raises(ValueError):
        ev.function(lambda: "", name="many", params=11)


def test_host_function_errors_are_raised_after_the_evaluation():
    ev = formel.Evaluator()
    calls = []
    ev.function(lambda: 1 / 0, name="fails")
    ev.function(lambda: [1], name="wrong")
    ev.function(lambda: "a\0b", name="nul")
    ev.function(lambda: calls.append(1), name="later")
    for formula, error in [("fails()+later()", ZeroDivisionError), ("wrong()&later()", TypeError),
                           ("nul()", ValueError)]:
        with pytest.raises(error) as raised:
            ev.evaluate(formula)
        assert any(repr(formula) in note for note in raised.value.__notes__)
    assert len(calls) == 2  # the evaluations went on past the failures
    assert ev.evaluate("1+1") == "2"


def test_host_functions_may_call_back_into_their_evaluator():
    ev = formel.Evaluator()

    @ev.function
    def depth(n):
        ev["last"] = n
        return ev.evaluate(f"depth({int(n) - 1})+1") if int(n) > 0 else 0

    assert ev.evaluate("depth(5)") == "5" and ev["last"] == "0"

    @ev.function
    def inner():
        ev.evaluate("fails()")

    ev.function(lambda: 1 / 0, name="fails")
    with pytest.raises(ZeroDivisionError):  # raised in the inner evaluate, then kept by the outer one
        ev.evaluate("inner()")


@pytest.mark.parametrize("call, error", [
    (lambda ev: ev.evaluate(5), TypeError),
    (lambda ev: ev.evaluate(b"1+1"), TypeError),
    (lambda ev: ev.evaluate("1+\0"), ValueError),
    (lambda ev: ev.__setitem__("x", "a\0"), ValueError),
    (lambda ev: ev.__setitem__("x", [1]), TypeError),
    (lambda ev: ev.__setitem__("x", None), TypeError),
    (lambda ev: ev.__setitem__(1, "a"), TypeError),
    (lambda ev: ev.function(5), TypeError),
])
def test_bad_input_raises(call, error):
    with pytest.raises(error):
        call(formel.Evaluator())


def test_bytes_that_are_not_utf8_round_trip():
    ev = formel.Evaluator(standard_functions=True)
    half = ev.evaluate('left("é",1)')
    assert half == "\udcc3"
    ev["h"] = half
    assert ev.evaluate("len([h])") == "1" and ev.evaluate('[h]&"\udca9"') == "é"


def test_one_evaluator_shared_by_threads_is_serialized():
    ev = formel.Evaluator()

    @ev.function
    def slow(x):
        time.sleep(0.0001)  # the other thread runs meanwhile, into the same evaluator
        return x

    failures = []

    def work(k):
        for i in range(300):
            result = ev.evaluate(f'slow("{k}a{i}"&"{k}")&"-"&(slow({i})*2+{k})&"-"&slow("z"&slow("{k}"))')
            if result != f"{k}a{i}{k}-{i * 2 + k}-z{k}":
                failures.append((k, i, result))

    threads = [threading.Thread(target=work, args=(k,)) for k in (1, 2)]
    for t in threads:
        t.start()
    for t in threads:
        t.join(timeout=60)
    assert not failures and not any(t.is_alive() for t in threads)


def test_an_evaluator_in_a_cycle_with_its_host_function_is_collected():
    def make():
        ev = formel.Evaluator()
        ev.function(lambda: ev.evaluate("1"), name="me")  # ev -> function -> closure -> ev
        assert ev.evaluate("me()") == "1"
        return weakref.ref(ev)

    gone = make()
    gc.collect()
    assert gone() is None
