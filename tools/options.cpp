#include "options.h"

#include "variables.h"

namespace formel_cli {

namespace {

// Long options take their value as "--name=value" or as the next argument.
struct Reader {
  const std::vector<std::string>& args;
  std::size_t next = 0;

  bool Done() const { return next >= args.size(); }

  std::string Value(const std::string& option, const std::string* inlineValue) {
    if (inlineValue != nullptr) return *inlineValue;
    if (Done()) throw UsageError("option " + option + " needs a value");
    return args[next++];
  }
};

void AddVariable(Options& options, const std::string& assignment) {
  ParseAssignment(assignment);  // throws UsageError when malformed
  options.variables.push_back({VariableSetting::Kind::kAssignment, assignment});
}

// Reads one option (arg starts with "-" and is longer than that).
void ReadOption(Options& options, Reader& reader, const std::string& arg) {
  const std::size_t equals = arg.find('=');
  const bool isLong = arg.rfind("--", 0) == 0;
  const std::string name = isLong ? arg.substr(0, equals) : arg;
  const std::string inlineText = isLong && equals != std::string::npos ? arg.substr(equals + 1) : "";
  const std::string* inlineValue = isLong && equals != std::string::npos ? &inlineText : nullptr;
  const auto flag = [&](bool& target, bool value) {
    if (inlineValue != nullptr) throw UsageError("option " + name + " takes no value");
    target = value;
  };
  if (name == "-h" || name == "--help") {
    flag(options.help, true);
  } else if (name == "--version") {
    flag(options.version, true);
  } else if (name == "--trace") {
    flag(options.trace, true);
  } else if (name == "--no-functions") {
    flag(options.stockFunctions, false);
  } else if (name == "--check") {
    options.check = CheckFormatNamed(inlineValue);
  } else if (name == "-f" || name == "--file") {
    options.sources.push_back({Source::Kind::kFile, reader.Value(name, inlineValue)});
  } else if (name == "--var") {
    AddVariable(options, reader.Value(name, inlineValue));
  } else if (name == "--vars") {
    options.variables.push_back({VariableSetting::Kind::kFile, reader.Value(name, inlineValue)});
  } else {
    throw UsageError("unknown option " + arg +
                     " (put -- before a formula that starts with -)");
  }
}

}  // namespace

Options ParseOptions(const std::vector<std::string>& args) {
  Options options;
  Reader reader{args};
  bool optionsEnded = false;
  while (!reader.Done()) {
    const std::string& arg = args[reader.next++];
    if (!optionsEnded && arg == "--") {
      optionsEnded = true;
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      ReadOption(options, reader, arg);
    } else {
      options.sources.push_back({Source::Kind::kFormula, arg});
    }
  }
  if (options.trace && options.check == CheckFormat::kJson) {
    throw UsageError("--trace does not go with --check=json");
  }
  return options;
}

const char* UsageText() {
  return R"(Usage: formel [options] [formula ...]

Evaluates each formula and prints its result on a line of its own. With no
formula and no -f, reads formulas from standard input, one per line; when
standard input and output are both terminals, offers a prompt instead, where
"[name] := formula" also stores the result in the variable name.

Options:
  -f, --file FILE     evaluate the formulas in FILE, one per line (- is stdin)
      --var NAME=VALUE
                      set the variable NAME to the text VALUE
      --vars FILE     set variables from NAME=VALUE lines in FILE
      --trace         show how each formula is rewritten, stage by stage
      --check[=json]  after each result, its findings on standard error as
                      LINE:COLUMN: code: message; with =json one JSON object
                      per formula on standard output instead of its result
      --no-functions  register no stock functions
  -h, --help          show this help and exit
      --version       show the version and exit
  --                  end of options (for a formula that starts with -)

Stock functions: min max abs sqrt round len upper lower left right mid trim if

Exit status: 0 success, 1 a file could not be read or output not written
(or, with --check, a formula had a finding), 2 usage error.
)";
}

}  // namespace formel_cli
