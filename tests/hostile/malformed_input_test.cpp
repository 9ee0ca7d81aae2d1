// Malformed formulas: every arrangement of unbalanced quotes, brackets and
// parentheses, and every byte value in every role. Whatever comes back must
// be made of bytes the input, the tables or the library's own number and
// literal forms could give, must be the same on a second evaluation, and
// must leave the tables as they were.
#include <bitset>
#include <functional>

#include "hostile/hostile_fixture.h"
#include "support/result_bytes.h"

namespace formel_hostile {
namespace {

class MalformedTest : public HostileTest {
 protected:
  void SetUp() override {
    HostileTest::SetUp();
    Register("echo");
    ASSERT_EQ(SetVarS("1", "v"), 1);
  }

  // Evaluates twice and checks the result against where its bytes may
  // come from: the formula, the value "v" and the library's own forms.
  void CheckSound(const std::string& formula, const std::string& extraBytes = std::string()) {
    static const std::bitset<256> library = formel_test::LibraryResultBytes();
    std::bitset<256> allowed = library;
    formel_test::AddBytes(allowed, formula);
    formel_test::AddBytes(allowed, "v" + extraBytes);
    const std::string first = Eval(formula);
    const int stray = formel_test::ByteFromNowhere(first, allowed);
    ASSERT_EQ(stray, -1) << "byte " << stray << " in [" << first << "] from [" << formula << "]";
    ASSERT_EQ(Eval(formula), first) << formula;
  }

  void CheckTablesIntact() {
    EXPECT_STREQ(GetVarS("1"), "v");
    EXPECT_EQ(GetFuncParamCnt("echo"), 1);
  }
};

// Every formula of up to five bytes over the bracketing bytes, a comma, an
// operand and the name of a registered function (about 40000 formulas).
TEST_F(MalformedTest, EveryArrangementOfUnbalancedDelimiters) {
  const std::string alphabet = "()[]\",1e";
  std::string formula;
  auto spelled = [&] {  // "e" stands for the name of the registered function
    std::string out;
    for (const char c : formula) out += c == 'e' ? std::string("echo") : std::string(1, c);
    return out;
  };
  std::function<void(std::size_t)> build = [&](std::size_t length) {
    if (length > 0) {
      CheckSound(spelled());
      if (HasFatalFailure()) return;
    }
    if (length == 5) return;
    for (const char c : alphabet) {
      formula.push_back(c);
      build(length + 1);
      formula.pop_back();
      if (HasFatalFailure()) return;
    }
  };
  build(0);
  CheckTablesIntact();
}

// Each byte from 0x01 to 0xFF alone, between operands, inside a literal, as
// a variable name, inside a call, as a function name and next to every
// operator.
TEST_F(MalformedTest, EveryByteEverywhere) {
  const char* const shapes[] = {"%", "1%2", "\"%\"", "[%]", "echo(%)", "%(1)", "echo(1,%)",
                                "%%%", "-%", "%^2", "2/%", "(%)*3", "\"a\"&%", "%<>1", "[%"};
  for (int b = 1; b <= 255; ++b) {
    const char byte = static_cast<char>(b);
    for (const std::string shape : shapes) {
      std::string formula;
      for (const char c : shape) {
        if (c == '%') formula.push_back(byte); else formula.push_back(c);
      }
      CheckSound(formula);
      if (HasFatalFailure()) return;
    }
  }
  CheckTablesIntact();
}

// Names and values holding every byte: a value comes back as it was set,
// blanks at its ends trimmed.
TEST_F(MalformedTest, EveryByteInNamesAndValues) {
  for (int b = 1; b <= 255; ++b) {
    const char byte = static_cast<char>(b);
    const std::string name = std::string("x") + byte;
    const std::string value = std::string("w") + byte;
    ASSERT_EQ(SetVarS(name.c_str(), value.c_str()), 1);
    EXPECT_EQ(GetVarS(name.c_str()), value);
    const std::string expect = byte == ' ' ? "w" : value;
    if (byte == ']' || byte == '[') continue;  // the name closes early or nests
    EXPECT_EQ(Eval("[" + name + "]"), expect) << "byte " << b;
    if (std::string_view("\"(),").find(byte) != std::string_view::npos) continue;  // split the call
    EXPECT_EQ(Eval("echo([" + name + "])"), expect) << "byte " << b;
  }
  CheckTablesIntact();
}

}  // namespace
}  // namespace formel_hostile
