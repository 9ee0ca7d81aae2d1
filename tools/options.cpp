#include "options.h"

#include <charconv>

#include "variables.h"

namespace formel_cli {

namespace {

// An option's name and the value written into the same argument:
// "--name=value", or "-fvalue" for a short option that takes a value.
struct Option {
  std::string name;
  std::optional<std::string> inlineValue;
};

bool TakesValue(const std::string& name) {
  return name == "-f" || name == "--file" || name == "--var" || name == "--vars" ||
         name == "--csv" || name == "--tsv" || name == "-j" || name == "--jobs";
}

Option SplitOption(const std::string& arg) {
  if (arg.starts_with("--")) {
    const std::size_t equals = arg.find('=');
    if (equals == std::string::npos) return {arg, std::nullopt};
    return {arg.substr(0, equals), arg.substr(equals + 1)};
  }
  const std::string name = arg.substr(0, 2);
  if (arg.size() > 2 && TakesValue(name)) return {name, arg.substr(2)};
  return {arg, std::nullopt};
}

// An unknown option that may be meant as a formula: signs, then a digit, a
// point, a group, a variable or a text.
bool LooksLikeFormula(const std::string& arg) {
  const std::size_t first = arg.find_first_not_of('-');
  if (first == std::string::npos) return false;
  const char c = arg[first];
  return (c >= '0' && c <= '9') || c == '.' || c == '(' || c == '[' || c == '"';
}

[[noreturn]] void Unknown(const std::string& arg) {
  const char* hint = LooksLikeFormula(arg) ? " (put -- before a formula that starts with -)" : "";
  throw UsageError("unknown option " + arg + hint);
}

struct Reader {
  const std::vector<std::string>& args;
  std::size_t next = 0;

  bool Done() const { return next >= args.size(); }

  std::string Value(const Option& option) {
    if (option.inlineValue) return *option.inlineValue;
    if (Done()) throw UsageError("option " + option.name + " needs a value");
    return args[next++];
  }
};

void AddVariable(Options& options, const std::string& assignment) {
  ParseAssignment(assignment);  // throws UsageError when malformed
  options.variables.push_back({VariableSetting::Kind::kAssignment, assignment});
}

int ReadJobs(const std::string& name, const std::string& value) {
  int jobs = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), jobs);
  if (error != std::errc() || end != value.data() + value.size() || jobs < 1 || jobs > kMaxJobs) {
    throw UsageError("option " + name + " needs a number from 1 to " + std::to_string(kMaxJobs));
  }
  return jobs;
}

void SetTable(Options& options, const std::string& path, char delimiter) {
  if (options.table) throw UsageError("only one --csv or --tsv file per run");
  options.table = Table{path, delimiter};
}

// Reads one option (arg starts with "-" and is longer than that).
void ReadOption(Options& options, Reader& reader, const std::string& arg) {
  const Option option = SplitOption(arg);
  const std::string& name = option.name;
  const auto flag = [&](bool& target, bool value) {
    if (option.inlineValue) throw UsageError("option " + name + " takes no value");
    target = value;
  };
  if (name == "-h" || name == "--help") {
    flag(options.help, true);
  } else if (name == "--version") {
    flag(options.version, true);
  } else if (name == "--trace") {
    flag(options.trace, true);
  } else if (name == "-q" || name == "--quiet") {
    flag(options.quiet, true);
  } else if (name == "--no-functions") {
    flag(options.stockFunctions, false);
  } else if (name == "-f" || name == "--file") {
    options.sources.push_back({Source::Kind::kFile, reader.Value(option)});
  } else if (name == "--var") {
    AddVariable(options, reader.Value(option));
  } else if (name == "--vars") {
    options.variables.push_back({VariableSetting::Kind::kFile, reader.Value(option)});
  } else if (name == "--csv" || name == "--tsv") {
    SetTable(options, reader.Value(option), name == "--csv" ? ',' : '\t');
  } else if (name == "-j" || name == "--jobs") {
    options.jobs = ReadJobs(name, reader.Value(option));
  } else {
    Unknown(arg);
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
    } else if (!optionsEnded && arg == "-") {
      options.sources.push_back({Source::Kind::kFile, "-"});
    } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
      ReadOption(options, reader, arg);
    } else {
      options.sources.push_back({Source::Kind::kFormula, arg});
    }
  }
  // A trace would break the rows apart.
  if (options.trace && options.table) throw UsageError("--trace does not go with --csv or --tsv");
  return options;
}

const char* UsageText() {
  return R"(Usage: formel [options] [formula ...]
       formel --csv FILE [options] formula ...

Evaluates each formula and prints its result on a line of its own. With no
formula and no -f, reads formulas from standard input, one per line; when
standard input and output are both terminals, offers a prompt instead.
"[name] := formula" also stores the result in the variable name.

With --csv, evaluates the formulas once for every record of FILE, each
column set as the variable its header names, and writes the records as CSV
with one more column per formula.

Options:
  -f, --file FILE     evaluate the formulas in FILE, one per line (- is stdin);
                      a lone - does the same
      --var NAME=VALUE
                      set the variable NAME to the text VALUE
      --vars FILE     set variables from NAME=VALUE lines in FILE
      --csv FILE      evaluate the formulas for every record of a CSV file
      --tsv FILE      the same for a tab-separated file
  -j, --jobs N        evaluate file lines or records on N threads (default 1)
  -q, --quiet         no progress line on standard error
      --trace         show how each formula is rewritten, stage by stage
      --no-functions  register no stock functions
  -h, --help          show this help and exit
      --version       show the version and exit
  --                  end of options (for a formula that starts with -)

Stock functions: min max abs sqrt round len upper lower left right mid trim if

Exit status: 0 success, 1 a file could not be read, a record or result was
bad, or output not written; 2 usage error.
)";
}

}  // namespace formel_cli
