// Readers of the input sections. Each fills its group of the problem record
// in the context, echoes it to the context's report when echo is on, and
// reports its own errors there; none stops the run: a fatal error sets
// InputErrorIndicator and the keyword loop reads on.
#pragma once

#include <initializer_list>
#include <string_view>

#include "engine/core/scalar.hpp"
#include "engine/input/reader_context.hpp"

namespace terva {

// GRAVITY
void ReadGravity(ReaderContext& ctx);

// FOUNDATION and its parts. The part readers return false when they met a
// fatal error, which ends the section.
void ReadFoundation(ReaderContext& ctx);
bool ReadGeometry(ReaderContext& ctx);
bool ReadMass(ReaderContext& ctx);
bool ReadFoundationConstants(ReaderContext& ctx);
bool ReadSoilMedia(ReaderContext& ctx);
bool ReadPileCoordinates(ReaderContext& ctx);
bool ReadElements(ReaderContext& ctx);
void ReadBatteredPiles(ReaderContext& ctx);

// SOIL and its parts
void ReadSoil(ReaderContext& ctx);
void SOLCST(ReaderContext& ctx);
void ReadBaseSoil(ReaderContext& ctx);
void ReadSideLayers(ReaderContext& ctx);

// LOAD
void ReadLoad(ReaderContext& ctx);
void ReadLoadData(ReaderContext& ctx);

// Shared helpers of the readers.
namespace detail {
// Reads numbers into the targets in order and stops at the first that cannot
// be read; true when all were read. A target is written only with a value read.
bool ReadNumbers(ReaderContext& ctx, std::initializer_list<Real*> targets);
// "INVALID KEYWORD - " key ending, as a fatal error.
void InvalidKeyword(ReaderContext& ctx, std::string_view key, std::string_view ending);
bool Echo(ReaderContext& ctx);
// Sets InputErrorIndicator and writes the message and "PROGRAM WILL NOT EXECUTE" after two empty lines.
void Fatal(ReaderContext& ctx, std::string_view message);
// A block heading preceded by two empty lines and underlined by asterisks.
void EchoHeading(ReaderContext& ctx, std::string_view heading);
}  // namespace detail

}  // namespace terva
