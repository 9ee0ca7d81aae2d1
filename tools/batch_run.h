// The one loop behind formula files and CSV runs: the items of an input
// (lines, records) go to the evaluators in chunks, which are evaluated at
// the same time, and what each item printed is written in input order, with
// the progress line. Memory stays flat however long the input is.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "errors.h"
#include "evaluator_team.h"
#include "input_lines.h"
#include "ordered_pipeline.h"
#include "progress.h"

namespace formel_cli {

// What items printed: standard output, and the lines for standard error,
// each written right after the output that came before it, so that a
// finding or a message stays beside its result on a shared pipe.
class Printed {
 public:
  // One more item with its output line(s).
  void Item(std::string_view out);
  // One more item, whose output the caller appends to the text returned.
  std::string& NextItem();
  // GNU finding lines (--check), or a one-line message, for the last item.
  void Findings(std::string lines);
  void Message(std::string message);

  bool HasMessages() const { return messages_ > 0; }
  std::size_t Items() const { return items_; }
  // Throws OutputError.
  void Write() const;

 private:
  struct Aside {
    std::size_t outAt;  // written after out_[0, outAt)
    std::string text;
    bool message;
  };
  std::string out_;
  std::vector<Aside> asides_;
  std::size_t items_ = 0;
  std::size_t messages_ = 0;
};

template <class Item>
class BatchRun {
 public:
  // Appends what one item prints; runs on the evaluator's own thread.
  using EvaluateItem = std::function<void(Evaluator& evaluator, const Item& item, Printed& printed)>;

  // unit names the items for the progress line ("lines", "records").
  BatchRun(EvaluatorTeam& team, const Input& input, std::string unit, bool quiet, EvaluateItem evaluate)
      : input_(input),
        evaluate_(std::move(evaluate)),
        progress_(!quiet && !input.FromTerminal(), std::move(unit)),
        pipeline_(team.Size(), [this, &team](int member, Chunk& chunk) { return Evaluate(team[member], chunk); },
                  [this](Printed& printed) { Deliver(printed); }) {}

  // Reads the items: read(*this) calls Add for each. What came before a
  // FileError is still written. Throws FileError and OutputError.
  template <class Read>
  void Run(Read read) {
    try {
      read(*this);
    } catch (const FileError&) {
      pipeline_.Drain();
      throw;
    }
    Finish();
  }

  // The chunk goes to an evaluator when full, or at once when no more input
  // waits: the next item may be long in coming, so what came is answered.
  void Add(Item item, bool moreWaiting) {
    if (chunk_.empty()) chunk_.reserve(kChunkItems);
    chunk_.push_back(std::move(item));
    if (chunk_.size() == kChunkItems || !moreWaiting) pipeline_.Submit(std::exchange(chunk_, {}));
  }

  // Every item added so far is evaluated and written; the evaluators are
  // idle until the next Add, so the caller may use them meanwhile.
  void Finish() {
    if (!chunk_.empty()) pipeline_.Submit(std::exchange(chunk_, {}));
    pipeline_.Drain();
  }

  // Writes what the calling thread printed, in its place: call Finish first.
  void Deliver(Printed& printed) {
    printed.Write();
    good_ = good_ && !printed.HasMessages();
    itemsDone_ += printed.Items();
    progress_.Update(itemsDone_, input_.BytesDone(), input_.Size());
  }

  // No item had a message.
  bool Good() const { return good_; }

 private:
  static constexpr std::size_t kChunkItems = 256;
  using Chunk = std::vector<Item>;

  Printed Evaluate(Evaluator& evaluator, const Chunk& chunk) const {
    Printed printed;
    for (const Item& item : chunk) evaluate_(evaluator, item, printed);
    return printed;
  }

  const Input& input_;
  EvaluateItem evaluate_;
  Progress progress_;
  std::uint64_t itemsDone_ = 0;
  bool good_ = true;
  Chunk chunk_;
  OrderedPipeline<Chunk, Printed> pipeline_;
};

}  // namespace formel_cli
