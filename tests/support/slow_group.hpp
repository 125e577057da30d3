// The input of a 20 x 20 fixed-head pile group with interaction over 1 024
// frequencies: a run of seconds even on a fast machine, for the tests and the
// benchmark that stop a run in flight (tests/tools/slow_group.sh is the same
// deck for the shell tests).
#pragma once

#include <string>

namespace terva::test {

inline std::string SlowGroupDeck() {
  std::string deck =
      "NOECHO\nMATRIX\nGRAVITY=32.2\nFOUNDATION=PILE\nRECTANGULAR=60.0,60.0\n"
      "MASS=5000,1E6,1E6,2E6,0,0,0\nLAYERS=3\nFIXED=400\n";
  for (int i = 0; i < 400; ++i)
    deck += std::to_string(i + 1) + "," + std::to_string((i % 20) * 3 - 28) + "," + std::to_string((i / 20) * 3 - 28) + "\n";
  deck += "CONSTANTS=0,0,3,30,150,50000,0.25,0.02,1,4.32E8\nELEMENT\n3(1,10,0.5,0.5,0.785,0.049,0.049,0.098)\n"
          "INTERACTION\nSOIL\nCONSTANTS\n1,500,110,0.4,0.05\n2,600,115,0.4,0.05\n3,700,120,0.4,0.05\n"
          "BELOW=900,125,0.35,0.05\nLOAD=HARMONIC\nCONSTANTS=NONQUADRATIC\n2048,2,2\n1000,1000,1000,0,0,0\nRUN\n";
  return deck;
}

}  // namespace terva::test
