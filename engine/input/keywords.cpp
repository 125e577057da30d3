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

int LookupKeyword(std::string_view word, Report* report) {
  std::string key(word.substr(0, 4));
  key.resize(4, ' ');
  for (int i = 0; i < kKeywordCount; ++i)
    if (KeywordTable[static_cast<size_t>(i)] == key) return i + 1;
  if (report) {
    report->Blank(2);
    report->Line("UNRECOGNIZED KEYWORD - " + key);
  }
  return kUnknownKeyword;
}

namespace {

void ReadTitle(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  KeywordRecord record;
  if (ctx.ReadKeyword(record) == kReadEnd) {
    ctx.report.Blank(2);
    ctx.report.Line("END OF FILE ENCOUNTERED WHILE READING TITLE");
    return;
  }
  p.run.Title = fmt::A(record.text, kTitleLength);
  if (p.run.EchoInput) WritePageHeader(ctx.report, 1, p.run.Title);
}

// An option notice: the text underlined by asterisks.
void Notice(ReaderContext& ctx, std::string_view text) {
  ctx.report.Blank(2);
  ctx.report.Heading(text);
}

void Misplaced(ReaderContext& ctx, std::string_view key, std::string_view rest) {
  ctx.report.Blank(2);
  ctx.report.Line(std::string(key) + std::string(rest));
}

}  // namespace

void ReadKeywords(ReaderContext& ctx) {
  ProblemData& p = ctx.problem;
  for (;;) {
    KeywordRecord record;
    if (ctx.ReadKeyword(record) == kReadEnd) {
      ctx.report.Blank(2);
      ctx.report.Line("END OF FILE ENCOUNTERED - PROGRAM STOP EXECUTED");
      p.run.StopIndicator = true;
      return;
    }
    const int index = LookupKeyword(record.Key(), &ctx.report);
    switch (index) {
      case kUnknownKeyword:
        break;
      case kWide:
        p.run.WidePrintout = true;
        Notice(ctx, "WIDE PRINTOUT FOR HARMONIC RESPONSE CURVE");
        break;
      case kNarrow: p.run.WidePrintout = false; break;
      case kEcho: p.run.EchoInput = true; break;
      case kNoEcho: p.run.EchoInput = false; break;
      case kDimensionlessKey:
        p.run.DimensionlessResponse = true;
        if (p.run.EchoInput) Notice(ctx, "DIMENSIONLESS RESPONSE");
        break;
      case kMatrixKey:
        p.run.PrintConstants = true;
        if (p.run.EchoInput) Notice(ctx, "STIFFNESS AND DAMPING CONSTANTS TO BE PRINTED");
        break;
      case kFoundationKey: ReadFoundation(ctx); break;
      case kSoilKey: ReadSoil(ctx); break;
      case kLoadKey: ReadLoad(ctx); break;
      case kGravityKey:
        p.status.GravitySet = 1;
        ReadGravity(ctx);
        break;
      case kTitleKey: ReadTitle(ctx); break;
      case kRunKey:
        if (ctx.records) ctx.records->reachedRun = true;
        return;
      case kStopKey:
        p.run.StopIndicator = true;
        return;
      case kPileKey: case kHalfKey: case kStratumKey: case kMultilayerKey: case kPlotKey: case kCircularKey:
      case kRectangularKey: case kParabolicKey: case kLayersKey: case kElementKey: case kBatteredKey:
      case kInteractionKey: case kFixedKey: case kPinnedKey: case kFloatingKey: case kEndBearingKey:
      case kConstantsKey:
        Misplaced(ctx, record.Key(), " SUBKEYWORD MUST BE PRECEEDED BY FOUNDATION KEYWORD");
        break;
      case kHarmonicKey: case kTransientKey: case kRandomKey: case kHammKey: case kVeloKey: case kPulsKey:
      case kPadKey: case kSpriKey: case kQuadraticKey: case kNonQuadraticKey:
        Misplaced(ctx, record.Key(), " SUBKEYWORD MUST BE PRECEEDED BY LOAD KEYWORD");
        break;
      case kBelowKey: case kWeakKey: case kEmbeddedKey: case kSideCapKey:
        Misplaced(ctx, record.Key(), " SUBKEYWORD MUST BE PRECEEDED BY SOIL KEYWORD");
        break;
      case kMassKey:
        Misplaced(ctx, record.Key(), " SUBKEYWORD MUST BE PRECEEDED BY ONE OF FOUNDATION, SOIL OR LOAD KEYWORDS");
        break;
      default:  // blank records and the ignored keys
        break;
    }
  }
}

}  // namespace terva
