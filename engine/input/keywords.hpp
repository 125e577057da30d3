// The keyword input language: the table of 52 four-character keys and the main
// keyword loop.
#pragma once

#include <array>
#include <string_view>

#include "engine/input/reader_context.hpp"
#include "engine/report/report.hpp"

namespace terva {

inline constexpr int kKeywordCount = 52;
inline constexpr int kUnknownKeyword = 999;

// Indexes of the keys, as the table orders them.
enum KeywordIndex : int {
  kBlank = 1, kWide = 2, kNarrow = 3, kEcho = 4, kNoEcho = 5, kPileKey = 6, kHalfKey = 7, kStratumKey = 8,
  kMultilayerKey = 9, kLoadKey = 10, kHarmonicKey = 11, kTransientKey = 12, kRandomKey = 13, kPlotKey = 14,
  kCircularKey = 15, kRectangularKey = 16, kSoilKey = 17, kParabolicKey = 18, kLayersKey = 19, kGravityKey = 20,
  kDimensionlessKey = 21, kBelowKey = 22, kElementKey = 23, kFoundationKey = 24, kWeakKey = 25,
  kBatteredKey = 26, kInteractionKey = 27, kRunKey = 28, kStopKey = 29, kTitleKey = 30, kMatrixKey = 31,
  kFixedKey = 32, kPinnedKey = 33, kFloatingKey = 34, kEndBearingKey = 35, kConstantsKey = 36, kMassKey = 37,
  kEmbeddedKey = 38, kSideCapKey = 39, kHammKey = 40, kLongKey = 41, kShortKey = 42, kVeloKey = 43,
  kPulsKey = 44, kPadKey = 45, kSpriKey = 46, kStatKey = 47, kDynaKey = 48, kBlank49 = 49, kBlank50 = 50,
  kQuadraticKey = 51, kNonQuadraticKey = 52
};

extern const std::array<std::string_view, kKeywordCount> KeywordTable;

// The index of a word's first four characters, or 999. With a report given, an
// unknown word is reported as "UNRECOGNIZED KEYWORD - ".
int LookupKeyword(std::string_view word, Report* report);

// The main keyword loop: reads until RUN, STOP or the end of the input.
void ReadKeywords(ReaderContext& ctx);

}  // namespace terva
