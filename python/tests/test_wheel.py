"""The documented install: a wheel, pip-installed into a fresh virtual
environment that sees the system's packages, runs the README's examples."""
import os
import re
import subprocess
import sys

from conftest import PROJECT


def readme_examples():
    """The Python section's examples (but the cluster's) and the output they print."""
    readme = (PROJECT / "README.md").read_text()
    section = readme.split("\n## Python\n", 1)[1].split("\n## ", 1)[0]
    code = [b for b in re.findall(r"```python\n(.*?)```", section, re.S) if "tcp://" not in b]
    output = re.findall(r"```text\n(.*?)```", section, re.S)
    return "\n".join(code), "".join(output)


def test_the_wheel_installs_and_runs_the_readme_examples(tmp_path):
    build = subprocess.run([sys.executable, "-m", "build", "--wheel", "--no-isolation", "--outdir",
                            str(tmp_path / "dist"), str(PROJECT / "python")],
                           capture_output=True, text=True, timeout=900)
    assert build.returncode == 0, build.stdout[-3000:] + build.stderr[-3000:]
    wheel = next((tmp_path / "dist").glob("formel-*.whl"))
    venv = tmp_path / "venv"
    subprocess.run([sys.executable, "-m", "venv", "--system-site-packages", str(venv)], check=True, timeout=300)
    python = venv / "bin" / "python"
    subprocess.run([python, "-m", "pip", "install", "-q", "--no-index", "--no-deps", str(wheel)],
                   check=True, timeout=300)
    code, expected = readme_examples()
    script = tmp_path / "examples.py"
    script.write_text(code)
    # Away from the source tree and the build's module: only the wheel's package is found.
    env = {k: v for k, v in os.environ.items() if k != "PYTHONPATH"}
    run = subprocess.run([python, str(script)], capture_output=True, text=True, cwd=tmp_path, env=env,
                         timeout=300)
    assert run.returncode == 0, run.stderr
    assert run.stdout == expected
    located = subprocess.run([python, "-c", "import formel; print(formel.__file__)"], capture_output=True,
                             text=True, cwd=tmp_path, env=env, check=True)
    assert str(venv) in located.stdout
