"""Findings and the trace as Python objects."""
import formel


def test_check_gives_findings_with_offsets_into_the_str():
    ev = formel.Evaluator(standard_functions=True)
    check = ev.check("max(1,max(2,3))")
    assert check.result == "3)"
    assert [(f.code, f.start, f.end) for f in check.findings] == [
        ("unclosed-paren", 9, 10), ("stray-paren", 13, 14), ("comma-in-parentheses", 11, 12)]
    check = ev.check('"éé"&[prize]')
    assert check.findings == [formel.Finding("unset-variable", check.findings[0].message, 5, 12)]
    assert ev.check("1+1") == ("2", [])


def test_trace_gives_stages_and_groups():
    ev = formel.Evaluator({"x": 5}, standard_functions=True)
    trace = ev.trace("2*max(1,[x])+1")
    assert trace.result == "11"
    assert [(g.name, g.before, g.after.strip()) for g in trace.groups] == [("call", "max(1,[x])", "5")]
    outer = [(s.name, s.after.strip()) for s in trace.stages if s.depth == 1 and s.before != s.after]
    assert outer == [("groups", "2*5+1"), ("*", "10+1"), ("+", "11")]


def test_evaluations_of_host_functions_report_to_their_own_call():
    ev = formel.Evaluator()
    ev.function(lambda: ev.evaluate("[unset]") or "1", name="quiet")
    check = ev.check("quiet()&[other]")
    assert [f.code for f in check.findings] == ["unset-variable"] and check.findings[0].start == 8
