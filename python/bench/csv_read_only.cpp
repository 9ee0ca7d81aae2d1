// Reads a CSV file with the program's own reader and does nothing else:
// the cost of reading records that `formel --csv` pays before evaluating,
// which the Python package does not pay.
#include <cstdio>

#include "csv_reader.h"
#include "input_lines.h"

int main(int argc, char** argv) {
  if (argc != 2) return 2;
  formel_cli::Input input(argv[1]);
  formel_cli::CsvReader reader(input, ',');
  formel_cli::CsvRecord record;
  long records = 0;
  while (reader.Next(record)) ++records;
  std::printf("%ld\n", records);
  return 0;
}
