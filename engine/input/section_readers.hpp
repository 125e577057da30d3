// Readers of the input sections. Each fills its group of the problem record,
// echoes it when echo is on, and reports its own errors; none stops the run:
// a fatal error sets InputErrorIndicator and the keyword loop reads on.
#pragma once

#include <initializer_list>
#include <string_view>

#include "engine/core/scalar.hpp"

namespace terva {

// GRAVITY
void ReadGravity();

// FOUNDATION and its parts. The part readers return false when they met a
// fatal error, which ends the section.
void ReadFoundation();
bool ReadGeometry();
bool ReadMass();
bool ReadFoundationConstants();
bool ReadSoilMedia();
bool ReadPileCoordinates();
bool ReadElements();
void ReadBatteredPiles();

// SOIL and its parts
void ReadSoil();
void SOLCST();
void ReadBaseSoil();
void ReadSideLayers();

// LOAD
void ReadLoad();
void ReadLoadData();

// Shared helpers of the readers.
namespace detail {
// Reads numbers into the targets in order and stops at the first that cannot
// be read; true when all were read. A target is written only with a value read.
bool ReadNumbers(std::initializer_list<Real*> targets);
// "INVALID KEYWORD - " key ending, as a fatal error.
void InvalidKeyword(std::string_view key, std::string_view ending);
bool Echo();
// Sets InputErrorIndicator and writes the message and "PROGRAM WILL NOT EXECUTE" after two empty lines.
void Fatal(std::string_view message);
// A block heading preceded by two empty lines and underlined by asterisks.
void EchoHeading(std::string_view heading);
}  // namespace detail

}  // namespace terva
