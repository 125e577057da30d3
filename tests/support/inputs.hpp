// Small inputs shared by the whole-run tests.
#pragma once

#include <string>

namespace terva::test {

// A complete half-space problem, English units.
inline const std::string kHalfSpaceInput =
    "TITLE\n"
    "HALF-SPACE TEST FOOTING\n"
    "GRAVITY=32.2\n"
    "FOUNDATION=HALF-SPACE\n"
    "CIRCULAR=5.0\n"
    "MASS=100.0, 2000.0, 2000.0, 3000.0, 0.0, 0.0, 0.0\n"
    "CONSTANTS=0.0, 0.0, 1.0\n"
    "SOIL\n"
    "CONSTANTS\n"
    "0\n"
    "BELOW=500.0, 110.0, 0.3, 0.05\n"
    "LOAD=HARMONIC\n"
    "CONSTANTS\n"
    "NONQUADRATIC\n"
    "100.0, 10.0, 10.0\n"
    "0.0, 0.0, 1000.0, 0.0, 0.0, 0.0\n"
    "RUN\n";

}  // namespace terva::test
