// The free-format record reader: the rewrite into one item per record, and
// READIT's requests with their messages.
#include "engine/input/record_reader.hpp"

#include <gtest/gtest.h>

#include <memory>

#include "engine/input/reader_context.hpp"
#include "engine/report/report.hpp"

namespace terva {
namespace {

std::string TrimRight(std::string s) {
  while (!s.empty() && s.back() == ' ') s.pop_back();
  return s;
}

std::vector<std::string> Tokens(const std::vector<std::string>& lines, Report* report = nullptr) {
  Report local;
  local.OpenMemory();
  std::vector<std::string> out;
  for (const std::string& r : RewriteToTokens(RewriteToInputCopy(lines, report ? *report : local)))
    out.push_back(TrimRight(r));
  return out;
}

struct RewriteCase {
  const char* name;
  std::vector<std::string> lines;
  std::vector<std::string> tokens;  // trailing blanks trimmed
};

class Rewrite : public ::testing::TestWithParam<RewriteCase> {};

TEST_P(Rewrite, GivesOneItemPerRecord) {
  EXPECT_EQ(Tokens(GetParam().lines), GetParam().tokens);
}

INSTANTIATE_TEST_SUITE_P(
    RecordReader, Rewrite,
    ::testing::Values(
        RewriteCase{"separators", {"RECTANGULAR=10.0, 20.0"}, {"RECTANGULAR", "10.0", "20.0"}},
        RewriteCase{"numbers_after_a_blank_stay_in_the_word", {"MASS 100 200"}, {"MASS 100 200"}},
        RewriteCase{"numbers_on_their_own_line", {"MASS", "100 200"}, {"MASS", "100.", "200."}},
        RewriteCase{"repeat", {"3(1.5)"}, {"1.5", "1.5", "1.5"}},
        RewriteCase{"repeat_after_blank_becomes_comma", {"X 2(A B)"}, {"X", "A B", "A B"}},
        RewriteCase{"only_the_last_digit_counts", {"12(5)"}, {"15.", "5."}},
        RewriteCase{"repeat_of_a_list", {"2(1,2)"}, {"1.", "2.", "1.", "2."}},
        RewriteCase{"zero_repeat_drops_group_and_character_before", {"1 0(5) 2"}, {"1.", "2."}},
        RewriteCase{"repeat_without_closing_bracket", {"2(7"}, {"7.", "7."}},
        RewriteCase{"bracket_without_count_is_text", {"A(B)"}, {"A(B)"}},
        RewriteCase{"comment", {"10 $ ten"}, {"10."}},
        RewriteCase{"comment_and_blank_lines_yield_nothing", {"$ only a comment", "      ", ""}, {}},
        RewriteCase{"exponent_number", {"1.5E3"}, {"               1.5E3"}},
        RewriteCase{"plain_numbers", {"7 -.5 +3"}, {"7.", "-.5", "+3."}},
        RewriteCase{"minus_inside_is_text", {"1-2"}, {"1-2"}},
        RewriteCase{"number_list_ending_in_text", {"1.5 ABC 2"}, {"1.5", "ABC 2"}},
        RewriteCase{"indented_keyword_keeps_its_blanks", {"  FOUNDATION"}, {"  FOUNDATION"}},
        RewriteCase{"letter_code_splits_a_title", {"TEST T RUN"}, {"TEST", "999.", " RUN"}},
        RewriteCase{"all_letter_codes", {"T H F Q P S V"}, {"999.", "-999.", "0.", "-997.", "998.", "-998.", "-996."}},
        RewriteCase{"letter_before_equals", {"F=2"}, {"0.", "2."}},
        RewriteCase{"letters_inside_words_are_not_codes", {"RECTANGULAR SOIL XT"}, {"RECTANGULAR SOIL XT"}},
        RewriteCase{"letter_before_asterisk_is_text", {"A T*B"}, {"A T", "-999.", "B"}},
        RewriteCase{"asterisk_alone", {"*"}, {"-999."}},
        RewriteCase{"asterisk_between_items", {"A=B*C"}, {"A", "B", "-999.", "C"}},
        RewriteCase{"only_80_columns_are_read",
                    {std::string(76, ' ') + "1234" + "5678"}, {"1234."}},
        RewriteCase{"windows_line_ends", {"GRAVITY=32.2\r"}, {"GRAVITY", "32.2"}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RecordReader, RecordForms) {
  Report report;
  report.OpenMemory();
  const auto tokens = RewriteToTokens(RewriteToInputCopy({"TITLE", "1.5E3 10 2.5"}, report));
  ASSERT_EQ(tokens.size(), 4u);
  EXPECT_EQ(tokens[0].size(), 80u);             // word records are whole 80-character records
  EXPECT_EQ(tokens[1], "               1.5E3");  // exponent numbers right-justified in 20 columns
  EXPECT_EQ(tokens[2], "10.");
  EXPECT_EQ(tokens[3], "2.5 ");
}

TEST(RecordReader, RepeatOverflowIsReportedAndTruncated) {
  Report report;
  report.OpenMemory();
  const std::string group(70, 'A');
  const std::string line = "9(" + group + ")";
  const auto copy = RewriteToInputCopy({line}, report);
  size_t total = 0;
  for (const auto& r : copy) total += r.size();
  // 500 columns of working line less the separators between the copies
  EXPECT_EQ(total, 500u - 7u);
  const std::string expected = std::string("\n\n\n") + "***   INPUT DATA RECORD TOO LONG DUE TO REPEAT FEATURE   ***\n\n" +
                               "***   DATA TRUNCATED ON THE FOLLOWING LINE    ***\n\n " + line +
                               std::string(80 - line.size(), ' ') + "\n";
  EXPECT_EQ(report.Captured(), expected);
}

TEST(RecordReader, NumberFieldParsing) {
  Real v = -1;
  EXPECT_TRUE(ParseNumberField("               1.5E3", v));
  EXPECT_FLOAT_EQ(v, 1500.0f);
  EXPECT_TRUE(ParseNumberField("-.5 ", v));
  EXPECT_FLOAT_EQ(v, -0.5f);
  EXPECT_TRUE(ParseNumberField("7.", v));
  EXPECT_FLOAT_EQ(v, 7.0f);
  // a number is read whole, however long: not its first 20 columns
  EXPECT_TRUE(ParseNumberField("0.0000000000000000000001234 ", v));
  EXPECT_FLOAT_EQ(v, 1.234e-22f);
  EXPECT_TRUE(ParseNumberField("3E38", v));
  EXPECT_FLOAT_EQ(v, 3e38f);
  // too large for a single-precision real in any form: not a number
  const std::string digits41 = "1" + std::string(40, '0') + ".";
  for (const std::string& bad : {std::string("1E39"), std::string("-1E39"), digits41, "-" + digits41,
                                 std::string("12345678901234567890ABC")}) {
    v = 42;
    EXPECT_FALSE(ParseNumberField(bad, v)) << bad;
    EXPECT_EQ(v, 42) << bad;
  }
  for (const char* bad : {"1-2", "ABC", "+.", ".", "1.2.3", "5E", "E5", "NaN", "INF", ""}) {
    v = 42;
    EXPECT_FALSE(ParseNumberField(bad, v)) << bad;
    EXPECT_EQ(v, 42) << bad;
  }
}

// READIT against a token file, with the report captured: a reader context of
// the test's own, as each run has one.
class Readit : public ::testing::Test {
 protected:
  void SetUp() override { out.OpenMemory(); }
  void TearDown() override { out.Close(); }
  void Load(const std::string& text) { reader.PrepareInputText(text); }

  std::unique_ptr<ProblemData> problem = std::make_unique<ProblemData>();
  Report out;
  ReaderContext reader{*problem, out};
};

TEST_F(Readit, NumbersKeywordsAndPushBack) {
  Load("GRAVITY=32.2\nRUN\n");
  KeywordRecord w;
  EXPECT_EQ(reader.ReadKeyword(w), kReadOk);
  EXPECT_EQ(w.Key(), "GRAV");
  Real g = 0;
  EXPECT_TRUE(reader.ReadNumber(g));
  EXPECT_FLOAT_EQ(g, 32.2f);
  reader.PushBack();
  EXPECT_TRUE(reader.ReadNumber(g));
  EXPECT_FLOAT_EQ(g, 32.2f);
  EXPECT_EQ(reader.ReadKeyword(w), kReadOk);
  EXPECT_EQ(w.Key(), "RUN ");
  EXPECT_EQ(out.Captured(), "");
}

TEST_F(Readit, NumberCrossingColumn80IsCutAndNotedOnlyForLinesRead) {
  // "500.0" in columns 79 to 83: stored inputs rely on the cut, so it reads as 50
  Load("\xEF\xBB\xBFGRAVITY\n" + std::string(78, ' ') + "500.0\nRUN\n" + std::string(90, 'X') + "\n");
  KeywordRecord w;
  EXPECT_EQ(reader.ReadKeyword(w), kReadOk);
  EXPECT_EQ(w.Key(), "GRAV") << "the byte-order mark is no part of the keyword";
  Real v = 0;
  EXPECT_TRUE(reader.ReadNumber(v));
  EXPECT_FLOAT_EQ(v, 50.0f);
  EXPECT_EQ(reader.ReadKeyword(w), kReadOk);
  EXPECT_EQ(w.Key(), "RUN ");
  reader.ReportCutInputLines();
  // line 4 lies beyond RUN, where a project file keeps data of its own
  EXPECT_EQ(out.Captured(), "\n\n *** NOTE - CHARACTERS BEYOND COLUMN 80 IGNORED IN INPUT LINE 2 ***\n");
}

TEST_F(Readit, AlphanumericKeywordIsPushedBackForTheNextKeywordRequest) {
  Load("1.0\nCONSTANTS\n");
  Real v = 0;
  EXPECT_TRUE(reader.ReadNumber(v));
  KeywordRecord w;
  int status = 0;
  reader.READIT(kNumberRequest, v, w, status);
  EXPECT_EQ(status, kNotANumber);
  EXPECT_EQ(v, 0.0f);
  EXPECT_EQ(out.Captured(), "\n\n *** INPUT ERROR ***    ALPHANUMERIC ENCOUNTERED - \"CONSTANTS           \",\n");
  EXPECT_EQ(reader.ReadKeyword(w), kReadOk);
  EXPECT_EQ(w.Key(), "CONS");
}

TEST_F(Readit, AlphanumericNonKeywordIsConsumed) {
  Load("1-2\n5\n");
  Real v = 0;
  EXPECT_FALSE(reader.ReadNumber(v));
  EXPECT_TRUE(reader.ReadNumber(v));
  EXPECT_FLOAT_EQ(v, 5.0f);
}

TEST_F(Readit, EndOfInputMessages) {
  Load("");
  Real v = 9;
  KeywordRecord w;
  int status = -5;
  reader.READIT(kNumberRequest, v, w, status);
  EXPECT_EQ(status, kReadOk);  // the section reads on with a zero
  EXPECT_EQ(v, 0.0f);
  reader.READIT(kKeywordRequest, v, w, status);
  EXPECT_EQ(status, kReadEnd);
  EXPECT_EQ(w.Key(), "    ");
  EXPECT_EQ(out.Captured(),
            " *** INPUT ERROR ***    END OF FILE ENCOUNTERED WHILE READING\n"
            "                        NUMBER   1 OF   1 NUMBERS TO BE READ\n"
            " *** INPUT ERROR ***    END OF FILE ENCOUNTERED WHILE\n"
            "                        READING   1 ALPHANUMERIC WORDS\n");
}

TEST_F(Readit, PushBackAfterTheEndReadsTheEndAgain) {
  Load("RUN\n");
  KeywordRecord w;
  EXPECT_EQ(reader.ReadKeyword(w), kReadOk);
  EXPECT_EQ(reader.ReadKeyword(w), kReadEnd);
  reader.PushBack();
  EXPECT_EQ(reader.ReadKeyword(w), kReadEnd);
  reader.PushBack();
  reader.PushBack();
  EXPECT_EQ(reader.ReadKeyword(w), kReadOk);
  EXPECT_EQ(w.Key(), "RUN ");
}

TEST_F(Readit, InvalidRequestActsAsPushBack) {
  Load("7\n");
  Real v = 0;
  EXPECT_TRUE(reader.ReadNumber(v));
  KeywordRecord w;
  int status = 0;
  reader.READIT(5, v, w, status);
  EXPECT_EQ(out.Captured(), "\n\n *** INVALID CALL TO READIT, BACKSPACE ASSUMED ***\n\n");
  EXPECT_TRUE(reader.ReadNumber(v));
  EXPECT_FLOAT_EQ(v, 7.0f);
}

// Each reader context has a token stream of its own: two read side by side
// keep their own positions, and each reports to its own report.
TEST(ReaderContextTokens, TwoContextsDoNotShareAPosition) {
  const auto problem = std::make_unique<ProblemData>();
  Report first, second;
  first.OpenMemory();
  second.OpenMemory();
  ReaderContext a{*problem, first}, b{*problem, second};
  a.PrepareInputText("1\n2\n");
  b.PrepareInputText("3\n");
  Real v = 0;
  EXPECT_TRUE(a.ReadNumber(v));
  EXPECT_FLOAT_EQ(v, 1.0f);
  EXPECT_TRUE(b.ReadNumber(v));
  EXPECT_FLOAT_EQ(v, 3.0f);
  EXPECT_TRUE(a.ReadNumber(v));
  EXPECT_FLOAT_EQ(v, 2.0f);
  KeywordRecord w;
  EXPECT_EQ(b.ReadKeyword(w), kReadEnd);
  EXPECT_EQ(first.Captured(), "");
  EXPECT_NE(second.Captured().find("END OF FILE ENCOUNTERED"), std::string::npos);
  // a context that was never prepared reads the end of an empty input
  ReaderContext fresh{*problem, first};
  EXPECT_EQ(fresh.ReadKeyword(w), kReadEnd);
}

}  // namespace
}  // namespace terva
