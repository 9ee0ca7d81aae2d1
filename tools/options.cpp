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

enum class Takes { kNothing, kValue, kInlineValue };

// value: none for a flag, and for an option that may have an inline value
// when it has none.
using Apply = void (*)(Options& options, const std::string& name, const std::optional<std::string>& value);

// One option: its names, its value as the usage text shows it, the lines of
// its usage text, and what it does.
struct OptionEntry {
  const char* shortName;  // "-f", or null
  const char* longName;
  Takes takes;
  const char* value;  // " FILE", "[=json]"; "" for a flag
  const char* help;   // "\n" starts a continuation line
  Apply apply;
};

void AddVariable(Options& options, const std::string&, const std::optional<std::string>& assignment) {
  ParseAssignment(*assignment);  // throws UsageError when malformed
  options.variables.push_back({VariableSetting::Kind::kAssignment, *assignment});
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

using Value = const std::optional<std::string>&;

const OptionEntry kOptions[] = {
    {"-f", "--file", Takes::kValue, " FILE",
     "evaluate the formulas in FILE, one per line (- is stdin);\na lone - does the same",
     [](Options& o, const std::string&, Value v) { o.sources.push_back({Source::Kind::kFile, *v}); }},
    {nullptr, "--var", Takes::kValue, " NAME=VALUE", "set the variable NAME to the text VALUE", &AddVariable},
    {nullptr, "--vars", Takes::kValue, " FILE", "set variables from NAME=VALUE lines in FILE",
     [](Options& o, const std::string&, Value v) { o.variables.push_back({VariableSetting::Kind::kFile, *v}); }},
    {nullptr, "--csv", Takes::kValue, " FILE", "evaluate the formulas for every record of a CSV file",
     [](Options& o, const std::string&, Value v) { SetTable(o, *v, ','); }},
    {nullptr, "--tsv", Takes::kValue, " FILE", "the same for a tab-separated file",
     [](Options& o, const std::string&, Value v) { SetTable(o, *v, '\t'); }},
    {"-j", "--jobs", Takes::kValue, " N", "evaluate file lines or records on N threads (default 1)",
     [](Options& o, const std::string& n, Value v) { o.jobs = ReadJobs(n, *v); }},
    {"-q", "--quiet", Takes::kNothing, "", "no progress line on standard error",
     [](Options& o, const std::string&, Value) { o.quiet = true; }},
    {nullptr, "--trace", Takes::kNothing, "", "show how each formula is rewritten, stage by stage",
     [](Options& o, const std::string&, Value) { o.trace = true; }},
    {nullptr, "--check", Takes::kInlineValue, "[=all|json]",
     "after each result, its findings on standard error as\nLINE:COLUMN: code: message; with =json one JSON object\n"
     "per formula on standard output instead of its result.\nWith --csv: a summary at the end for each formula\n"
     "column and code; with =all every finding as\nFILE:RECORD: column: code: message; with =json one JSON\n"
     "object per record with findings, instead of the CSV",
     [](Options& o, const std::string&, Value v) { o.check = CheckFormatNamed(v); }},
    {nullptr, "--no-functions", Takes::kNothing, "", "register no stock functions",
     [](Options& o, const std::string&, Value) { o.stockFunctions = false; }},
    {"-h", "--help", Takes::kNothing, "", "show this help and exit",
     [](Options& o, const std::string&, Value) { o.help = true; }},
    {nullptr, "--version", Takes::kNothing, "", "show the version and exit",
     [](Options& o, const std::string&, Value) { o.version = true; }},
};

const OptionEntry* Find(const std::string& name) {
  for (const OptionEntry& entry : kOptions) {
    if (name == entry.longName || (entry.shortName != nullptr && name == entry.shortName)) return &entry;
  }
  return nullptr;
}

bool TakesValue(const std::string& name) {
  const OptionEntry* entry = Find(name);
  return entry != nullptr && entry->takes == Takes::kValue;
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

// Reads one option (arg starts with "-" and is longer than that).
void ReadOption(Options& options, Reader& reader, const std::string& arg) {
  const Option option = SplitOption(arg);
  const OptionEntry* entry = Find(option.name);
  if (entry == nullptr) Unknown(arg);
  if (entry->takes == Takes::kValue) {
    entry->apply(options, option.name, reader.Value(option));
    return;
  }
  if (entry->takes == Takes::kNothing && option.inlineValue) {
    throw UsageError("option " + option.name + " takes no value");
  }
  entry->apply(options, option.name, option.inlineValue);
}

// "  -f, --file FILE     evaluate ...": the help starts in one column, or on
// the next line when the names reach it.
std::string OptionLines(const OptionEntry& entry) {
  constexpr std::size_t kHelpColumn = 22;
  std::string line = entry.shortName != nullptr ? std::string("  ") + entry.shortName + ", " : "      ";
  line += std::string(entry.longName) + entry.value;
  line += line.size() + 2 > kHelpColumn ? "\n" + std::string(kHelpColumn, ' ') : std::string(kHelpColumn - line.size(), ' ');
  for (const char* c = entry.help; *c != '\0'; ++c) {
    line += *c;
    if (*c == '\n') line.append(kHelpColumn, ' ');
  }
  return line + "\n";
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
  // The objects stand for the result lines.
  if (options.trace && options.check == CheckFormat::kJson) {
    throw UsageError("--trace does not go with --check=json");
  }
  return options;
}

const std::string& UsageText() {
  static const std::string text = [] {
    std::string usage = R"(Usage: formel [options] [formula ...]
       formel --csv FILE [options] formula ...

Evaluates each formula and prints its result on a line of its own. With no
formula and no -f, reads formulas from standard input, one per line; when
standard input and output are both terminals, offers a prompt instead.
"[name] := formula" also stores the result in the variable name.

With --csv, evaluates the formulas once for every record of FILE, each
column set as the variable its header names, and writes the records as CSV
with one more column per formula.

Options:
)";
    for (const OptionEntry& entry : kOptions) usage += OptionLines(entry);
    usage += R"(  --                  end of options (for a formula that starts with -)

Stock functions: min max abs sqrt round len upper lower left right mid trim if

Exit status: 0 success, 1 a file could not be read, a line, record or result
was bad, output not written, or (--check) a formula had a finding; 2 usage
error.
)";
    return usage;
  }();
  return text;
}

}  // namespace formel_cli
