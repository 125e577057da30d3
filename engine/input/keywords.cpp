#include "engine/input/keywords.hpp"

#include "engine/core/problem_data.hpp"
#include "engine/input/record_reader.hpp"
#include "engine/report/report.hpp"
#include "engine/input/section_readers.hpp"

namespace terva {

const std::array<std::string_view, kKeywordCount> KeywordTable = {
    "    ", "WIDE", "NARR", "ECHO", "NOEC", "PILE", "HALF", "STRA", "MULT", "LOAD", "HARM", "TRAN", "RAND",
    "PLOT", "CIRC", "RECT", "SOIL", "PARA", "LAYE", "GRAV", "DIME", "BELO", "ELEM", "FOUN", "WEAK", "BATT",
    "INTE", "RUN ", "STOP", "TITL", "MATR", "FIXE", "PINN", "FLOA", "END-", "CONS", "MASS", "EMBE", "SIDE",
    "HAMM", "LONG", "SHOR", "VELO", "PULS", "PAD ", "SPRI", "STAT", "DYNA", "    ", "    ", "QUAD", "NONQ"};

int LookupKeyword(std::string_view word, bool report) {
  std::string key(word.substr(0, 4));
  key.resize(4, ' ');
  for (int i = 0; i < kKeywordCount; ++i)
    if (KeywordTable[static_cast<size_t>(i)] == key) return i + 1;
  if (report) {
    Out().Blank(2);
    Out().Line("UNRECOGNIZED KEYWORD - " + key);
  }
  return kUnknownKeyword;
}

namespace {

void ReadTitle() {
  ProblemData& p = Problem();
  KeywordRecord record;
  if (ReadKeyword(record) == kReadEnd) {
    Out().Blank(2);
    Out().Line("END OF FILE ENCOUNTERED WHILE READING TITLE");
    return;
  }
  p.run.Title = fmt::A(record.text, kTitleLength);
  if (p.run.EchoInput) WritePageHeader(Out(), 1, p.run.Title);
}

// An option notice: the text underlined by asterisks.
void Notice(std::string_view text) {
  Out().Blank(2);
  Out().Heading(text);
}

void Misplaced(std::string_view key, std::string_view rest) {
  Out().Blank(2);
  Out().Line(std::string(key) + std::string(rest));
}

}  // namespace

void ReadKeywords() {
  ProblemData& p = Problem();
  for (;;) {
    KeywordRecord record;
    if (ReadKeyword(record) == kReadEnd) {
      Out().Blank(2);
      Out().Line("END OF FILE ENCOUNTERED - PROGRAM STOP EXECUTED");
      p.run.StopIndicator = true;
      return;
    }
    const int index = LookupKeyword(record.Key());
    switch (index) {
      case kUnknownKeyword:
        break;
      case kWide:
        p.run.WidePrintout = true;
        Notice("WIDE PRINTOUT FOR HARMONIC RESPONSE CURVE");
        break;
      case kNarrow: p.run.WidePrintout = false; break;
      case kEcho: p.run.EchoInput = true; break;
      case kNoEcho: p.run.EchoInput = false; break;
      case kDimensionlessKey:
        p.run.DimensionlessResponse = true;
        if (p.run.EchoInput) Notice("DIMENSIONLESS RESPONSE");
        break;
      case kMatrixKey:
        p.run.PrintConstants = true;
        if (p.run.EchoInput) Notice("STIFFNESS AND DAMPING CONSTANTS TO BE PRINTED");
        break;
      case kFoundationKey: ReadFoundation(); break;
      case kSoilKey: ReadSoil(); break;
      case kLoadKey: ReadLoad(); break;
      case kGravityKey:
        p.status.GravitySet = 1;
        ReadGravity();
        break;
      case kTitleKey: ReadTitle(); break;
      case kRunKey: return;
      case kStopKey:
        p.run.StopIndicator = true;
        return;
      case kPileKey: case kHalfKey: case kStratumKey: case kMultilayerKey: case kPlotKey: case kCircularKey:
      case kRectangularKey: case kParabolicKey: case kLayersKey: case kElementKey: case kBatteredKey:
      case kInteractionKey: case kFixedKey: case kPinnedKey: case kFloatingKey: case kEndBearingKey:
      case kConstantsKey:
        Misplaced(record.Key(), " SUBKEYWORD MUST BE PRECEEDED BY FOUNDATION KEYWORD");
        break;
      case kHarmonicKey: case kTransientKey: case kRandomKey: case kHammKey: case kVeloKey: case kPulsKey:
      case kPadKey: case kSpriKey: case kQuadraticKey: case kNonQuadraticKey:
        Misplaced(record.Key(), " SUBKEYWORD MUST BE PRECEEDED BY LOAD KEYWORD");
        break;
      case kBelowKey: case kWeakKey: case kEmbeddedKey: case kSideCapKey:
        Misplaced(record.Key(), " SUBKEYWORD MUST BE PRECEEDED BY SOIL KEYWORD");
        break;
      case kMassKey:
        Misplaced(record.Key(), " SUBKEYWORD MUST BE PRECEEDED BY ONE OF FOUNDATION, SOIL OR LOAD KEYWORDS");
        break;
      default:  // blank records and the ignored keys
        break;
    }
  }
}

}  // namespace terva
